#pragma once
// One movie frame builder worker: a thread that renders and codes the frames of one
// project image with a private scene, driven by commands the main thread posts. Every
// command is a synchronous handshake: post() returns once the worker has taken it.

#include "anim/AnimationModel.h"
#include "render/MovieFrameList.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace zx {

enum class BuilderCommand : int32_t {
    None = 0,
    Build = 1,
    Stop = 2,
    Pause = 3,
    Resume = 4,
    Quit = 5
};

enum class WorkerState : int32_t { Running = 0, Idle = 1, Resumed = 2, Paused = 4 };

class BuilderEntry {
public:
    // Called on the worker after it rendered frame `frame` of its image, before it
    // looks for the reference; tests use it to make timing-dependent paths certain.
    using RenderedHook = std::function<void(int image, int frame)>;
    // Called on the worker after it stored the coded frame of record `index`; the
    // window uses it to learn of finished frames.
    using BuiltHook = std::function<void(int index)>;

    // Starts the worker at once; it waits for commands on the records of `list`.
    explicit BuilderEntry(MovieFrameList& list);
    // Posts Quit when it was not posted, and joins the worker.
    ~BuilderEntry();
    BuilderEntry(const BuilderEntry&) = delete;
    BuilderEntry& operator=(const BuilderEntry&) = delete;

    // Stores the image, sets the stop flag for Stop (clears it otherwise), posts the
    // command and waits for the acknowledgement. Nothing after Quit.
    void post(BuilderCommand command, int image);
    // Posts Quit and joins the worker.
    void quit();

    // The scene and frame count are the main thread's while the worker is idle or paused.
    std::unique_ptr<AnimationModel> scene;
    int frameCount = 0;
    // Several workers may share an image: this one builds frame 0 (the reference all
    // need) and the frames i with i mod lanes = lane from frame `from` on.
    int lane = 0, lanes = 1, from = 0;
    bool idle = true; // kept by the main thread: stopped and not restarted

    int framesDone() const { return framesDone_.load(); }
    WorkerState state() const { return WorkerState(state_.load()); }
    bool ended() const { return !thread_.joinable(); }
    // True while a posted command waits to be taken.
    bool commandPending();
    // Set before the first Build; read by the worker.
    void setRenderedHook(RenderedHook hook) { hook_ = std::move(hook); }
    // Set before the first Build; read by the worker.
    void setBuiltHook(BuiltHook hook) { built_ = std::move(hook); }

private:
    enum class Outcome { Continue, Stop, Quit };
    struct Job {
        int image = 0, firstFrame = 0, frames = 0, lane = 0, lanes = 1, from = 0;
    };

    void run();
    bool build(const Job& job); // false when the worker is to end
    Outcome buildOnce(const Job& job, bool& restart);
    Outcome takeCommandBetweenFrames();
    Outcome pauseLoop(std::unique_lock<std::mutex>& lock);
    void acknowledge(); // with mutex_ held

    MovieFrameList& list_;
    std::mutex mutex_;
    std::condition_variable commandPosted_, acknowledged_;
    bool commandEvent_ = false, acknowledgeEvent_ = false;
    BuilderCommand command_ = BuilderCommand::None;
    // Arguments of the current command.
    int image_ = 0, firstFrame_ = 0, frames_ = 0, lane_ = 0, lanes_ = 1, from_ = 0;
    std::atomic<int32_t> stop_{0};
    std::atomic<int32_t> state_{int32_t(WorkerState::Idle)};
    std::atomic<int32_t> framesDone_{0};
    RenderedHook hook_;
    BuiltHook built_;
    std::thread thread_;
};

} // namespace zx
