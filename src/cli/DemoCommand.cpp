// `demo [PHOTO...] -o OUT.zxp`: the built-in demo animation as a project. The first
// photograph (or, without one, the built-in picture) is cut out, meshed and animated
// by the engine's own tools; further photographs follow as plain images.

#include "cli/Commands.h"
#include "cli/TerminalProgress.h"
#include "commands/DemoScene.h"
#include "commands/ProjectSaving.h"
#include "platform/Prompter.h"
#include "storage/ImageFile.h"
#include "storage/PhotoImport.h"
#include "storage/ProjectFile.h"
#include "storage/Settings.h"

#include <filesystem>
#include <iostream>
#include <vector>

namespace zx::cli {

namespace {

struct DemoArgs {
    std::vector<std::string> photos;
    std::string output;
    int definition = -1; // -1: the ContourDef setting
};

int runDemo(const DemoArgs& args, Context& context) {
    Prompter& prompter = context.prompter();
    if (auto error = saveExtensionError(args.output)) {
        prompter.message(*error);
        return 1;
    }
    std::vector<DemoPicture> pictures;
    for (const std::string& photo : args.photos) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(photo, ec)) {
            prompter.message("Cannot open " + photo);
            return 1;
        }
        Result<RasterImage> picture = loadImage(photo, &prompter);
        if (!picture) {
            prompter.message("Could not import " + photo);
            return 1;
        }
        pictures.push_back({std::move(*picture), photoLayerName(photo)});
    }
    TerminalProgress progress(context.quiet);
    Settings settings = context.settings();
    if (args.definition >= 0) settings.contourDef = args.definition;
    std::unique_ptr<Project> project = buildDemoProject(pictures, settings, &progress, prompter);
    progress.finish();
    if (!project) return 1;
    if (!saveProjectFile(*project, args.output, prompter)) return 1;
    std::cout << "Demo animation of " << project->images[0].duration() << " frames in image 0 of "
              << args.output << "\n";
    return 0;
}

} // namespace

void registerDemoCommand(CLI::App& app, Context& context) {
    auto args = std::make_shared<DemoArgs>();
    CLI::App* sub = app.add_subcommand(
        "demo", "Make the built-in demo animation: the first photograph cut out, meshed (one "
                "object in 3D) and animated with dots, a bone and time curves");
    sub->add_option("photos", args->photos,
                    "Photographs (PNG or JPEG); the first is animated (default: a built-in "
                    "picture), the others follow as plain images");
    sub->add_option("--definition", args->definition,
                    "Mesh definition: 0 low, 1 medium, 2 high (default: the setting)")
        ->check(CLI::Range(0, 2));
    sub->add_option("-o,--output", args->output, "The project file to write (.zxp)")->required();
    sub->callback([args, &context] { context.exitCode = runDemo(*args, context); });
}

} // namespace zx::cli
