// Movie export of the bundled sample (640 × 480, the first frames of its animated
// image), its frames made by the movie frame builder with 1 or 2 workers, against its
// two parts measured in the same run: building the frames alone (rendered into memory
// one after another on one thread) and ffmpeg alone encoding the same frames, handed
// to it raw through a pipe. The export's wall time is then compared with the sum of
// the two; more workers bring it down.
//
// And frame files: rendering movie frames and writing each as a PNG against rendering
// alone: frame by frame at the fast and at the default setting, and as render-movie
// does it, with the writing on the frame writer's threads.

#include "commands/ProjectMovieSource.h"
#include "output/BuilderFrameSource.h"
#include "output/EncoderProcess.h"
#include "output/FrameFileWriter.h"
#include "output/FrameFolderSource.h"
#include "output/MovieExport.h"
#include "platform/Prompter.h"
#include "platform/SafeFile.h"
#include "render/MovieFrameBuilder.h"
#include "render/ProjectFrame.h"
#include "storage/ImageFile.h"
#include "storage/Project.h"
#include "storage/ProjectFile.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <span>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace zx;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kBitRate = 2400;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::unique_ptr<Project> sampleProject() {
    SilentPrompter silent;
    auto opened = openProjectDocument(ZX_SAMPLES_DIR "/sample.zxp", silent);
    std::unique_ptr<Project> project = opened ? std::move(opened).value() : nullptr;
    if (project) {
        project->movieWidth = 640;
        project->movieHeight = 480;
    }
    return project;
}

ProjectMovieOptions movieOptions(const Project& project, RenderQuality quality) {
    ProjectMovieOptions options;
    options.quality = quality;
    options.library.projectFolder = project.folder;
    return options;
}

