#pragma once
// Unpacking an uploaded scene archive: the gzip-compressed data file of one scene,
// written as "zxgl_data.js" into the scene's own folder. Uploads are untrusted: a
// link in place of the archive or the folder, a stored name that points elsewhere
// (a slash, "..", an absolute path), a corrupt stream and a stream that inflates
// beyond the limit are refused, and nothing is left behind by a refusal.

#include <cstdint>
#include <filesystem>
#include <string>

namespace zx::server {

inline constexpr const char* kSceneDataFile = "zxgl_data.js";

struct ArchiveLimits {
    std::uintmax_t maxArchiveBytes = std::uintmax_t(64) << 20;
    std::uintmax_t maxUnpackedBytes = std::uintmax_t(256) << 20;
};

// Empty when the archive was unpacked; else why not.
std::string unpackSceneArchive(const std::filesystem::path& archive,
                               const std::filesystem::path& sceneFolder,
                               const ArchiveLimits& limits = {});

// True for a name that stays inside the folder it is joined to: not empty, not
// absolute, no "..", no slash or backslash, no control characters.
bool isPlainFileName(const std::string& name);

} // namespace zx::server
