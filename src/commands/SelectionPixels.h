#pragma once
// Edit › Copy and Cut on the picture being edited: the selected pixels travel to the
// clipboard in the selection's bounding box, the unselected ones transparent; a cut
// then makes the selected pixels of the picture transparent.

#include "platform/Status.h"
#include "storage/Project.h"

#include <optional>
#include <string_view>

namespace zx {

inline constexpr std::string_view kCutName = "Cut";

// None without a picture or a selection.
std::optional<RasterImage> copySelectedPixels(const ProjectImage& image, bool background);
// Records "Cut" (with the background prefix); nothing without a selection.
Status cutSelectedPixels(Project& project, int image, bool background);

} // namespace zx
