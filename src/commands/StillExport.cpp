#include "commands/StillExport.h"

#include "platform/Text.h"
#include "storage/ImageFile.h"

namespace zx {

bool isStillFileName(const std::filesystem::path& path) {
    const std::string ext = lowerExtension(path);
    return ext == "png" || ext == "jpg";
}

Status saveStill(const std::filesystem::path& path, const RasterImage& picture, int jpegQuality,
                 Prompter& prompter) {
    if (!isStillFileName(path)) {
        prompter.message(kInvalidStillExtension);
        return Status::refused(std::string(kInvalidStillExtension), path.string());
    }
    return lowerExtension(path) == "jpg" ? saveJpeg(path, picture, jpegQuality, &prompter)
                                         : savePng(path, picture, &prompter);
}

std::string proposedStillName(const std::string& pictureName) {
    const size_t dot = pictureName.rfind('.');
    return dot == std::string::npos || dot == 0 ? pictureName : pictureName.substr(0, dot);
}

} // namespace zx
