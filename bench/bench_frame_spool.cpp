// The frame spool on the bundled sample: what a spooled frame costs on disk, for the
// animated astronaut and for the still cat, against the raw 32-bit frame; and what
// reading one back costs during playback, against rendering the same frame live at
// the same quality in the same run.

#include "platform/Prompter.h"
#include "render/FrameSpool.h"
#include "render/ImageScene.h"
#include "render/ProjectFrame.h"
#include "storage/Project.h"
#include "storage/ProjectFile.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <thread>

namespace {

using namespace zx;
using Clock = std::chrono::steady_clock;

constexpr RenderQuality kQuality = RenderQuality::Medium;
constexpr int kRenderSamples = 5;

struct SpooledSample {
    std::unique_ptr<Project> project;
    FrameSpool spool;
    bool ready = false;

    SpooledSample() {
        SilentPrompter silent;
        project = loadProject(ZX_SAMPLES_DIR "/sample.zxp", silent);
        if (!project) return;
        for (int i = 0; i < project->imageCount(); ++i) spool.submit(*project, i, kQuality);
        while (!spool.progress().complete)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ready = true;
    }
};

SpooledSample& sample() {
    static SpooledSample spooled;
    return spooled;
}

double secondsPerLiveFrame(const Project& project, int image, int frames) {
    AnimationModel scene;
    (void)loadImageScene(project.images[image], scene);
    ProjectFrameRequest request;
    request.image = image;
    request.view = FrameView::Image;
    request.quality = kQuality;
    const auto start = Clock::now();
    for (int k = 0; k < kRenderSamples; ++k) {
        request.frame = k % frames;
        benchmark::DoNotOptimize(renderProjectFrame(project, scene, request));
    }
    return std::chrono::duration<double>(Clock::now() - start).count() / kRenderSamples;
}

// Argument: the sample's image (0 the animated astronaut, 1 the still cat).
void BM_SpooledFrame(benchmark::State& state) {
    SpooledSample& s = sample();
    const int image = int(state.range(0));
    if (!s.ready || image >= s.project->imageCount()) {
        state.SkipWithError("the sample could not be spooled");
        return;
    }
    const SpoolEntry& entry = *s.spool.entry(image);
    const int frames = entry.job.frameCount;
    const double raw = double(entry.job.width) * entry.job.height * 4;
    const double keyBytes = double(entry.file->read(0, frames)->bytes.size());
    const double laterBytes = double(entry.file->bytesWritten()) - keyBytes;

    int k = 0;
    const auto start = Clock::now();
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.spool.getFrame(image, k));
        k = (k + 1) % frames;
    }
    const double read = std::chrono::duration<double>(Clock::now() - start).count() /
                        double(std::max<int64_t>(1, state.iterations()));
    const double live = secondsPerLiveFrame(*s.project, image, frames);

    state.counters["frames"] = frames;
    state.counters["key_bytes"] = keyBytes;
    state.counters["bytes_per_frame"] = frames > 1 ? laterBytes / (frames - 1) : keyBytes;
    state.counters["raw_bytes"] = raw;
    state.counters["x_raw"] = (frames > 1 ? laterBytes / (frames - 1) : keyBytes) / raw;
    state.counters["read_ms"] = read * 1e3;
    state.counters["render_ms"] = live * 1e3;
    state.counters["x_render"] = read / live;
}
BENCHMARK(BM_SpooledFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
