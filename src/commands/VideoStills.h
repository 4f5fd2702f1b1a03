#pragma once
// Videos where a photograph is expected: the picture loader takes a video's first
// frame through the encoder once the converter is installed, and the faces offer and
// accept the usual video files alongside pictures.

#include <filesystem>
#include <span>
#include <string_view>

namespace zx {

// The video file types the open dialogs list and dropped files are taken as, lower case.
std::span<const std::string_view> videoFileExtensions();
// Whether a file's extension (case-insensitive) is one of videoFileExtensions().
bool isVideoFileName(const std::filesystem::path& path);

// Makes the picture loader read every file that is no PNG or JPEG as a video's first
// frame. Both faces call it once at start-up.
void installVideoStillConverter();

} // namespace zx
