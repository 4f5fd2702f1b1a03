#include "render/BuilderEntry.h"

#include "render/FrameRenderer.h"
#include "render/RenderScratch.h"

#include <algorithm>

namespace zx {

BuilderEntry::BuilderEntry(MovieFrameList& list) : list_(list) {
    thread_ = std::thread([this] { run(); });
}

BuilderEntry::~BuilderEntry() {
    quit();
}

void BuilderEntry::quit() {
    if (!thread_.joinable()) return;
    post(BuilderCommand::Quit, 0);
    thread_.join();
}

void BuilderEntry::post(BuilderCommand command, int image) {
    if (!thread_.joinable()) return;
    std::unique_lock lock(mutex_);
    image_ = image;
    if (command == BuilderCommand::Build) {
        firstFrame_ = list_.firstFrame(image);
        frames_ = frameCount;
        lane_ = lane;
        lanes_ = std::max(1, lanes);
        from_ = from;
    }
    command_ = command;
    stop_.store(command == BuilderCommand::Stop ? 1 : 0);
    commandEvent_ = true;
    commandPosted_.notify_one();
    acknowledged_.wait(lock, [this] { return acknowledgeEvent_; });
    acknowledgeEvent_ = false;
}

bool BuilderEntry::commandPending() {
    std::lock_guard lock(mutex_);
    return commandEvent_;
}

void BuilderEntry::acknowledge() {
    command_ = BuilderCommand::None;
    acknowledgeEvent_ = true;
    acknowledged_.notify_one();
}

void BuilderEntry::run() {
    for (;;) {
        BuilderCommand command;
        Job job;
        {
            std::unique_lock lock(mutex_);
            commandPosted_.wait(lock, [this] { return commandEvent_; });
            commandEvent_ = false;
            command = command_;
            job = {image_, firstFrame_, frames_, lane_, lanes_, from_};
            // Only a build runs; any other command finds the worker idle and leaves it so.
            if (command == BuilderCommand::Build) state_.store(int32_t(WorkerState::Running));
            acknowledge();
        }
        if (command == BuilderCommand::Quit) return;
        if (command == BuilderCommand::Build && !build(job)) return;
        state_.store(int32_t(WorkerState::Idle));
    }
}

bool BuilderEntry::build(const Job& job) {
    bool restart = true;
    while (restart) {
        restart = false;
        if (buildOnce(job, restart) == Outcome::Quit) return false;
    }
    return true;
}

// One pass over the image's frames. A stopped or failed render leaves the worker idle;
// a Stop posted meanwhile is then acknowledged by the command wait in run().
BuilderEntry::Outcome BuilderEntry::buildOnce(const Job& job, bool& restart) {
    framesDone_.store(0);
    RenderScratch scratch;
    for (int i = 0; i < job.frames; ++i) {
        if (Outcome outcome = takeCommandBetweenFrames(); outcome != Outcome::Continue)
            return outcome;
        const int index = job.firstFrame + i;
        const bool mine = i == 0 || (i >= job.from && i % job.lanes == job.lane);
        if (!mine || list_.coded(index)) continue;
        std::optional<RasterImage> picture =
            renderFrame(*scene, list_[index], job.frames, &stop_, &scratch);
        if (isCancelled(&stop_) || !picture) return Outcome::Stop;
        if (hook_) hook_(job.image, i);
        const PackedImage* reference = i > 0 ? list_.coded(job.firstFrame) : nullptr;
        if (i > 0 && !reference) {
            restart = true; // the frames are coded against frame 0: build it first
            return Outcome::Continue;
        }
        PackOptions options;
        options.allowTransparentBlocks = false;
        options.padToWords = false;
        options.reference = reference;
        if (std::optional<PackedImage> packed = packImage(*picture, options)) {
            list_.storeCoded(index, std::move(*packed));
            if (built_) built_(index);
        }
        framesDone_.fetch_add(1);
        if (isCancelled(&stop_)) return Outcome::Stop;
    }
    return Outcome::Continue;
}

BuilderEntry::Outcome BuilderEntry::takeCommandBetweenFrames() {
    std::unique_lock lock(mutex_);
    if (!commandEvent_) return Outcome::Continue;
    commandEvent_ = false;
    switch (command_) {
    case BuilderCommand::Stop:
        state_.store(int32_t(WorkerState::Idle));
        acknowledge();
        return Outcome::Stop;
    case BuilderCommand::Quit:
        acknowledge();
        return Outcome::Quit;
    case BuilderCommand::Pause:
        return pauseLoop(lock);
    default: // Build again, Resume or nothing: taken, the build goes on
        acknowledge();
        return Outcome::Continue;
    }
}

// Waits inside the build until Resume (go on), Quit (end) or Stop (leave the build:
// the records it works on may be about to be replaced).
BuilderEntry::Outcome BuilderEntry::pauseLoop(std::unique_lock<std::mutex>& lock) {
    state_.store(int32_t(WorkerState::Idle));
    for (;;) {
        acknowledge();
        commandPosted_.wait(lock, [this] { return commandEvent_; });
        commandEvent_ = false;
        const BuilderCommand command = command_;
        if (command == BuilderCommand::Quit || command == BuilderCommand::Stop) {
            state_.store(int32_t(WorkerState::Idle));
            acknowledge();
            return command == BuilderCommand::Quit ? Outcome::Quit : Outcome::Stop;
        }
        if (command == BuilderCommand::Resume) break;
        state_.store(int32_t(WorkerState::Paused));
    }
    state_.store(int32_t(WorkerState::Resumed));
    acknowledge();
    return Outcome::Continue;
}

} // namespace zx
