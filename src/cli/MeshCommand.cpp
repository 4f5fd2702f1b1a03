// `mesh IN.zxp --image I [--regions contours|rectangles|full] [--definition 0|1|2]
// [--3d] [--blend PCT] -o OUT.zxp`: turns the regions of an image's mask into
// animated objects with their meshes, as "Init Dots to Contours" (or to Rectangles,
// or to Full Image) does, and saves the project. The objects the image has stay as
// they are; a region that already has an object gets no second one.

#include "anim/AnimationModel.h"
#include "anim/AnimationRecord.h"
#include "cli/Commands.h"
#include "cli/TerminalProgress.h"
#include "commands/ProjectSaving.h"
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

bool sameRegion(const AnimObject& a, const AnimObject& b) {
    return a.ownedMasks[0] && a.ownedMasks[0] == b.ownedMasks[0];
}

// Removes the new objects (from `firstNew` on) whose region an earlier object has;
// returns how many.
int dropRepeatedRegions(AnimationModel& model, int firstNew) {
    int dropped = 0;
    for (int slot = model.objectCount - 1; slot >= firstNew; --slot) {
        for (int old = 0; old < firstNew; ++old) {
            if (sameRegion(model.object(old), model.object(slot))) {
                model.removeObject(slot);
                ++dropped;
                break;
            }
        }
    }
    return dropped;
}

int runMesh(const MeshOptions& o, Context& context) {
    Prompter& prompter = context.prompter();
    if (auto error = saveExtensionError(o.output)) {
        prompter.message(*error);
        return 1;
    }
    std::unique_ptr<Project> project = context.openProject(o.input);
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

    const int kept = model.objectCount;
    InitRegionsResult made = initDotsToRegions(model, regions, o.regions, prompter, o.volume);
    const int repeated = dropRepeatedRegions(model, kept);
    TerminalProgress progress(context.quiet);
    RebuildOptions rebuild(prompter, &progress);
    rebuild.firstSlot = kept;
    if (o.volume) {
        ShapeBuildOptions shape;
        shape.blend = o.blend;
        rebuild.volumeBuilder = shapeVolumeBuilder(shape, &progress, prompter);
    }
    Result<RebuildCounts> built = rebuildMeshes(model, rebuild);
    progress.finish();
    if (built.status().isCancelled()) return 1;

    image->animation = writeAnimationRecord(model);
    if (!saveProjectFile(*project, o.output, prompter)) return 1;
    std::cout << initDotsLabel(o.regions) << ": " << made.created - repeated << " new objects";
    if (repeated > 0) std::cout << ", " << repeated << " regions already had one";
    std::cout << ", " << model.objectCount << " objects in all\n";
    return 0;
}

} // namespace

void registerMeshCommand(CLI::App& app, Context& context) {
    auto options = std::make_shared<MeshOptions>();
    CLI::App* sub = app.add_subcommand(
        "mesh", "Turn the regions of an image's mask into animated objects with meshes. The "
                "image's objects stay as they are, and a region that already has an object "
                "gets no second one, so running it again adds only new regions");
    sub->add_option("input", options->input, "The project to read (.zxp)")->required();
    sub->add_option("--image", options->image, "The image, counted from 0")->required();
    const std::map<std::string, RegionMode> modes = {{"contours", RegionMode::Contours},
                                                     {"rectangles", RegionMode::Rectangles},
                                                     {"full", RegionMode::FullImage}};
    sub->add_option("--regions", options->regions,
                    "One object per contour, per region's rectangle, or one for the full image")
        ->transform(CLI::CheckedTransformer(modes, CLI::ignore_case).description(""))
        ->type_name("contours|rectangles|full");
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
