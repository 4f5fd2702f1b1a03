#pragma once
// One image's spool file: coded frames back to back in a temporary file that has no
// name from the moment it exists (O_TMPFILE, else created and unlinked at once), so
// nothing is left behind however the process ends. The file has no header; the index
// kept here (offset and size of every frame written by the current job) is its only
// map.
//
// One writer (the image's spool worker) appends while the main thread reads. The index
// is guarded by a mutex; a frame's bytes are written before it enters the index and
// never move while it is there, so a reader never sees a partly written frame.

#include "platform/Status.h"
#include "render/CancelFlag.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace zx {

// A frame read back, with the job it belongs to (the index generation).
struct SpoolBytes {
    std::vector<uint8_t> bytes;
    uint64_t generation = 0;
};

class SpoolFile {
public:
    // Frames larger than this are written in pieces of this size, with a cancel
    // check after each.
    static constexpr size_t kPieceSize = 256000;

    // A new, nameless spool file in `folder` (the system's temporary folder when empty).
    static Result<std::unique_ptr<SpoolFile>> create(const std::filesystem::path& folder = {});
    ~SpoolFile();
    SpoolFile(const SpoolFile&) = delete;
    SpoolFile& operator=(const SpoolFile&) = delete;

    // Appends frame `frame` of a job of `frameCount` frames. Frame 0 starts a new job:
    // the index is emptied and the file is written from its start again. Refused unless
    // `frame` is the next one of the job; cancelled as soon as `cancel` is seen set
    // after a piece. A frame not completely written is never indexed.
    Status append(int frame, int frameCount, std::span<const uint8_t> bytes,
                  CancelFlag cancel = nullptr);
    // Forgets every frame: a new job of `frameCount` frames begins. For the main thread
    // while the writer is idle, so that no frame of the old job is read as the new one's.
    void restart(int frameCount);
    // The bytes of frame `frame`, when the job of `frameCount` frames has written it.
    Result<SpoolBytes> read(int frame, int frameCount) const;

    int framesWritten() const;
    uint64_t bytesWritten() const;
    // The file's size on disk, stale bytes of earlier jobs included.
    uint64_t sizeOnDisk() const;

private:
    explicit SpoolFile(int fd) : fd_(fd) {}
    Status writeAll(uint64_t offset, std::span<const uint8_t> bytes, CancelFlag cancel);

    struct Piece {
        uint64_t offset = 0;
        uint32_t size = 0;
    };

    int fd_ = -1;
    mutable std::mutex mutex_; // guards everything below
    int frameCount_ = 0;
    uint64_t total_ = 0;
    uint64_t generation_ = 0;
    std::vector<Piece> index_;
};

} // namespace zx