// A fresh folder in the temporary folder, removed at the end.
struct ScratchFolder {
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "zx-bench-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

// The frames as the AVI holds them: bottom-up rows of blue, green, red.
std::vector<uint8_t> rawFrame(const RasterImage& picture) {
    std::vector<uint8_t> out;
    out.reserve(size_t(picture.width()) * size_t(picture.height()) * 3);
    for (int y = picture.height() - 1; y >= 0; --y)
        for (const uint32_t p : picture.row(y)) {
            out.push_back(uint8_t(p));
            out.push_back(uint8_t(p >> 8));
            out.push_back(uint8_t(p >> 16));
        }
    return out;
}

// ffmpeg reading the raw frames from a pipe and writing the MP4 the export writes;
// the seconds from its start to its end, or a negative number when it failed.
double encodeAlone(const std::vector<std::vector<uint8_t>>& frames, int width, int height, int fps,
                   const fs::path& output) {
    std::string program = encoderProgram();
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const std::string rate = std::to_string(fps);
    // The rows come bottom-up, as in the AVI; the flip puts them upright.
    std::vector<std::string> args{program,
                                  "-v",
                                  "error",
                                  "-f",
                                  "rawvideo",
                                  "-pix_fmt",
                                  "bgr24",
                                  "-s",
                                  size,
                                  "-r",
                                  rate,
                                  "-i",
                                  "pipe:0",
                                  "-vf",
                                  "vflip",
                                  "-b:v",
                                  std::to_string(kBitRate) + "k",
                                  "-r",
                                  rate,
                                  "-pix_fmt",
                                  "yuv420p",
                                  "-f",
                                  "mp4",
                                  "-y",
                                  output.string()};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int fds[2];
    if (::pipe(fds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    const int spawned =
        posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[0]);
    if (spawned != 0) {
        ::close(fds[1]);
        return -1;
    }
    for (const auto& frame : frames) {
        size_t done = 0;
        while (done < frame.size()) {
            const ssize_t n = ::write(fds[1], frame.data() + done, frame.size() - done);
            if (n <= 0) break;
            done += size_t(n);
        }
    }
    ::close(fds[1]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double seconds = secondsSince(start);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

// Export of `frames` frames at a quality (1 Medium, 3 Maximum) by `workers` builder
// workers against its parts.
void BM_MovieExport(benchmark::State& state) {
    const auto quality = RenderQuality(state.range(0));
    const int frames = int(state.range(1));
    const int workers = int(state.range(2));
    auto project = sampleProject();
    if (!project) {
        state.SkipWithError("the sample project could not be read");
        return;
    }
    ScratchFolder folder;
    SilentPrompter silent;
    MovieExportOptions options;
    options.format = VideoFormat::Mp4;
    options.bitRate = kBitRate;
    options.markers = FrameRange{0, frames - 1};
    options.maximumQuality = false;
    options.width = project->movieWidth;
    options.height = project->movieHeight;
    options.framesPerSecond = project->fps;
    for (auto _ : state) {
        // The export, as export-movie runs it: the builder laid out, then the export.
        options.outputPath = folder.path / "export.mp4";
        auto start = Clock::now();
        Status status = Status::ok();
        {
            MovieFrameBuilder builder(movieOptions(*project, quality).library, workers);
            (void)builder.rebuildMovieFrameList(*project, movieFrameLayout(*project, quality));
            BuilderFrameSource exported(*project, builder);
            status = exportMovie(options, exported, nullptr, silent);
        }
        const double exportSeconds = secondsSince(start);
        if (!status) {
            state.SkipWithError(("export failed: " + status.fullText()).c_str());
            return;
        }
        // The frames alone, kept in memory.
        ProjectMovieSource built(*project, movieOptions(*project, quality));
        std::vector<std::vector<uint8_t>> raw;
        double buildSeconds = 0;
        for (int i = 0; i < frames; ++i) {
            start = Clock::now();
            Result<RasterImage> picture = built.frame(i);
            buildSeconds += secondsSince(start);
            if (!picture) {
                state.SkipWithError("a frame could not be built");
                return;
            }
            raw.push_back(rawFrame(*picture));
        }
        // ffmpeg alone on the same frames.
        const double encodeSeconds = encodeAlone(
            raw, options.width, options.height, options.framesPerSecond, folder.path / "alone.mp4");
        if (encodeSeconds < 0) {
            state.SkipWithError("ffmpeg alone failed");
            return;
        }
        state.SetIterationTime(exportSeconds);
        state.counters["export_fps"] = frames / exportSeconds;
        state.counters["build_fps"] = frames / buildSeconds;
        state.counters["ffmpeg_fps"] = frames / encodeSeconds;
        state.counters["x_parts"] = exportSeconds / (buildSeconds + encodeSeconds);
    }
}
BENCHMARK(BM_MovieExport)
    ->ArgNames({"quality", "frames", "workers"})
    ->Args({1, 60, 1})
    ->Args({1, 60, 2})
    ->Args({3, 20, 1})
    ->Args({3, 20, 2})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Movie frames rendered and written as PNG files (speed 1 fast, 0 default) against
// rendering alone, frame by frame in the same loop.
void BM_FrameFiles(benchmark::State& state) {
    const PngSpeed speed = state.range(0) ? PngSpeed::Fast : PngSpeed::Compact;
    const int frames = int(state.range(1));
    auto project = sampleProject();
    if (!project) {
        state.SkipWithError("the sample project could not be read");
        return;
    }
    ScratchFolder folder;
    ProjectMovieSource source(*project, movieOptions(*project, RenderQuality::Medium));
    for (auto _ : state) {
        double renderSeconds = 0, encodeSeconds = 0, writeSeconds = 0;
        size_t bytes = 0;
        for (int i = 0; i < frames; ++i) {
            auto start = Clock::now();
            Result<RasterImage> picture = source.frame(i);
            renderSeconds += secondsSince(start);
            if (!picture) {
                state.SkipWithError("a frame could not be built");
                return;
            }
            const fs::path path = folder.path / movieFrameFileName(i);
            start = Clock::now();
            const auto png = encodePng(*picture, nullptr, speed);
            encodeSeconds += secondsSince(start);
            if (!png || !writeFileSafely(path, std::as_bytes(std::span(*png)))) {
                state.SkipWithError("a frame could not be written");
                return;
            }
            writeSeconds += secondsSince(start);
            bytes += png->size();
        }
        state.SetIterationTime(renderSeconds + writeSeconds);
        state.counters["render_fps"] = frames / renderSeconds;
        state.counters["files_fps"] = frames / (renderSeconds + writeSeconds);
        state.counters["write_share"] = writeSeconds / renderSeconds;
        state.counters["encode_share"] = encodeSeconds / renderSeconds;
        state.counters["kB_per_frame"] = double(bytes) / frames / 1000.0;
    }
}
// render-movie as it runs: frames rendered on this thread and handed to the frame
// writer's threads, against rendering alone in the same run.
void BM_RenderMovie(benchmark::State& state) {
    const int threads = int(state.range(0));
    const int frames = int(state.range(1));
    auto project = sampleProject();
    if (!project) {
        state.SkipWithError("the sample project could not be read");
        return;
    }
    ScratchFolder folder;
    ProjectMovieSource source(*project, movieOptions(*project, RenderQuality::Medium));
    for (auto _ : state) {
        auto start = Clock::now();
        for (int i = 0; i < frames; ++i) benchmark::DoNotOptimize(source.frame(i));
        const double renderSeconds = secondsSince(start);
        start = Clock::now();
        {
            FrameFileWriter writer(folder.path, threads);
            for (int i = 0; i < frames; ++i) {
                Result<RasterImage> picture = source.frame(i);
                if (!picture || !writer.write(i, std::move(*picture))) {
                    state.SkipWithError("a frame could not be written");
                    return;
                }
            }
            if (!writer.finish()) {
                state.SkipWithError("a frame could not be written");
                return;
            }
        }
        const double movieSeconds = secondsSince(start);
        state.SetIterationTime(movieSeconds);
        state.counters["render_fps"] = frames / renderSeconds;
        state.counters["files_fps"] = frames / movieSeconds;
        state.counters["write_share"] = movieSeconds / renderSeconds - 1;
    }
}
BENCHMARK(BM_RenderMovie)
    ->ArgNames({"writers", "frames"})
    ->Args({1, 30})
    ->Args({2, 30})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_FrameFiles)
    ->ArgNames({"fast", "frames"})
    ->Args({1, 30})
    ->Args({0, 30})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
