// zelvotrix-cli render: one frame of one project image, or all of its frames, as the
// movie shows them: through the camera the movie gives that frame, with the project's
// own light, the image fitted into the movie frame. The engine renders; this file
// reads the arguments and writes the pictures.

#include "cli/Commands.h"
#include "cli/TerminalProgress.h"
#include "platform/Prompter.h"
#include "platform/Text.h"
#include "render/ImageScene.h"
#include "render/ProjectFrame.h"
#include "storage/ImageFile.h"
#include "storage/Project.h"
#include "storage/ProjectFile.h"
#include "storage/Settings.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

namespace zx::cli {

namespace {

namespace fs = std::filesystem;

struct RenderArgs {
    std::string input;
    int image = 0;
    int frame = 0;
    int quality = 3;
    std::string size;
    bool noBackground = false;
    bool noObjects = false;
    std::string output;
    std::string allFrames;
};

int fail(Prompter& prompter, const Status& status) {
    prompter.message("render: " + status.fullText());
    return 1;
}

std::optional<std::pair<int, int>> parseSize(const std::string& text) {
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return std::nullopt;
    try {
        size_t used = 0;
        const int w = std::stoi(text.substr(0, x), &used);
        if (used != x) return std::nullopt;
        const std::string rest = text.substr(x + 1);
        const int h = std::stoi(rest, &used);
        if (used != rest.size()) return std::nullopt;
        if (w < kMinMovieSide || h < kMinMovieSide || w > kMaxMovieSide || h > kMaxMovieSide)
            return std::nullopt;
        return std::pair{w, h};
    } catch (...) {
        return std::nullopt;
    }
}

bool isPictureFile(const std::string& path) {
    const std::string ext = lowerExtension(path);
    return ext == "png" || ext == "jpg" || ext == "jpeg";
}

// The frame the arguments ask for (the first one for --all-frames), or why not.
Result<ProjectFrameRequest> frameRequest(const RenderArgs& args) {
    if (args.output.empty() == args.allFrames.empty())
        return Status::refused("give either -o OUT.png|OUT.jpg or --all-frames DIR");
    if (!args.output.empty() && !isPictureFile(args.output))
        return Status::refused("the output must end in .png, .jpg or .jpeg");
    const std::optional<RenderQuality> quality = renderQualityFromInt(args.quality);
    if (!quality) return Status::refused("--quality must be 0, 1, 2 or 3");
    ProjectFrameRequest request;
    if (!args.size.empty()) {
        const auto size = parseSize(args.size);
        if (!size)
            return Status::refused("--size must be WIDTHxHEIGHT, each " +
                                   std::to_string(kMinMovieSide) + " … " +
                                   std::to_string(kMaxMovieSide));
        std::tie(request.width, request.height) = *size;
    }
    request.image = args.image;
    request.frame = args.allFrames.empty() ? args.frame : 0;
    request.view = FrameView::Movie;
    request.quality = *quality;
    request.showBackground = !args.noBackground;
    request.showObjects = !args.noObjects;
    return request;
}

// The scene of the requested image; a damaged record renders what it holds (the
// reader has said what is wrong).
void loadScene(const Project& project, const ProjectFrameRequest& request, Prompter& prompter,
               AnimationModel& scene) {
    LibraryLoadOptions library;
    library.prompter = &prompter;
    library.projectFolder = project.folder;
    (void)loadImageScene(project.images[request.image], scene, library);
    if (scene.objectCount == 0 && request.showObjects)
        prompter.message("render: image " + std::to_string(request.image) +
                         " has no animated objects; its frames show the background only");
}

// PNG, or JPEG at the quality of the JPEGquality setting.
Status writePicture(const fs::path& path, const RasterImage& picture, int jpegLevel,
                    Prompter& prompter, PngSpeed speed = PngSpeed::Compact) {
    const std::string ext = lowerExtension(path);
    return ext == "jpg" || ext == "jpeg" ? saveJpeg(path, picture, jpegLevel, &prompter)
                                         : savePng(path, picture, &prompter, speed);
}

int renderOneFrame(const Project& project, AnimationModel& scene,
                   const ProjectFrameRequest& request, const fs::path& output, int jpegLevel,
                   Prompter& prompter) {
    Result<RasterImage> picture = renderProjectFrame(project, scene, request);
    if (!picture) return fail(prompter, picture.status());
    if (Status written = writePicture(output, *picture, jpegLevel, prompter); !written)
        return fail(prompter, written);
    return 0;
}

// Every frame of the image but the end pose, as frame_00000.png, frame_00001.png, …
int renderAllFrames(const Project& project, AnimationModel& scene, ProjectFrameRequest request,
                    const fs::path& folder, Context& context) {
    Prompter& prompter = context.prompter();
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder))
        return fail(prompter, Status::failed("could not create the folder " + folder.string()));
    const int frames = std::max(1, project.images[request.image].duration());
    TerminalProgress progress(context.quiet);
    progress.setTitle("Rendering");
    RenderScratch scratch;
    for (request.frame = 0; request.frame < frames; ++request.frame) {
        progress.setPosition(request.frame, frames);
        Result<RasterImage> picture =
            renderProjectFrame(project, scene, request, nullptr, &scratch);
        if (!picture) return fail(prompter, picture.status());
        char name[32];
        std::snprintf(name, sizeof name, "frame_%05d.png", request.frame);
        // A frame sequence is written fast; single pictures are written small.
        const Status written = writePicture(folder / name, *picture, context.settings().jpegQuality,
                                            prompter, PngSpeed::Fast);
        if (!written) return fail(prompter, written);
    }
    progress.setPosition(frames, frames);
    progress.finish();
    std::cout << "wrote " << frames << " frames to " << folder.string() << "\n";
    return 0;
}

