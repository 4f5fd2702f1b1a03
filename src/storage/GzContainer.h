#pragma once
// The gzip container of project and library files: one gzip stream whose content
// is a 4-byte magic ("ZZXP", "ZZXL") followed by the format's own data.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace zx {

enum class ContainerStatus { Ok, CannotOpen, BadMagic, ReadError, TooLarge };

struct ContainerContent {
    ContainerStatus status = ContainerStatus::Ok;
    std::vector<uint8_t> data; // everything after the magic
};

// Largest uncompressed content accepted (a guard against decompression bombs).
inline constexpr size_t kMaxContainerContent = size_t(3) << 30;

ContainerContent readGzContainer(const std::filesystem::path& path, std::string_view magic);
// The same, stopping early once `enough` says the content read so far (a prefix of
// the whole, asked after each piece) holds what the caller needs.
ContainerContent readGzContainerPrefix(const std::filesystem::path& path, std::string_view magic,
                                       const std::function<bool(std::span<const uint8_t>)>& enough);

// Writes magic + data through a temporary file in the target's folder, renamed over
// the target only when complete. False (old file untouched) on any failure.
bool writeGzContainer(const std::filesystem::path& path, std::string_view magic,
                      std::span<const uint8_t> data);

} // namespace zx
