#include "commands/VideoStills.h"

#include "output/VideoImport.h"
#include "platform/Text.h"
#include "storage/ImageFile.h"

#include <algorithm>
#include <array>

namespace zx {

namespace {
constexpr std::array<std::string_view, 14> kVideoExtensions = {"avi", "wmv", "mov",  "flv", "mp4",
                                                               "m4v", "mpg", "mpeg", "mkv", "webm",
                                                               "3gp", "ogv", "ts",   "vob"};
} // namespace

std::span<const std::string_view> videoFileExtensions() {
    return kVideoExtensions;
}

bool isVideoFileName(const std::filesystem::path& path) {
    const std::string ext = lowerExtension(path);
    return std::find(kVideoExtensions.begin(), kVideoExtensions.end(), ext) !=
           kVideoExtensions.end();
}

void installVideoStillConverter() {
    setStillImageConverter(videoStillImage);
}

} // namespace zx
