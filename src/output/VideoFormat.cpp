#include "output/VideoFormat.h"

#include "platform/Text.h"

#include <array>

namespace zx {

namespace {
constexpr std::array<std::string_view, 5> kExtensions = {".avi", ".wmv", ".mov", ".flv", ".mp4"};
constexpr std::array<std::string_view, 5> kContainers = {"avi", "asf", "mov", "flv", "mp4"};
} // namespace

std::string_view videoFormatExtension(VideoFormat format) {
    return kExtensions[size_t(format)];
}

std::optional<VideoFormat> videoFormatOfPath(const std::filesystem::path& path) {
    const std::string ext = lowerExtension(path);
    for (size_t i = 0; i < kExtensions.size(); ++i)
        if (ext == kExtensions[i].substr(1)) return VideoFormat(i);
    return std::nullopt;
}

std::string_view encoderContainer(VideoFormat format) {
    return kContainers[size_t(format)];
}

bool needsHalfChroma(VideoFormat format) {
    return format == VideoFormat::Mp4 || format == VideoFormat::Mov;
}

} // namespace zx
