// The Animate mode's rows of the script command table: the Animation and Meshes menu
// commands by their menu texts.

#include "commands/AnimateEditor.h"
#include "commands/ApplyScript.h"
#include "commands/LibraryObjects.h"
#include "commands/Workspace.h"
#include "mesh3d/RebuildMeshes.h"
#include "mesh3d/SelectionMesh.h"

namespace zx {

namespace {

using Run = std::function<Status(ApplyContext&, const DialogValues&)>;
using SelectedCommand = std::function<EditResult(AnimationModel&, int slot, const DialogValues&)>;

// A command on the selected object; refused when none is selected.
Run onSelected(SelectedCommand command) {
    return [command](ApplyContext& c, const DialogValues& values) {
        AnimateEditor& editor = c.animate;
        const int slot = editor.model().selectedObject;
        if (!validObject(editor.model(), slot)) return Status::refused("No object is selected");
        return editor.apply([&](AnimationModel& m) { return command(m, slot, values); });
    };
}

Run regions(RegionMode mode) {
    return [mode](ApplyContext& c, const DialogValues&) { return c.animate.initRegions(mode); };
}

Run selectionMesh(std::string_view label) {
    return [label](ApplyContext& c, const DialogValues&) {
        return c.animate.selectionMeshCommand(label);
    };
}

Run view(AnimateView v) {
    return [v](ApplyContext& c, const DialogValues&) {
        c.animate.setView(v);
        return Status::ok();
    };
}

Run curve(CurveChoice choice) {
    return onSelected([choice](AnimationModel& m, int s, const DialogValues&) {
        return setTimeCurve(m, s, choice);
    });
}

// "Load Object...": the library file as a new object of the current image.
Status loadObject(ApplyContext& c, const DialogValues&) {
    if (c.file.empty()) return Status::refused("\"Load Object...\" needs the library \"file\"");
    LibraryLoadOptions options;
    options.relocations = &c.workspace.libraryRelocations;
    Result<int> slot = loadObjectIntoCurrentImage(c.workspace, c.file, std::move(options));
    if (!slot) return slot.status();
    if (c.workspace.mode() == AnimationMode::Animate) c.animate.imageChanged();
    return Status::ok();
}

// "Save As Object...": the current image's whole animation as one library object.
Status saveAsObject(ApplyContext& c, const DialogValues&) {
    if (c.file.empty()) return Status::refused("\"Save As Object...\" needs the library \"file\"");
    const ProjectImage* image = c.workspace.currentImage();
    if (!image) return Status::refused("There is no image to save");
    SaveAnimationOptions options;
    options.prompter = &c.workspace.prompter();
    options.projectFolder = c.workspace.project().folder;
    options.relocations = &c.workspace.libraryRelocations;
    return saveImageAnimationAsLibrary(*image, c.file, options).status();
}

} // namespace

void addAnimateApplyCommands(std::vector<ApplyCommand>& t) {
    t.push_back({"Load Object...", {}, {}, loadObject});
    t.push_back({"Save As Object...", {}, {}, saveAsObject});
    constexpr std::string_view a = "animate";
    t.push_back({"Full Image Rectangle", a, {}, regions(RegionMode::FullImage)});
    t.push_back({"Regions Contours", a, {}, regions(RegionMode::Contours)});
    t.push_back({"Regions Rectangles", a, {}, regions(RegionMode::Rectangles)});
    t.push_back({"Clear All", a, {}, [](ApplyContext& c, const DialogValues&) {
                     return c.animate.clearAllMeshes();
                 }});
    for (std::string_view label :
         {kConvertToMeshLabel, kSplitMeshLabel, kCutMeshLabel, kAddToMeshLabel})
        t.push_back({label, a, {}, selectionMesh(label)});
    t.push_back({kIncreaseDefinitionLabel, a, {}, [](ApplyContext& c, const DialogValues&) {
                     return c.animate.changeMeshDefinition(1);
                 }});
    t.push_back({kDecreaseDefinitionLabel, a, {}, [](ApplyContext& c, const DialogValues&) {
                     return c.animate.changeMeshDefinition(-1);
                 }});
    t.push_back({"Lock Mouse Select", a, {}, [](ApplyContext& c, const DialogValues&) {
                     c.animate.keyPress(EditorKey::L);
                     return Status::ok();
                 }});
    t.push_back({"Hide", a, {}, onSelected([](AnimationModel& m, int s, const DialogValues&) {
                     return toggleHidden(m, s);
                 })});
    t.push_back({"Reset Animation to Start Image",
                 a,
                 {},
                 onSelected([](AnimationModel& m, int s, const DialogValues&) {
                     return resetAnimation(m, s, true);
                 })});
    t.push_back(
        {"Reset Animation", a, {}, onSelected([](AnimationModel& m, int s, const DialogValues&) {
             return resetAnimation(m, s);
         })});
    t.push_back(
        {"Set Current Frame as Start Image", a, {}, [](ApplyContext& c, const DialogValues&) {
             AnimateEditor& e = c.animate;
             const int s = e.model().selectedObject;
             const double time = e.viewTime();
             return e.apply([&](AnimationModel& m) {
                 return setAsStartImage(m, s, time, c.workspace.prompter());
             });
         }});
    t.push_back(
        {"Clear User Dots", a, {}, onSelected([](AnimationModel& m, int s, const DialogValues&) {
             return clearUserDots(m, s);
         })});
    t.push_back({"Remove", a, {}, onSelected([](AnimationModel& m, int s, const DialogValues&) {
                     return removeObjectCommand(m, s);
                 })});
    t.push_back({"Show All Objects", a, {}, [](ApplyContext& c, const DialogValues&) {
                     return c.animate.apply([](AnimationModel& m) { return showAllObjects(m); });
                 }});
    t.push_back({"Select Next Object", a, {}, [](ApplyContext& c, const DialogValues&) {
                     return c.animate.selectNext();
                 }});
    t.push_back({"Add Conductor Box", a, {}, [](ApplyContext& c, const DialogValues&) {
                     return c.animate.addConductorBox(c.animate.pointerX(), c.animate.pointerY());
                 }});
    t.push_back({"Disable Bindings", a, {}, [](ApplyContext& c, const DialogValues&) {
                     return c.animate.setDisableBindings(!c.animate.model().bindingsDisabled());
                 }});
    t.push_back({"Use Perspective", a, {}, [](ApplyContext& c, const DialogValues&) {
                     return c.animate.setUsePerspective(!perspectiveView(c.animate.model()));
                 }});
    t.push_back(
        {"Set Object Z", a, {"Z"}, onSelected([](AnimationModel& m, int s, const DialogValues& v) {
             return setObjectZ(m, s, v.at("Z"));
         })});
    t.push_back({"Linear Time Curve", a, {}, curve(CurveChoice::Linear)});
    t.push_back({"Reverse Time Curve", a, {}, curve(CurveChoice::Reverse)});
    t.push_back({"Alternate Time Curve", a, {}, curve(CurveChoice::Alternate)});
    t.push_back({"Start Image", a, {}, view(AnimateView::Start)});
    t.push_back({"Current Frame", a, {}, view(AnimateView::Current)});
    t.push_back({"Go to Frame", a, {"Frame"}, [](ApplyContext& c, const DialogValues& v) {
                     c.animate.setCurrentFrame(int(v.at("Frame")));
                     return Status::ok();
                 }});
}

} // namespace zx
