#include "output/FrameFileWriter.h"

#include "output/FrameFolderSource.h"
#include "platform/SafeFile.h"
#include "storage/ImageFile.h"

#include <algorithm>
#include <span>

namespace zx {

namespace fs = std::filesystem;

namespace {

Status writeFrameFile(const fs::path& path, const RasterImage& picture) {
    const std::optional<std::vector<uint8_t>> png = encodePng(picture, nullptr, PngSpeed::Fast);
    if (!png || !writeFileSafely(path, std::as_bytes(std::span(*png))))
        return Status::failed("Could not write " + path.string());
    return Status::ok();
}

} // namespace

FrameFileWriter::FrameFileWriter(fs::path folder, int threads)
    : folder_(std::move(folder)), capacity_(size_t(std::max(1, threads))) {
    for (size_t i = 0; i < capacity_; ++i) threads_.emplace_back([this] { work(); });
}

FrameFileWriter::~FrameFileWriter() {
    (void)finish();
}

Status FrameFileWriter::write(int index, RasterImage picture) {
    std::unique_lock hold(lock_);
    changed_.wait(hold, [&] { return waiting_.size() < capacity_ || !failure_.isOk(); });
    if (!failure_.isOk()) return failure_;
    waiting_.emplace_back(index, std::move(picture));
    changed_.notify_all();
    return Status::ok();
}

Status FrameFileWriter::finish() {
    {
        std::lock_guard hold(lock_);
        closing_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : threads_)
        if (t.joinable()) t.join();
    std::lock_guard hold(lock_);
    return failure_;
}

void FrameFileWriter::work() {
    std::unique_lock hold(lock_);
    for (;;) {
        changed_.wait(hold, [&] { return !waiting_.empty() || closing_; });
        if (waiting_.empty()) return; // closing, and nothing left
        auto [index, picture] = std::move(waiting_.front());
        waiting_.pop_front();
        changed_.notify_all(); // a place is free
        if (!failure_.isOk()) continue;
        hold.unlock();
        Status written = writeFrameFile(folder_ / movieFrameFileName(index), picture);
        hold.lock();
        if (!written && failure_.isOk()) failure_ = std::move(written);
        if (!failure_.isOk()) changed_.notify_all();
    }
}

} // namespace zx
