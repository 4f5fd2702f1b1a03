// `export-image IN.zxp --frame K -o OUT.png|OUT.jpg`: movie frame K as Export Image
// saves the current movie frame: through the camera, at the movie size, PNG or JPEG at
// the JPEGquality setting.

#include "cli/Commands.h"
#include "cli/MovieCommandSupport.h"
#include "commands/ProjectMovieSource.h"
#include "commands/StillExport.h"
#include "platform/Prompter.h"
#include "storage/Project.h"
#include "storage/ProjectFile.h"
#include "storage/Settings.h"

#include <memory>
#include <string>

namespace zx::cli {

namespace {

struct ExportImageArgs {
    std::string input;
    int frame = 0;
    std::string output;
    bool maximumQuality = false;
};

int fail(Prompter& prompter, const Status& status) {
    prompter.message("export-image: " + status.fullText());
    return 1;
}

int runExportImage(const ExportImageArgs& args, Context& context) {
    Prompter& prompter = context.prompter();
    if (!isStillFileName(args.output)) {
        prompter.message(kInvalidStillExtension);
        return 1;
    }
    std::unique_ptr<Project> project = context.openProject(args.input);
    if (!project) return 1;
    ProjectMovieSource source(*project,
                              projectMovieOptions(*project, context, args.maximumQuality));
    Result<RasterImage> picture = source.frame(args.frame);
    if (!picture) return fail(prompter, picture.status());
    return saveStill(args.output, *picture, context.settings().jpegQuality, prompter) ? 0 : 1;
}

} // namespace

void registerExportImageCommand(CLI::App& app, Context& context) {
    auto args = std::make_shared<ExportImageArgs>();
    CLI::App* cmd = app.add_subcommand(
        "export-image", "Save one movie frame, as the movie shows it, as PNG or JPEG");
    cmd->add_option("input", args->input, "The project (.zxp)")->required();
    cmd->add_option("--frame", args->frame, "Movie frame, from 0")->required();
    cmd->add_option("-o,--output", args->output,
                    "The picture (.png, or .jpg at the JPEGquality setting)")
        ->required();
    cmd->add_flag("--max-quality", args->maximumQuality,
                  "Render at Maximum quality (default: the Movie preview quality setting)");
    cmd->callback([args, &context]() { context.exitCode = runExportImage(*args, context); });
}

} // namespace zx::cli
