#pragma once
// One frame spool worker: a thread that renders every frame of one project image with
// a private scene, codes it against frame 0 and appends it to the image's spool file.
//
// Hand-over follows one rule: the main thread changes the job (scene, record, still
// picture, frame count, file) only after cancel() has returned, which it does once the
// worker has dropped whatever it was doing; wake() then starts the new job. Two
// auto-reset events (start, done) and four flag words (started, complete, cancel, quit)
// carry it; frames done is the worker's progress word.

#include "anim/AnimationModel.h"
#include "render/CameraFrame.h"
#include "render/RenderQuality.h"
#include "render/SpoolFile.h"
#include "storage/PackedImage.h"
#include "storage/Project.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace zx {

// What a job is made from, as the main thread saw it when it submitted the job. The
// same source submitted again does not restart the job.
struct SpoolSource {
    std::optional<std::vector<uint32_t>> animation;
    uint64_t pictures = 0; // fingerprint of every layer picture and the layers' sizes
    int frameCount = 0;
    RenderQuality quality = RenderQuality::Low;
    MoviePanelWords light;
    bool operator==(const SpoolSource&) const = default;
};

// The job a worker runs: an animated image's scene and the record it is rendered
// through, or a still image's picture.
struct SpoolJob {
    std::unique_ptr<AnimationModel> scene; // null for a still job
    CameraFrame record;
    std::optional<RasterImage> still;
    int frameCount = 0;        // the image's duration plus one: frames 0 … duration
    int width = 0, height = 0; // every frame of the job has this size
    bool empty() const { return !scene && !still; }
};

class SpoolEntry {
public:
    // Called on the worker after frame `frame` entered the spool file.
    using FrameWritten = std::function<void(int frame)>;

    // Starts the worker at once; it waits for its first job.
    explicit SpoolEntry(FrameWritten frameWritten = {});
    // stop()
    ~SpoolEntry();
    SpoolEntry(const SpoolEntry&) = delete;
    SpoolEntry& operator=(const SpoolEntry&) = delete;

    // Main-thread fields: change them only between cancel() and wake().
    SpoolJob job;
    std::unique_ptr<SpoolFile> file;
    std::optional<SpoolSource> source;
    // The decoded frame 0 of the file's current job, kept by the main thread for reads.
    std::optional<RasterImage> reference;
    uint64_t referenceGeneration = 0;

    // Sets the start event.
    void wake();
    // Asks the worker to drop its job and waits until it has; the complete flag is then
    // clear. Returns at once when the worker has ended.
    void cancel();
    // Cancels, asks the worker to end and joins it; frees the job and the file.
    void stop();

    bool started() const { return started_.load() != 0; }
    bool complete() const { return complete_.load() != 0; }
    int framesDone() const { return framesDone_.load(); }
    bool ended() const { return !thread_.joinable(); }

private:
    void run();
    void waitForStart();
    void signalDone();
    Status runJob();
    Status runAnimated(PackedImage& keyFrame);
    Status runStill();
    Status appendFrame(int frame, const PackedImage& coded);

    FrameWritten frameWritten_;
    std::mutex mutex_;
    std::condition_variable startSet_, doneSet_;
    bool startEvent_ = false, doneEvent_ = false;
    std::atomic<int32_t> started_{0}, complete_{0}, cancel_{0}, quit_{0};
    std::atomic<int32_t> framesDone_{0};
    std::thread thread_;
};

} // namespace zx
