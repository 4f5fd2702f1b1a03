// `mesh IN.zxp --image I [--regions contours|rectangles|full] [--definition 0|1|2]
// [--3d] [--blend PCT] -o OUT.zxp`: turns the regions of an image's mask into
// animated objects with their meshes, as "Init Dots to Contours" (or to Rectangles,
// or to Full Image) does, and saves the project.

#include "anim/AnimationModel.h"
#include "anim/AnimationRecord.h"
#include "cli/Commands.h"
#include "cli/TerminalProgress.h"
#include "mesh3d/RebuildMeshes.h"
#include "mesh3d/RegionObjects.h"
#include "mesh3d/ShapeBuilder.h"
#include "platform/Prompter.h"
#include "storage/ProjectFile.h"
#include "storage/Settings.h"

#include <iostream>
#include <map>

namespace zx::cli {

namespace {

struct MeshOptions {
    std::string input;
    std::string output;
    int image = 0;
    RegionMode regions = RegionMode::Contours;
    int definition = -1; // -1: the ContourDef setting
    bool volume = false;
    double blend = 0;
};

// The layers the editing tools address: 2 the subject, 3 the mask.
constexpr int kSubjectLayer = 2;
constexpr int kMaskLayer = 3;

int runMesh(const MeshOptions& o, Context& context) {
    Prompter& prompter = context.prompter();
    if (auto error = saveExtensionError(o.output)) {
        prompter.message(*error);
        return 1;
    }
    std::unique_ptr<Project> project = openProjectDocument(o.input, prompter);
    if (!project) return 1;
    ProjectImage* image = project->images.at(o.image);
    if (!image) {
        prompter.message("There is no image " + std::to_string(o.image) + " in " + o.input);
        return 1;
    }
    const int w = image->width(), h = image->height();
    const RasterImage* subject = image->layerPicture(kSubjectLayer);
    const RasterImage* maskLayer = image->layerPicture(kMaskLayer);
    if (subject && (subject->width() != w || subject->height() != h || subject->isDescriptor()))
        subject = nullptr;
    if (maskLayer && (maskLayer->width() != w || maskLayer->height() != h)) maskLayer = nullptr;
    // Without a mask layer the whole subject shows.
    const RasterImage fullMask(w, h, 0xFF);
    const RasterImage regions = visibleRegionMask(maskLayer ? *maskLayer : fullMask, subject);

    AnimationModel model;
    // The objects the image has keep their words as stored (library objects are not
    // loaded from their files: they are only written back).
    RecordReadOptions read;
    read.prompter = &prompter;
    read.forRewrite = true;
    if (image->animation && !readAnimationRecord(model, *image->animation, read)) return 1;
    model.startWidth = w;
    model.startHeight = h;
    model.defaultSettingWord = o.definition >= 0 ? o.definition : context.settings().contourDef;

    InitRegionsResult made = initDotsToRegions(model, regions, o.regions, prompter, o.volume);
    TerminalProgress progress(context.quiet);
    RebuildOptions rebuild(prompter, &progress);
    if (o.volume) {
        ShapeBuildOptions shape;
        shape.blend = o.blend;
        rebuild.volumeBuilder = shapeVolumeBuilder(shape, &progress, prompter);
    }
    Result<RebuildCounts> built = rebuildMeshes(model, rebuild);
    progress.finish();
    if (built.status().isCancelled()) return 1;

    image->animation = writeAnimationRecord(model);
    if (!saveProjectDocument(*project, o.output, prompter)) return 1;
    std::cout << initDotsLabel(o.regions) << ": " << made.created << " regions, "
              << model.objectCount << " objects with meshes\n";
    return 0;
}

} // namespace

void registerMeshCommand(CLI::App& app, Context& context) {
    auto options = std::make_shared<MeshOptions>();
    CLI::App* sub = app.add_subcommand(
        "mesh", "Turn the regions of an image's mask into animated objects with meshes");
    sub->add_option("input", options->input, "The project to read (.zxp)")->required();
    sub->add_option("--image", options->image, "The image, counted from 0")->required();
    const std::map<std::string, RegionMode> modes = {{"contours", RegionMode::Contours},
                                                     {"rectangles", RegionMode::Rectangles},
                                                     {"full", RegionMode::FullImage}};
    sub->add_option("--regions", options->regions,
                    "One object per contour, per region's rectangle, or one for the full image")
        ->transform(CLI::CheckedTransformer(modes, CLI::ignore_case));
    sub->add_option("--definition", options->definition,
                    "Mesh definition: 0 low, 1 medium, 2 high (default: the setting)")
        ->check(CLI::Range(0, 2));
    sub->add_flag("--3d", options->volume, "Give the objects a 3D volume");
    sub->add_option("--blend", options->blend,
                    "Percent of the distance depth mixed into the 3D volume")
        ->check(CLI::Range(0.0, 100.0));
    sub->add_option("-o,--output", options->output, "The project file to write (.zxp)")->required();
    sub->callback([options, &context] { context.exitCode = runMesh(*options, context); });
}

} // namespace zx::cli
