#pragma once
// Files are never written in place: the new content goes to a uniquely named
// temporary file in the target's folder, which is renamed over the target only
// when it is complete. A failed write leaves the old file as it was.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace zx {

// A uniquely named temporary file that is removed when the object goes away,
// unless it was committed (renamed over its target).
class SafeFileWriter {
public:
    explicit SafeFileWriter(std::filesystem::path target);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // False when the temporary file could not be created.
    bool ok() const { return !tempPath_.empty(); }
    const std::filesystem::path& tempPath() const { return tempPath_; }
    const std::filesystem::path& target() const { return target_; }
    // Flushes the temporary file to disk and renames it over the target.
    bool commit();

private:
    std::filesystem::path target_;
    std::filesystem::path tempPath_;
    bool committed_ = false;
};

bool writeFileSafely(const std::filesystem::path& target, std::span<const std::byte> bytes);

// Reads a whole file; none when it cannot be read.
std::optional<std::vector<std::byte>> readWholeFile(const std::filesystem::path& path);

// A new, empty, uniquely named file in `dir` (the system temporary folder when
// empty) whose name starts with `prefix`; the caller removes it. Empty on failure.
std::filesystem::path makeUniqueTempFile(const std::string& prefix,
                                         const std::filesystem::path& dir = {});

// Removes its file when it goes out of scope.
class TempFile {
public:
    explicit TempFile(const std::string& prefix, const std::filesystem::path& dir = {})
        : path_(makeUniqueTempFile(prefix, dir)) {}
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    bool ok() const { return !path_.empty(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace zx
