#include "platform/SafeFile.h"

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace zx {

namespace fs = std::filesystem;

fs::path makeUniqueTempFile(const std::string& prefix, const fs::path& dir) {
    std::error_code ec;
    fs::path folder = dir.empty() ? fs::temp_directory_path(ec) : dir;
    if (ec) return {};
    std::string pattern = (folder / (prefix + "XXXXXX")).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) return {};
    ::close(fd);
    return fs::path(pattern);
}

TempFile::~TempFile() {
    if (!path_.empty()) {
        std::error_code ec;
        fs::remove(path_, ec);
    }
}

SafeFileWriter::SafeFileWriter(fs::path target) : target_(std::move(target)) {
    fs::path dir = target_.parent_path();
    if (dir.empty()) dir = ".";
    tempPath_ = makeUniqueTempFile("." + target_.filename().string() + ".", dir);
}

SafeFileWriter::~SafeFileWriter() {
    if (!committed_ && !tempPath_.empty()) {
        std::error_code ec;
        fs::remove(tempPath_, ec);
    }
}

bool SafeFileWriter::commit() {
    if (tempPath_.empty() || committed_) return false;
    int fd = ::open(tempPath_.c_str(), O_RDONLY);
    if (fd < 0) return false;
    bool synced = ::fsync(fd) == 0;
    ::close(fd);
    if (!synced) return false;
    // Keep the permissions of the file being replaced; mkstemp creates 0600.
    struct stat st {};
    mode_t mode = 0644;
    if (::stat(target_.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
        // A read-only target is not silently replaced: the user asked for it to stay.
        // access() lets root write anywhere, so the mode bits are checked as well.
        if (::access(target_.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0) return false;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::chmod(tempPath_.c_str(), mode);
    if (std::rename(tempPath_.c_str(), target_.c_str()) != 0) return false;
    committed_ = true;
    return true;
}

bool writeFileSafely(const fs::path& target, std::span<const std::byte> bytes) {
    SafeFileWriter writer(target);
    if (!writer.ok()) return false;
    std::FILE* f = std::fopen(writer.tempPath().c_str(), "wb");
    if (!f) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    return ok && writer.commit();
}

std::optional<std::vector<std::byte>> readWholeFile(const fs::path& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::vector<std::byte> data;
    std::byte buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
    bool err = std::ferror(f);
    std::fclose(f);
    if (err) return std::nullopt;
    return data;
}

} // namespace zx
