#pragma once
// Reading and writing photographs: PNG through libpng, JPEG through libjpeg.
//
// Loaded pictures are plain RasterImages (0xAARRGGBB). Library failures never end
// the program: they come back as "none" after the library's own message has been
// shown through the Prompter (when one is given). Files are written through a
// temporary file and a rename, so a failed save leaves an existing file intact.

#include "platform/Prompter.h"
#include "platform/Status.h"
#include "storage/RasterImage.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

// Pictures with more pixels than this are refused when decoding (1 GiB of pixels),
// so that a corrupt header cannot ask for an absurd allocation.
inline constexpr uint64_t kMaxDecodedPixels = uint64_t(1) << 28;
inline constexpr std::string_view kDamagedPictureMessage =
    "picture file is damaged: part of it is missing";

// Loads a picture by its file extension (case-insensitive): "png" through the PNG
// reader, "jpg" and "jpeg" through the JPEG reader, anything else through the
// still-image converter of the video layer when one is installed.
// Failures are shown through the prompter and returned with the same text.
Result<RasterImage> loadImage(const std::filesystem::path& path, Prompter* prompter);

// Converts a video (or any other file the program cannot read itself) into its
// first still picture. The video layer installs one at start-up; storage cannot
// reach it directly.
using StillImageConverter =
    std::function<std::optional<RasterImage>(const std::filesystem::path&, Prompter*)>;
void setStillImageConverter(StillImageConverter converter);

// In-memory decoders: PNG (16-bit channels stripped to 8, palettes and low grey
// depths expanded, transparency chunks to alpha, grey to RGB, screen gamma 2.2
// applied when the file states a gamma) and JPEG (grey or RGB, alpha 255).
Result<RasterImage> decodePng(std::span<const uint8_t> data, Prompter* prompter = nullptr,
                              uint64_t maxPixels = kMaxDecodedPixels);
// `truncated`, when given, tells whether the data ended before the picture did (the
// rest of the picture is then grey, as libjpeg fills it).
Result<RasterImage> decodeJpeg(std::span<const uint8_t> data, Prompter* prompter = nullptr,
                               uint64_t maxPixels = kMaxDecodedPixels, bool* truncated = nullptr);

// The IJG quality of a quality level: 0, 1, 2, 3 give 30, 50, 75, 90; any other
// value is the quality itself.
int jpegQualityFor(int qualityLevel);

// How hard the PNG writer compresses. A single picture is worth the smallest file;
// frame sequences are written many times a second, where zlib's default level costs
// several times the rendering, so they take zlib's fastest level with a cheap row
// filter (about a tenth of the time for files a few per cent larger), and leave out
// the alpha channel of an opaque picture.
enum class PngSpeed { Compact, Fast };

// A text chunk of a PNG (Latin-1 keyword of 1 … 79 characters, text without NUL).
struct PngText {
    std::string keyword, text;
};

// In-memory encoders. PNG keeps alpha (8-bit RGBA) and writes `texts` before the
// pixels; JPEG drops alpha (baseline RGB). None for an empty or descriptor picture or
// a library failure.
std::optional<std::vector<uint8_t>> encodePng(const RasterImage& image,
                                              Prompter* prompter = nullptr,
                                              PngSpeed speed = PngSpeed::Compact,
                                              std::span<const PngText> texts = {});
std::optional<std::vector<uint8_t>> encodeJpeg(const RasterImage& image, int qualityLevel,
                                               Prompter* prompter = nullptr);

// "Can't open file for output" when the file cannot be created or replaced.
Status saveJpeg(const std::filesystem::path& path, const RasterImage& image, int qualityLevel,
                Prompter* prompter);
Status savePng(const std::filesystem::path& path, const RasterImage& image,
               Prompter* prompter = nullptr, PngSpeed speed = PngSpeed::Compact);

} // namespace zx
