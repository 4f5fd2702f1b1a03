#pragma once
// The movie formats the export writes: uncompressed AVI by the program itself, the
// others through the encoder.

#include <filesystem>
#include <optional>
#include <string_view>

namespace zx {

enum class VideoFormat { Avi = 0, Wmv = 1, Mov = 2, Flv = 3, Mp4 = 4 };

// ".avi", ".wmv", ".mov", ".flv", ".mp4".
std::string_view videoFormatExtension(VideoFormat format);
// The format a file name's extension names (case-insensitive); none for any other.
std::optional<VideoFormat> videoFormatOfPath(const std::filesystem::path& path);
// The encoder's container name for the format, so that the output file's own name
// does not have to tell it.
std::string_view encoderContainer(VideoFormat format);
// Formats whose players expect 4:2:0 chroma, which needs an even width and height.
bool needsHalfChroma(VideoFormat format);

} // namespace zx