int runRender(const RenderArgs& args, Context& context) {
    Prompter& prompter = context.prompter();
    Result<ProjectFrameRequest> request = frameRequest(args);
    if (!request) return fail(prompter, request.status());
    std::unique_ptr<Project> project = context.openProject(args.input);
    if (!project) return 1;
    if (Status status = checkFrameRequest(*project, *request); !status)
        return fail(prompter, status);
    AnimationModel scene;
    loadScene(*project, *request, prompter, scene);
    if (!args.allFrames.empty())
        return renderAllFrames(*project, scene, *request, args.allFrames, context);
    return renderOneFrame(*project, scene, *request, args.output, context.settings().jpegQuality,
                          prompter);
}

} // namespace

void registerRenderCommand(CLI::App& app, Context& context) {
    auto args = std::make_shared<RenderArgs>();
    CLI::App* cmd = app.add_subcommand(
        "render", "Render one frame of a project image, or all its frames, to PNG or JPEG");
    cmd->add_option("input", args->input, "The project (.zxp)")->required();
    cmd->add_option("--image", args->image, "Index of the project image (from 0)")->required();
    CLI::Option* frame =
        cmd->add_option("--frame", args->frame,
                        "Frame of the image: 0 … its duration (the duration is the end pose)");
    cmd->add_option("--quality", args->quality,
                    "0 Low, 1 Medium, 2 High, 3 Maximum (the default, as a movie export)");
    cmd->add_option("--size", args->size,
                    "Output size WIDTHxHEIGHT (default: the movie size); the whole frame is "
                    "scaled, not cut");
    cmd->add_flag("--no-background", args->noBackground, "Leave out the background layer");
    cmd->add_flag("--no-objects", args->noObjects, "Leave out the animated objects");
    cmd->add_option("-o,--output", args->output,
                    "The picture to write (.png, or .jpg at the JPEGquality setting)");
    cmd->add_option("--all-frames", args->allFrames,
                    "Write every frame of the image as numbered PNGs into this folder")
        ->excludes(frame);
    cmd->callback([args, &context]() { context.exitCode = runRender(*args, context); });
}

} // namespace zx::cli
