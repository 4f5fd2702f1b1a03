// `import-video VIDEO -o OUT.zxp`: a project whose one image is the video's first frame,
// as importing a video where a photograph is expected makes it.

#include "cli/Commands.h"
#include "commands/ProjectSaving.h"
#include "output/VideoImport.h"
#include "platform/Prompter.h"
#include "storage/PhotoImport.h"
#include "storage/Project.h"
#include "storage/ProjectFile.h"
#include "storage/Settings.h"

#include <memory>
#include <string>

namespace zx::cli {

namespace {

struct ImportVideoArgs {
    std::string video;
    std::string output;
    bool keepSize = false;
};

int runImportVideo(const ImportVideoArgs& args, Context& context) {
    Prompter& prompter = context.prompter();
    if (auto error = saveExtensionError(args.output)) {
        prompter.message(*error);
        return 1;
    }
    // Says itself why a file is no video.
    Result<RasterImage> still = firstFrameOfVideo(args.video, prompter);
    if (!still) return 1;
    const Settings& settings = context.settings();
    Project project = Project::fromSettings(settings);
    PhotoImportSession session;
    const PhotoLimits limits{settings.maxSize, args.keepSize, nullptr};
    std::optional<RasterImage> photo = preparePhoto(std::move(*still), limits, session, prompter);
    if (!photo) return 1;
    project.currentImage = project.images.append(
        buildPhotoImage(std::move(*photo), photoLayerName(args.video),
                        settings.defaultDurationFrames(project.fps), project.canvasColour));
    return saveProjectFile(project, args.output, prompter) ? 0 : 1;
}

} // namespace

void registerImportVideoCommand(CLI::App& app, Context& context) {
    auto args = std::make_shared<ImportVideoArgs>();
    CLI::App* cmd = app.add_subcommand(
        "import-video", "Make a project whose image is the first frame of a video (via ffmpeg)");
    cmd->add_option("video", args->video, "The video file")->required();
    cmd->add_option("-o,--output", args->output, "The project file to write (.zxp)")->required();
    cmd->add_flag("--keep-size", args->keepSize,
                  "Do not offer to reduce pictures larger than the MaxSize setting");
    cmd->callback([args, &context]() { context.exitCode = runImportVideo(*args, context); });
}

} // namespace zx::cli
