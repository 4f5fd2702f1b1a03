#pragma once
// Turning a picture into a new project image: the six-layer stack every
// photograph gets (placeholder, background, subject, mask, an empty layer, the
// animation layer), the default duration, and the history step that adds it.

#include "storage/HistoryStep.h"
#include "storage/ProjectImage.h"

#include <memory>
#include <string>

namespace zx {

inline constexpr const char* kImportSubjectLabel = "Import Subject Image";
inline constexpr const char* kImageTooSmallMessage =
    "Image too small (minimum = 8 x 8), cannot load!";
inline constexpr int kMinImportSide = 8;

// The new image; the caller appends it. The mask keeps the picture's alpha as the
// shown/hidden value so a cut-out pasted from the program stays cut out.
std::unique_ptr<ProjectImage> makeImageFromPicture(const RasterImage& picture,
                                                   const std::string& name, int duration,
                                                   CanvasColour canvas);

// The history label: "Add " + name + " Image" for a bracketed name ("[Clipboard]"),
// otherwise "Import Subject Image".
std::string importStepLabel(const std::string& name);

// The whole image packed into a step's extra block, so that removing or adding an
// image can be undone without loss, and the way back.
std::vector<uint8_t> snapshotImage(const ProjectImage& image);
std::unique_ptr<ProjectImage> restoreImage(std::span<const uint8_t> snapshot);

// The name of a copy: the subject's name without an earlier "[Copy_…" suffix,
// then "[Copy_" + number + "]".
std::string copyName(const std::string& subjectName, int newImageCount);

} // namespace zx
