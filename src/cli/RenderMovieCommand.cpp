// `render-movie IN.zxp --frames A:B -o DIR`: movie frames A to B as numbered PNG files
// (frame_00000.png is movie frame 0), for a render farm: each frame is the same whatever
// range it was rendered in, so pieces rendered anywhere put together in one folder
// make the movie (`export-movie --from-frames DIR`).

#include "cli/Commands.h"
#include "cli/MovieCommandSupport.h"
#include "commands/ProjectMovieSource.h"
#include "output/FrameFileWriter.h"
#include "output/FrameFolderSource.h"
#include "platform/Prompter.h"
#include "storage/Project.h"
#include "storage/ProjectFile.h"
#include "storage/Settings.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

namespace zx::cli {

namespace {

namespace fs = std::filesystem;

// Compressing a frame takes about as long as rendering one at Medium quality, so a
// few writers keep up with the renderer.
constexpr int kMaxWriterThreads = 4;

struct RenderMovieArgs {
    std::string input;
    std::string frames;
    std::string output;
    bool maximumQuality = false;
    int workers = 1;
};

int fail(Prompter& prompter, const Status& status) {
    prompter.message("render-movie: " + status.fullText());
    return 1;
}

// The range asked for, inside the movie's frames.
Result<FrameRange> frameRange(const std::string& text, int frameCount) {
    if (frameCount <= 0) return Status::refused("the movie has no frames");
    const FrameRange all{0, frameCount - 1};
    if (text.empty()) return all;
    const std::optional<FrameRange> range = parseFrameRange(text);
    if (!range) return Status::refused("--frames must be A:B with 0 ≤ A ≤ B");
    if (range->last > all.last)
        return Status::refused("the movie's frames are 0 … " + std::to_string(all.last));
    return *range;
}

// Each frame is compressed and saved on the writer's threads while the next one renders.
Status renderRange(MovieFrameSource& source, FrameRange range, const fs::path& folder,
                   Progress& progress) {
    const int total = range.last - range.first + 1;
    FrameFileWriter writer(folder, std::clamp(availableCores(), 1, kMaxWriterThreads));
    progress.setTitle("Rendering movie frames");
    for (int i = range.first; i <= range.last; ++i) {
        if (progress.cancelled()) {
            (void)writer.finish(); // the frames handed over are complete files
            return Status::cancelled();
        }
        progress.setPosition(i - range.first, total);
        Result<RasterImage> picture = source.frame(i);
        if (!picture) return picture.status();
        if (Status handed = writer.write(i, std::move(*picture)); !handed) return handed;
    }
    if (Status written = writer.finish(); !written) return written;
    progress.setPosition(total, total);
    return Status::ok();
}

int runRenderMovie(const RenderMovieArgs& args, Context& context) {
    Prompter& prompter = context.prompter();
    std::unique_ptr<Project> project = context.openProject(args.input);
    if (!project) return 1;
    ProjectMovieOptions movie = projectMovieOptions(*project, context, args.maximumQuality);
    movie.workers = args.workers;
    BuiltMovie built(*project, movie);
    MovieFrameSource& source = built.source();
    Result<FrameRange> range = frameRange(args.frames, source.frameCount());
    if (!range) return fail(prompter, range.status());
    std::error_code ec;
    fs::create_directories(args.output, ec);
    if (!fs::is_directory(args.output, ec))
        return fail(prompter, Status::failed("could not create the folder " + args.output));
    InterruptibleProgress progress(context.quiet);
    const Status rendered = renderRange(source, *range, args.output, progress);
    progress.finish();
    if (rendered.isCancelled()) {
        std::cerr << "render-movie: interrupted\n";
        return kInterruptedExit;
    }
    if (!rendered) return fail(prompter, rendered);
    std::cout << "wrote frames " << range->first << " … " << range->last << " to " << args.output
              << "\n";
    return 0;
}

} // namespace

void registerRenderMovieCommand(CLI::App& app, Context& context) {
    auto args = std::make_shared<RenderMovieArgs>();
    CLI::App* cmd = app.add_subcommand(
        "render-movie",
        "Write movie frames as numbered PNGs (frame_00000.png, …), e.g. a share of a render farm");
    cmd->add_option("input", args->input, "The project (.zxp)")->required();
    cmd->add_option("--frames", args->frames,
                    "Movie frames A to B, both included (A:B, from 0; default: all)");
    cmd->add_option("-o,--output", args->output, "The folder for the frames")->required();
    cmd->add_flag("--max-quality", args->maximumQuality,
                  "Render at Maximum quality (default: the Movie preview quality setting)");
    cmd->add_option("--workers", args->workers, "Threads building each image's frames (default 1)")
        ->check(CLI::Range(1, 64));
    cmd->callback([args, &context]() { context.exitCode = runRenderMovie(*args, context); });
}

} // namespace zx::cli
