#pragma once
// "Export Image...": one picture saved as PNG or JPEG, the format named by the file's
// extension, JPEG at the JPEGquality setting. The app and the command-line tool save
// their stills through here.

#include "platform/Prompter.h"
#include "platform/Status.h"
#include "storage/RasterImage.h"

#include <filesystem>
#include <string>

namespace zx {

inline constexpr std::string_view kInvalidStillExtension =
    "Invalid file extension, expected .jpg or .png";

// Whether the file's extension, lower-cased, is "png" or "jpg".
bool isStillFileName(const std::filesystem::path& path);

// Saves `picture` by the extension of `path`; any other extension shows
// kInvalidStillExtension and writes nothing.
Status saveStill(const std::filesystem::path& path, const RasterImage& picture, int jpegQuality,
                 Prompter& prompter);

// The name a still export proposes for an image whose picture came from `pictureName`:
// that name with its extension cut off.
std::string proposedStillName(const std::string& pictureName);

} // namespace zx
