#include "commands/DropRouting.h"
#include "commands/VideoStills.h"
#include "platform/Text.h"

#include <algorithm>
#include <cctype>

namespace zx {

DropRoute routeDroppedFile(const std::filesystem::path& path) {
    const std::string ext = lowerExtension(path);
    if (ext == "zxp") return {DropAction::OpenProject, {}};
    if (ext == "jpg" || ext == "jpeg" || ext == "pjpeg" || ext == "png")
        return {DropAction::ImportImage, {}};
    // A video comes in as its first frame.
    if (isVideoFileName(path)) return {DropAction::ImportImage, {}};
    if (ext == "zxl") return {DropAction::Message, std::string(kDropLibraryMessage)};
    return {DropAction::Message, std::string(kDropUnknownMessage)};
}

} // namespace zx
