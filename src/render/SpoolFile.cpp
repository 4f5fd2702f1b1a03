#include "render/SpoolFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace zx {

namespace {

constexpr std::string_view kNoSpoolFile = "the frame spool file could not be created";
constexpr std::string_view kWriteFailed = "a spooled frame could not be written";
constexpr std::string_view kReadFailed = "a spooled frame could not be read";

std::filesystem::path spoolFolder(const std::filesystem::path& folder) {
    if (!folder.empty()) return folder;
    std::error_code error;
    std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    return error ? std::filesystem::path("/tmp") : temp;
}

// Where O_TMPFILE is missing (some file systems refuse it), a unique name that is
// removed before anything is written, so it is gone however the process ends.
int createUnlinked(const std::filesystem::path& folder) {
    std::string pattern = (folder / "ZXPXXXXXX").string();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0) ::unlink(pattern.c_str());
    return fd;
}

} // namespace

Result<std::unique_ptr<SpoolFile>> SpoolFile::create(const std::filesystem::path& folder) {
    const std::filesystem::path where = spoolFolder(folder);
    int fd = ::open(where.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) fd = createUnlinked(where);
    if (fd < 0)
        return Status::failed(std::string(kNoSpoolFile),
                              where.string() + ": " + std::strerror(errno));
    return std::unique_ptr<SpoolFile>(new SpoolFile(fd));
}

SpoolFile::~SpoolFile() {
    if (fd_ >= 0) ::close(fd_);
}

void SpoolFile::restart(int frameCount) {
    std::lock_guard lock(mutex_);
    index_.clear();
    frameCount_ = frameCount;
    total_ = 0;
    ++generation_;
}

Status SpoolFile::append(int frame, int frameCount, std::span<const uint8_t> bytes,
                         CancelFlag cancel) {
    if (bytes.size() > UINT32_MAX) return Status::refused(std::string(kWriteFailed));
    uint64_t offset = 0;
    {
        std::lock_guard lock(mutex_);
        if (frame == 0) {
            index_.clear();
            index_.reserve(size_t(std::max(0, frameCount)));
            frameCount_ = frameCount;
            total_ = 0;
            ++generation_;
        }
        if (frame != int(index_.size()) || frameCount != frameCount_ || frame >= frameCount)
            return Status::refused(std::string(kWriteFailed), "frame out of order");
        offset = total_;
    }
    if (Status status = writeAll(offset, bytes, cancel); !status) return status;
    std::lock_guard lock(mutex_);
    index_.push_back({offset, uint32_t(bytes.size())});
    total_ += bytes.size();
    return Status::ok();
}

Status SpoolFile::writeAll(uint64_t offset, std::span<const uint8_t> bytes, CancelFlag cancel) {
    while (!bytes.empty()) {
        const size_t piece = std::min(bytes.size(), kPieceSize);
        const ssize_t n = ::pwrite(fd_, bytes.data(), piece, off_t(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Status::failed(std::string(kWriteFailed), std::strerror(errno));
        bytes = bytes.subspan(size_t(n));
        offset += uint64_t(n);
        if (!bytes.empty() && isCancelled(cancel)) return Status::cancelled();
    }
    return Status::ok();
}

Result<SpoolBytes> SpoolFile::read(int frame, int frameCount) const {
    std::lock_guard lock(mutex_);
    if (frame < 0 || frame >= int(index_.size()) || frameCount != frameCount_)
        return Status::refused(std::string(kReadFailed), "not spooled");
    const Piece piece = index_[size_t(frame)];
    SpoolBytes out;
    out.generation = generation_;
    out.bytes.resize(piece.size);
    size_t done = 0;
    while (done < piece.size) {
        const ssize_t n =
            ::pread(fd_, out.bytes.data() + done, piece.size - done, off_t(piece.offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Status::failed(std::string(kReadFailed), "short read");
        done += size_t(n);
    }
    return out;
}

int SpoolFile::framesWritten() const {
    std::lock_guard lock(mutex_);
    return int(index_.size());
}

uint64_t SpoolFile::bytesWritten() const {
    std::lock_guard lock(mutex_);
    return total_;
}

uint64_t SpoolFile::sizeOnDisk() const {
    struct stat st {};
    return ::fstat(fd_, &st) == 0 ? uint64_t(st.st_size) : 0;
}

} // namespace zx
