// zelvotrix-cli render: one frame of one project image, or all of its frames, through
// the camera the movie gives that frame and the project's own light settings.

#include "anim/LibraryFile.h"
#include "platform/Text.h"
#include "cli/Commands.h"
#include "cli/TerminalProgress.h"
#include "platform/Prompter.h"
#include "render/CameraTags.h"
#include "render/FrameRenderer.h"
#include "render/ImageScene.h"
#include "render/MoviePanelSettings.h"
#include "storage/ImageFile.h"
#include "storage/Project.h"
#include "storage/ProjectFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace zx::cli {

namespace {

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

int fail(Prompter& prompter, const std::string& message) {
    prompter.message("render: " + message);
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

bool writePicture(const std::filesystem::path& path, RasterImage picture, Prompter& prompter) {
    // Frames leave the renderer with the alpha of their composition (0 after the
    // halving at Maximum); a frame is a finished, opaque picture.
    for (uint32_t& p : picture.pixelVector()) p |= 0xFF000000u;
    const std::string ext = lowerExtension(path);
    if (ext == "jpg" || ext == "jpeg") return saveJpeg(path, picture, 90, &prompter);
    return savePng(path, picture, &prompter);
}

int runRender(const RenderArgs& args, Context& context) {
    Prompter& prompter = context.prompter();
    if (args.output.empty() == args.allFrames.empty())
        return fail(prompter, "give either -o OUT.png|OUT.jpg or --all-frames DIR");
    if (!args.output.empty()) {
        const std::string ext = lowerExtension(args.output);
        if (ext != "png" && ext != "jpg" && ext != "jpeg")
            return fail(prompter, "the output must end in .png, .jpg or .jpeg");
    }
    const auto quality = renderQualityFromInt(args.quality);
    if (!quality) return fail(prompter, "--quality must be 0, 1, 2 or 3");
    std::optional<std::pair<int, int>> size;
    if (!args.size.empty() && !(size = parseSize(args.size)))
        return fail(prompter, "--size must be WIDTHxHEIGHT, each 16 … 4095");

    ProjectLoadError error = ProjectLoadError::None;
    std::unique_ptr<Project> project = loadProject(args.input, prompter, {}, &error);
    if (!project) return fail(prompter, std::string(kNotAProjectMessage) + ": " + args.input);
    const ProjectImage* image = project->images.at(args.image);
    if (!image)
        return fail(prompter, "there is no image " + std::to_string(args.image) +
                                  " (the project has " + std::to_string(project->imageCount()) +
                                  ")");
    const int duration = std::max(1, image->duration());
    if (args.allFrames.empty() && (args.frame < 0 || args.frame > duration))
        return fail(prompter, "--frame must lie in 0 … " + std::to_string(duration));

    // The scene: masked subject, background and the image's animation.
    AnimationModel scene;
    LibraryLoadOptions library;
    library.prompter = &prompter;
    library.projectFolder = project->folder;
    RecordReadOptions read;
    read.prompter = &prompter;
    read.loadLibrary = recordLibraryLoader(library);
    prepareImageScene(*image, scene, read); // a damaged record still renders what it holds
    if (scene.objectCount == 0 && !args.noObjects)
        prompter.message("render: image " + std::to_string(args.image) +
                         " has no animated objects; its frames show the background only");

    const MoviePanelSettings panel = MoviePanelSettings::fromWords(project->movieWords);
    refreshRenderSettings(scene.renderSettings, panel, *quality);

    // The movie's frames with their camera values from the project's tags.
    FrameLayoutSettings layout;
    layout.quality = *quality;
    layout.backgroundField = panel.backgroundFieldRadians();
    layout.backgroundMode = int32_t(image->canvasColour);
    layout.showBackground = args.noBackground ? 0 : 1;
    layout.showObjects = args.noObjects ? 0 : 1;
    if (size) {
        project->movieWidth = size->first;
        project->movieHeight = size->second;
    }
    MovieFrames frames = layoutMovieFrames(*project, layout);
    const TagCurveShapes shapes{};
    ensureFirstFrameTags(frames);
    if (project->cameraValues)
        applyCameraValues(frames, *project->cameraValues, shapes);
    else
        interpolateCameraTags(frames, shapes);

    RenderScratch scratch;
    auto renderOne = [&](int k) -> std::optional<RasterImage> {
        // The end pose (k = duration) has no movie frame of its own; it keeps the
        // camera of the image's last frame.
        const int index = movieFrameIndex(frames, args.image, std::min(k, duration - 1));
        CameraFrame fallback;
        if (index < 0) {
            // An image the movie has no frames of (no duration): a first frame's camera.
            const int factor = *quality == RenderQuality::Maximum ? 2 : 1;
            fallback = makeCameraFrame(project->movieWidth * factor, project->movieHeight * factor,
                                       scene.startWidth, scene.startHeight, args.image, 0, layout);
        }
        CameraFrame& frame = index < 0 ? fallback : frames[size_t(index)];
        frame.frameIndex = k;
        frame.imageWidth = scene.startWidth;
        frame.imageHeight = scene.startHeight;
        return renderFrameAt(scene, frame, double(k) / double(duration), nullptr, &scratch);
    };

    if (!args.output.empty()) {
        auto picture = renderOne(args.frame);
        if (!picture) return fail(prompter, "the frame could not be rendered");
        if (!writePicture(args.output, std::move(*picture), prompter))
            return fail(prompter, "could not write " + args.output);
        return 0;
    }

    std::error_code ec;
    std::filesystem::create_directories(args.allFrames, ec);
    if (!std::filesystem::is_directory(args.allFrames))
        return fail(prompter, "could not create the folder " + args.allFrames);
    TerminalProgress progress(context.quiet);
    progress.setTitle("Rendering");
    for (int k = 0; k < duration; ++k) {
        progress.setPosition(k, duration);
        auto picture = renderOne(k);
        if (!picture)
            return fail(prompter, "frame " + std::to_string(k) + " could not be rendered");
        char name[32];
        std::snprintf(name, sizeof name, "frame_%05d.png", k);
        const std::filesystem::path out = std::filesystem::path(args.allFrames) / name;
        if (!writePicture(out, std::move(*picture), prompter))
            return fail(prompter, "could not write " + out.string());
    }
    progress.setPosition(duration, duration);
    progress.finish();
    return 0;
}

} // namespace

void registerRenderCommand(CLI::App& app, Context& context) {
    auto args = std::make_shared<RenderArgs>();
    CLI::App* cmd = app.add_subcommand(
        "render", "Render one frame of a project image, or all its frames, to PNG or JPEG");
    cmd->add_option("input", args->input, "The project (.zxp)")->required();
    cmd->add_option("--image", args->image, "Index of the project image (from 0)")->required();
    cmd->add_option("--frame", args->frame,
                    "Frame of the image: 0 … its duration (the duration is the end pose)");
    cmd->add_option("--quality", args->quality, "0 Low, 1 Medium, 2 High, 3 Maximum");
    cmd->add_option("--size", args->size, "Output size WIDTHxHEIGHT (default: the movie size)");
    cmd->add_flag("--no-background", args->noBackground, "Leave out the background layer");
    cmd->add_flag("--no-objects", args->noObjects, "Leave out the animated objects");
    cmd->add_option("-o,--output", args->output, "The picture to write (.png, .jpg)");
    cmd->add_option("--all-frames", args->allFrames,
                    "Write every frame of the image as numbered PNGs into this folder");
    cmd->callback([args, &context]() { context.exitCode = runRender(*args, context); });
}

} // namespace zx::cli
