#include "render/SpoolEntry.h"

#include "render/ProjectFrame.h"
#include "render/RenderScratch.h"

#include <algorithm>

namespace zx {

namespace {

constexpr std::string_view kNoFile = "the image has no spool file";
constexpr std::string_view kNotCoded = "a spooled frame could not be coded";

// Spooled frames are opaque and read back only here, so the coding need not be padded.
Result<PackedImage> codeFrame(const RasterImage& picture, const PackedImage* keyFrame) {
    PackOptions options;
    options.allowTransparentBlocks = false;
    options.padToWords = false;
    options.reference = keyFrame;
    std::optional<PackedImage> coded = packImage(picture, options);
    if (!coded) return Status::failed(std::string(kNotCoded));
    return std::move(*coded);
}

} // namespace

SpoolEntry::SpoolEntry(FrameWritten frameWritten) : frameWritten_(std::move(frameWritten)) {
    thread_ = std::thread([this] { run(); });
}

SpoolEntry::~SpoolEntry() {
    stop();
}

void SpoolEntry::wake() {
    std::lock_guard lock(mutex_);
    startEvent_ = true;
    startSet_.notify_one();
}

void SpoolEntry::cancel() {
    if (ended()) return;
    std::unique_lock lock(mutex_);
    // A done event left from an earlier hand-over must not stand for this one.
    doneEvent_ = false;
    cancel_.store(1);
    startEvent_ = true;
    startSet_.notify_one();
    doneSet_.wait(lock, [this] { return doneEvent_; });
    doneEvent_ = false;
}

void SpoolEntry::stop() {
    if (ended()) return;
    cancel();
    {
        std::unique_lock lock(mutex_);
        quit_.store(1);
        startEvent_ = true;
        startSet_.notify_one();
        doneSet_.wait(lock, [this] { return doneEvent_; });
        doneEvent_ = false;
    }
    thread_.join();
    job = {};
    file.reset();
    source.reset();
    reference.reset();
}

void SpoolEntry::waitForStart() {
    std::unique_lock lock(mutex_);
    startSet_.wait(lock, [this] { return startEvent_; });
    startEvent_ = false;
}

void SpoolEntry::signalDone() {
    std::lock_guard lock(mutex_);
    // The wake that came with the cancel is spent: the main thread changes the job now
    // and wakes the worker again when it is ready.
    startEvent_ = false;
    doneEvent_ = true;
    doneSet_.notify_one();
}

void SpoolEntry::run() {
    started_.store(1);
    for (;;) {
        waitForStart();
        if (quit_.load()) break;
        if (!cancel_.load() && !job.empty()) {
            // A failed job (no file, a short write) stays incomplete; the worker then
            // waits for the next one.
            if (runJob()) complete_.store(1);
        }
        if (cancel_.load()) {
            complete_.store(0);
            cancel_.store(0);
            signalDone();
        }
    }
    signalDone();
}

Status SpoolEntry::runJob() {
    framesDone_.store(0);
    if (!file) return Status::failed(std::string(kNoFile));
    if (job.scene) {
        PackedImage keyFrame;
        return runAnimated(keyFrame);
    }
    return runStill();
}

Status SpoolEntry::runAnimated(PackedImage& keyFrame) {
    RenderScratch scratch;
    const double last = std::max(1, job.frameCount - 1);
    for (int k = 0; k < job.frameCount; ++k) {
        if (cancel_.load()) return Status::cancelled();
        job.record.frameIndex = k; // the renderer's jitter is seeded by the frame
        Result<RasterImage> picture =
            renderSceneFrame(*job.scene, job.record, k / last, &cancel_, &scratch);
        if (!picture) return picture.status();
        if (cancel_.load()) return Status::cancelled(); // no coding for a frame nobody takes
        Result<PackedImage> coded = codeFrame(*picture, k > 0 ? &keyFrame : nullptr);
        if (!coded) return coded.status();
        if (Status status = appendFrame(k, *coded); !status) return status;
        if (k == 0) keyFrame = std::move(coded).value();
    }
    return Status::ok();
}

// Every frame of a still image is its key frame: the later ones repeat every tile.
Status SpoolEntry::runStill() {
    Result<PackedImage> keyFrame = codeFrame(*job.still, nullptr);
    if (!keyFrame) return keyFrame.status();
    Result<PackedImage> repeat = codeFrame(*job.still, &*keyFrame);
    if (!repeat) return repeat.status();
    for (int k = 0; k < job.frameCount; ++k) {
        if (cancel_.load()) return Status::cancelled();
        if (Status status = appendFrame(k, k == 0 ? *keyFrame : *repeat); !status) return status;
    }
    return Status::ok();
}

Status SpoolEntry::appendFrame(int frame, const PackedImage& coded) {
    if (Status status = file->append(frame, job.frameCount, coded.bytes, &cancel_); !status)
        return status;
    framesDone_.store(frame + 1);
    if (frameWritten_) frameWritten_(frame);
    return Status::ok();
}

} // namespace zx
