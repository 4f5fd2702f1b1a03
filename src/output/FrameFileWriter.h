#pragma once
// Writes numbered movie frames (frame_00000.png, …) into a folder on threads of its
// own, so that compressing and saving one frame overlaps rendering the next: a frame
// sequence then costs little more than its rendering. Frames are written at the fast
// PNG setting, each under its name only when complete.

#include "platform/Status.h"
#include "storage/RasterImage.h"

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace zx {

class FrameFileWriter {
public:
    // `threads` writers (at least 1); at most as many frames wait for one.
    FrameFileWriter(std::filesystem::path folder, int threads);
    // Waits for the frames handed over.
    ~FrameFileWriter();
    FrameFileWriter(const FrameFileWriter&) = delete;
    FrameFileWriter& operator=(const FrameFileWriter&) = delete;

    // Hands over movie frame `index`, waiting while the writers are behind. The first
    // failure of any frame so far (nothing more is written after one).
    Status write(int index, RasterImage picture);
    // Waits until every frame handed over is written; the first failure, if any.
    Status finish();

private:
    void work();

    const std::filesystem::path folder_;
    const size_t capacity_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::pair<int, RasterImage>> waiting_;
    bool closing_ = false;
    Status failure_;
    std::vector<std::thread> threads_;
};

} // namespace zx
