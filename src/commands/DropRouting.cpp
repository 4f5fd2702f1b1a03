#include "commands/DropRouting.h"

#include <algorithm>
#include <cctype>

namespace zx {

std::string lowerExtension(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

DropRoute routeDroppedFile(const std::filesystem::path& path) {
    const std::string ext = lowerExtension(path);
    if (ext == "zxp") return {DropAction::OpenProject, {}};
    if (ext == "jpg" || ext == "jpeg" || ext == "pjpeg" || ext == "png")
        return {DropAction::ImportImage, {}};
    if (ext == "zxl") return {DropAction::Message, kDropLibraryMessage};
    return {DropAction::Message, kDropUnknownMessage};
}

} // namespace zx
