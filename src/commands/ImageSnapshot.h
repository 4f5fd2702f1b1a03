#pragma once
// The whole of a project image packed into bytes, so that removing or adding an
// image can be undone without loss, and the name a copy of an image takes.

#include "storage/HistoryStep.h"
#include "storage/ProjectImage.h"

#include <memory>
#include <string>

namespace zx {

// The whole image packed into a step's image snapshot, so that removing or adding an
// image can be undone without loss, and the way back.
std::vector<uint8_t> snapshotImage(const ProjectImage& image);
std::unique_ptr<ProjectImage> restoreImage(std::span<const uint8_t> snapshot);

// The name of a copy: the subject's name without an earlier "[Copy_…" suffix,
// then "[Copy_" + number + "]".
std::string copyName(const std::string& subjectName, int newImageCount);

} // namespace zx
