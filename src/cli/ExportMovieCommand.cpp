// `export-movie IN.zxp -o OUT.avi|wmv|mov|flv|mp4`: the project's movie as a video file,
// as Export Movie writes it; or, with --from-frames, the numbered PNG frames that
// render-movie wrote (on one machine or many) put together into the movie. The file
// appears under its name only when it is complete.

#include "cli/Commands.h"
#include "cli/MovieCommandSupport.h"
#include "commands/ProjectMovieSource.h"
#include "output/FrameFolderSource.h"
#include "output/MovieExport.h"
#include "platform/Prompter.h"
#include "storage/Project.h"
#include "storage/ProjectFile.h"
#include "storage/Settings.h"

#include <iostream>
#include <memory>
#include <string>

namespace zx::cli {

namespace {

struct ExportMovieArgs {
    std::string input;
    std::string output;
    int bitRate = 2400;
    std::string markers;
    bool maximumQuality = false;
    bool blackTrailer = false;
    int workers = 1;
    std::string fromFrames;
    int fps = 0;
};

int fail(Prompter& prompter, const Status& status) {
    prompter.message("export-movie: " + status.fullText());
    return 1;
}

// The options the arguments ask for, before any frame source is known.
Result<MovieExportOptions> exportOptions(const ExportMovieArgs& args) {
    MovieExportOptions options;
    options.outputPath = args.output;
    const std::optional<VideoFormat> format = videoFormatOfPath(args.output);
    if (!format)
        return Status::refused("Invalid file type", "expected .avi, .wmv, .mov, .flv or .mp4");
    options.format = *format;
    options.bitRate = args.bitRate;
    if (!args.markers.empty()) {
        options.markers = parseFrameRange(args.markers);
        if (!options.markers) return Status::refused("--markers must be A:B with 0 ≤ A ≤ B");
    }
    options.maximumQuality = args.maximumQuality;
    options.blackTrailer = args.blackTrailer;
    return options;
}

// Runs the export and says how it went; the engine has shown its failures.
int exportFrom(MovieFrameSource& source, const MovieExportOptions& options, Context& context) {
    InterruptibleProgress progress(context.quiet);
    const Status status = exportMovie(options, source, &progress, context.prompter());
    progress.finish();
    if (progress.cancelled()) {
        std::cerr << "export-movie: interrupted; nothing was written\n";
        return kInterruptedExit;
    }
    if (!status) {
        if (!status.detail().empty()) std::cerr << status.detail() << "\n";
        return 1;
    }
    std::cout << "wrote " << options.outputPath.string() << "\n";
    return 0;
}

int exportProject(const ExportMovieArgs& args, MovieExportOptions options, Context& context) {
    Prompter& prompter = context.prompter();
    std::unique_ptr<Project> project = context.openProject(args.input);
    if (!project) return 1;
    ProjectMovieOptions movie = projectMovieOptions(*project, context, false);
    movie.workers = args.workers;
    BuiltMovie built(*project, movie);
    MovieFrameSource& source = built.source();
    options.width = project->movieWidth;
    options.height = project->movieHeight;
    options.framesPerSecond = project->fps;
    if (options.markers && options.markers->last >= source.frameCount())
        return fail(prompter, Status::refused("--markers: the movie's frames are 0 … " +
                                              std::to_string(source.frameCount() - 1)));
    return exportFrom(source, options, context);
}

// Frames from a folder: the frame rate of the project when one is given, else --fps,
// else the settings'. Every frame of the range must be there before anything is written.
int exportFolder(const ExportMovieArgs& args, MovieExportOptions options, Context& context) {
    Prompter& prompter = context.prompter();
    Result<FrameFolderSource> source = FrameFolderSource::open(args.fromFrames);
    if (!source) return fail(prompter, source.status());
    options.framesPerSecond = args.fps > 0 ? args.fps : context.settings().fps;
    if (!args.input.empty()) {
        std::unique_ptr<Project> project = context.openProject(args.input);
        if (!project) return 1;
        if (args.fps <= 0) options.framesPerSecond = project->fps;
    }
    const FrameRange range = options.markers.value_or(FrameRange{0, source->frameCount() - 1});
    if (const auto missing = source->firstMissing(range.first, range.last))
        return fail(prompter, Status::refused(movieFrameFileName(*missing) + " is missing in " +
                                              args.fromFrames));
    Result<std::pair<int, int>> size = source->frameSize();
    if (!size) return fail(prompter, size.status());
    std::tie(options.width, options.height) = *size;
    return exportFrom(*source, options, context);
}

int runExportMovie(const ExportMovieArgs& args, Context& context) {
    Result<MovieExportOptions> options = exportOptions(args);
    if (!options) return fail(context.prompter(), options.status());
    if (!args.fromFrames.empty()) return exportFolder(args, std::move(*options), context);
    if (args.input.empty())
        return fail(context.prompter(), Status::refused("give the project, or --from-frames DIR"));
    return exportProject(args, std::move(*options), context);
}

} // namespace

void registerExportMovieCommand(CLI::App& app, Context& context) {
    auto args = std::make_shared<ExportMovieArgs>();
    CLI::App* cmd = app.add_subcommand(
        "export-movie", "Write the project's movie as AVI, WMV, MOV, FLV or MP4 (via ffmpeg)");
    cmd->add_option("input", args->input, "The project (.zxp)");
    cmd->add_option("-o,--output", args->output, "The movie file; its extension names the format")
        ->required();
    cmd->add_option("--bitrate", args->bitRate, "Video bit rate in kbit/s (64 … 175000; not AVI)");
    cmd->add_option("--markers", args->markers,
                    "Only movie frames A to B, both included (A:B, from 0)");
    cmd->add_flag("--max-quality", args->maximumQuality,
                  "Render at Maximum quality (default: the Movie preview quality setting)");
    cmd->add_flag("--black-trailer", args->blackTrailer, "Add one second of black at the end");
    cmd->add_option("--workers", args->workers, "Threads building each image's frames (default 1)")
        ->check(CLI::Range(1, 64));
    CLI::Option* from = cmd->add_option(
        "--from-frames", args->fromFrames,
        "Assemble the numbered PNG frames render-movie wrote into this folder instead");
    cmd->add_option("--fps", args->fps,
                    "Frame rate of --from-frames (default: the project's, else the settings')")
        ->check(CLI::Range(1, 100))
        ->needs(from);
    cmd->callback([args, &context]() { context.exitCode = runExportMovie(*args, context); });
}

} // namespace zx::cli
