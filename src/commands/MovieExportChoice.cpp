#include "commands/MovieExportChoice.h"

#include <charconv>

namespace zx {

namespace fs = std::filesystem;

std::string proposedMovieName(std::string_view documentTitle) {
    std::string name;
    for (char c : documentTitle)
        if (c != '*') name += c;
    if (const size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    return name + std::string(videoFormatExtension(VideoFormat::Wmv));
}

fs::path withVideoExtension(const fs::path& name, VideoFormat format) {
    fs::path out = name;
    return out.replace_extension(videoFormatExtension(format));
}

std::optional<int> customBitRate(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < kMinBitRate || value > kMaxBitRate) return std::nullopt;
    return value;
}

Result<fs::path> confirmMovieName(const fs::path& name, VideoFormat format, const fs::path& folder,
                                  Prompter& prompter) {
    if (name.filename().empty()) return Status::refused("No file name");
    const fs::path path = name.is_relative() ? folder / name : name;
    if (path.has_extension() && !videoFormatOfPath(path)) {
        prompter.message(kInvalidVideoFileType);
        return Status::refused(std::string(kInvalidVideoFileType), path.string());
    }
    const fs::path chosen = withVideoExtension(path, format);
    std::error_code ec;
    if (fs::exists(chosen, ec) &&
        !prompter.askYesNo(chosen.string() + " already exists\nReplace it?"))
        return Status::cancelled();
    return chosen;
}

MovieExportOptions movieExportOptions(const MovieExportChoice& choice, int width, int height,
                                      int framesPerSecond, FrameRange markers) {
    MovieExportOptions options;
    options.outputPath = choice.path;
    options.format = choice.format;
    options.bitRate = choice.bitRate;
    if (choice.markersOnly) options.markers = markers;
    options.maximumQuality = choice.maximumQuality;
    options.blackTrailer = choice.blackTrailer;
    options.width = width;
    options.height = height;
    options.framesPerSecond = framesPerSecond;
    return options;
}

} // namespace zx
