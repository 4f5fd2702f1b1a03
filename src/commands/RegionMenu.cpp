#include "commands/RegionMenu.h"

#include "commands/AnimateEditor.h"
#include "commands/Workspace.h"

namespace zx {

namespace {

using Entries = std::vector<RegionMenuEntry>;
using Command = std::function<EditResult(AnimationModel&)>;

RegionMenuEntry entry(std::string text, std::function<Status(const DialogValues&)> action,
                      bool enabled = true, bool checked = false) {
    RegionMenuEntry e;
    e.text = std::move(text);
    e.action = std::move(action);
    e.enabled = enabled;
    e.checked = checked;
    return e;
}

// An entry that runs an object command through the editor (one undo step).
RegionMenuEntry commandEntry(AnimateEditor& editor, std::string text, Command command,
                             bool enabled = true, bool checked = false) {
    return entry(
        std::move(text),
        [&editor, command = std::move(command)](const DialogValues&) {
            return editor.apply(command);
        },
        enabled, checked);
}

// An entry whose dialog asks for one value.
RegionMenuEntry valueEntry(AnimateEditor& editor, std::string text, std::string field,
                           std::function<EditResult(AnimationModel&, double)> command) {
    RegionMenuEntry e = entry(std::move(text), [&editor, field, command](const DialogValues& v) {
        const double value = v.at(field);
        return editor.apply([&](AnimationModel& m) { return command(m, value); });
    });
    e.dialogFields = {std::move(field)};
    return e;
}

bool ordinary(const AnimObject& o) {
    return !o.isLibrary() && !(o.kindFlags & ObjectKind::ConductorBox);
}

void addSelectionEntries(AnimateEditor& editor, Entries& menu) {
    if (!isSelectionTool(editor.tool()) || !editor.selectionClosed() ||
        editor.selection().size() <= 3)
        return;
    auto mesh = [&editor](std::string_view label) {
        return [&editor, label](const DialogValues&) { return editor.selectionMeshCommand(label); };
    };
    menu.push_back(entry("Convert to Mesh\t[Enter]", mesh("Convert to Mesh"),
                         editor.model().objectCount < kMaxObjects));
    if (!editor.selectionTouchesMesh()) return;
    for (std::string_view label : {"Split Mesh", "Cut Mesh", "Add to Mesh"})
        menu.push_back(entry(std::string(label), mesh(label)));
}

void addDotEntries(AnimateEditor& editor, Entries& menu) {
    const ObjectPart dot = editor.hotDot();
    if (!validUserDot(editor.model(), dot.slot, dot.index)) return;
    const AnimObject& o = editor.model().object(dot.slot);
    const int32_t flags = o.points[size_t(dot.index)].flags;
    const int s = dot.slot, d = dot.index;
    if (flags & PointFlag::Joint)
        menu.push_back(
            valueEntry(editor, "Joint Properties...", "Joint",
                       [s, d](AnimationModel& m, double v) { return setJointValue(m, s, d, v); }));
    if (ordinary(o))
        menu.push_back(entry(
            "Binding", [&editor, s, d](const DialogValues&) { return editor.startBinding(s, d); },
            true, flags & PointFlag::BindingDot));
    menu.push_back(valueEntry(editor, "Set Z...", "Z",
                              [s, d](AnimationModel& m, double z) { return setDotZ(m, s, d, z); }));
    menu.push_back(
        commandEntry(editor, "Reset Dot", [s, d](AnimationModel& m) { return resetDot(m, s, d); }));
    menu.push_back(commandEntry(editor, "Clear Dot\t[Dbl Click]",
                                [s, d](AnimationModel& m) { return clearDot(m, s, d); }));
}

void addBoneEntries(AnimateEditor& editor, Entries& menu) {
    const ObjectPart bone = editor.hotBone();
    if (!validBone(editor.model(), bone.slot, bone.index)) return;
    const int s = bone.slot, b = bone.index;
    const bool fixed = editor.model().object(s).bones[size_t(b)].isFixed();
    menu.push_back(commandEntry(
        editor, "Change Bone Orientation",
        [s, b](AnimationModel& m) { return changeBoneOrientation(m, s, b); },
        canChangeBoneOrientation(editor.model(), s, b)));
    menu.push_back(commandEntry(
        editor, "Elastic Bone", [s, b](AnimationModel& m) { return toggleBoneType(m, s, b); }, true,
        !fixed));
    menu.push_back(commandEntry(editor, "Remove Bone\tDbl Click",
                                [s, b](AnimationModel& m) { return removeBone(m, s, b); }));
}

Entries timeCurveMenu(AnimateEditor& editor, int s) {
    const std::optional<CurveChoice> now = currentCurveChoice(editor.model().object(s));
    Entries sub;
    const std::pair<const char*, CurveChoice> choices[] = {{"Linear", CurveChoice::Linear},
                                                           {"Reverse", CurveChoice::Reverse},
                                                           {"Alternate", CurveChoice::Alternate}};
    for (const auto& [text, choice] : choices)
        sub.push_back(commandEntry(
            editor, text, [s, c = choice](AnimationModel& m) { return setTimeCurve(m, s, c); },
            true, now == choice));
    // The curve editor dialog is the app's; without it the entry is greyed.
    const bool dialog = bool(editor.openTimeCurveEditor);
    sub.push_back(entry(
        "Select...",
        [&editor, s](const DialogValues&) {
            editor.openTimeCurveEditor(s);
            return Status::ok();
        },
        dialog));
    return sub;
}

void addSpinEntries(AnimateEditor& editor, Entries& menu, int s) {
    const AnimObject& o = editor.model().object(s);
    if (o.spin != 0)
        menu.push_back(commandEntry(editor, std::string(cancelSpinLabel(o)),
                                    [s](AnimationModel& m) { return cancelSpin(m, s); }));
    if (!o.is3d() && o.bones.size() == 1 && canSpin(o))
        menu.push_back(commandEntry(editor, "Tracked Mode...",
                                    [s](AnimationModel& m) { return setSpin(m, s, 1); }));
    if (canSpin(o))
        menu.push_back(valueEntry(editor, "Spin Mode...", "Spin",
                                  [s](AnimationModel& m, double v) { return setSpin(m, s, v); }));
}

void addObjectEntries(AnimateEditor& editor, Entries& menu, int s) {
    const AnimObject& o = editor.model().object(s);
    if (ordinary(o)) {
        const bool bound = isBound(o);
        menu.push_back(entry(
            "Binding...",
            [&editor, s, bound](const DialogValues&) {
                if (bound)
                    return editor.apply([s](AnimationModel& m) { return removeBinding(m, s); });
                const ObjectPart hot = editor.hotDot();
                const AnimObject& obj = editor.model().object(s);
                const int dot = hot.slot == s ? hot.index : obj.vertexCount;
                return editor.startBinding(s, dot);
            },
            bound || o.userDotCount() > 0, bound));
    }
    if (o.isLibrary()) {
        menu.push_back(commandEntry(editor, "Set Object to Original Size",
                                    [s](AnimationModel& m) { return setOriginalSize(m, s); }));
    }
    menu.push_back(commandEntry(editor,
                                o.isLibrary() ? "Reset Object Effects" : "Reset Object Animation",
                                [s](AnimationModel& m) { return resetAnimation(m, s); }));
    if (o.isLibrary())
        menu.push_back(commandEntry(editor, "Clone Object\t[INS]", [&editor, s](AnimationModel& m) {
            return cloneObject(m, s, editor.workspace().prompter());
        }));
    addSpinEntries(editor, menu, s);
    if (o.userDotCount() > 0)
        menu.push_back(commandEntry(editor, "Clear User Dots from Region",
                                    [s](AnimationModel& m) { return clearUserDots(m, s); }));
}

} // namespace

std::string_view RegionMenuEntry::label() const {
    const std::string_view t = text;
    return t.substr(0, t.find('\t'));
}

std::vector<RegionMenuEntry> buildRegionMenu(AnimateEditor& editor) {
    Entries menu;
    AnimationModel& model = editor.model();
    const int s = validObject(model, model.selectedObject) ? model.selectedObject : -1;
    addSelectionEntries(editor, menu);
    addDotEntries(editor, menu);
    addBoneEntries(editor, menu);
    menu.push_back(entry(
        "Lock Mouse Select\tL",
        [&editor](const DialogValues&) {
            editor.keyPress(EditorKey::L);
            return Status::ok();
        },
        true, editor.lockMouseSelect));
    menu.push_back(entry(
        "Select Next Object\tTAB", [&editor](const DialogValues&) { return editor.selectNext(); },
        model.objectCount >= 2));
    if (s >= 0)
        menu.push_back(commandEntry(
            editor, "Hide Region/Object", [s](AnimationModel& m) { return toggleHidden(m, s); },
            true, model.object(s).hidden != 0));
    const double t = editor.viewTime();
    menu.push_back(commandEntry(
        editor, "Set as Start Image",
        [&editor, s, t](AnimationModel& m) {
            return setAsStartImage(m, s, t, editor.workspace().prompter());
        },
        s >= 0));
    if (s >= 0) addObjectEntries(editor, menu, s);
    if (model.objectCount >= 1)
        menu.push_back(commandEntry(
            editor, "Remove Object\t[DEL]",
            [s](AnimationModel& m) { return removeObjectCommand(m, s); }, s >= 0));
    if (s >= 0) {
        RegionMenuEntry curves = entry("Time curve...", nullptr);
        curves.submenu = timeCurveMenu(editor, s);
        menu.push_back(std::move(curves));
        const AnimObject& o = model.object(s);
        if (o.isLibrary() && editor.openObjectEditor)
            menu.push_back(entry("Object Editor...", [&editor, s](const DialogValues&) {
                editor.openObjectEditor(s);
                return Status::ok();
            }));
        if (ordinary(o) && o.is3d())
            menu.push_back(commandEntry(
                editor, "Invert Light", [s](AnimationModel& m) { return toggleInvertLight(m, s); },
                true, o.kindFlags & ObjectKind::InvertLight));
    }
    RegionMenuEntry box = entry("Add Conductor Box", [&editor](const DialogValues&) {
        return editor.addConductorBox(editor.pointerX(), editor.pointerY());
    });
    box.separatorBefore = true;
    menu.push_back(std::move(box));
    return menu;
}

std::vector<RegionMenuItem> regionMenuCatalogue() {
    return {{"Convert to Mesh", {}},
            {"Split Mesh", {}},
            {"Cut Mesh", {}},
            {"Add to Mesh", {}},
            {"Joint Properties...", "Joint"},
            {"Binding", {}},
            {"Set Z...", "Z"},
            {"Reset Dot", {}},
            {"Clear Dot", {}},
            {"Change Bone Orientation", {}},
            {"Elastic Bone", {}},
            {"Remove Bone", {}},
            {"Lock Mouse Select", {}},
            {"Select Next Object", {}},
            {"Hide Region/Object", {}},
            {"Set as Start Image", {}},
            {"Binding...", {}},
            {"Set Object to Original Size", {}},
            {"Reset Object Effects", {}},
            {"Reset Object Animation", {}},
            {"Clone Object", {}},
            {"Cancel Spin", {}},
            {"Cancel Track/Spin", {}},
            {"Tracked Mode...", {}},
            {"Spin Mode...", "Spin"},
            {"Clear User Dots from Region", {}},
            {"Remove Object", {}},
            {"Linear", {}},
            {"Reverse", {}},
            {"Alternate", {}},
            {"Invert Light", {}},
            {"Add Conductor Box", {}}};
}

const RegionMenuEntry* findRegionMenuEntry(const std::vector<RegionMenuEntry>& menu,
                                           std::string_view text) {
    for (const RegionMenuEntry& e : menu) {
        if (e.label() == text || e.text == text) return &e;
        if (const RegionMenuEntry* inSub = findRegionMenuEntry(e.submenu, text)) return inSub;
    }
    return nullptr;
}

Status chooseRegionMenuEntry(const std::vector<RegionMenuEntry>& menu, std::string_view text,
                             const DialogValues& values) {
    const RegionMenuEntry* e = findRegionMenuEntry(menu, text);
    const std::string quoted = "\"" + std::string(text) + "\"";
    if (!e) return Status::refused("The region menu has no entry " + quoted);
    if (!e->enabled || !e->action) return Status::refused(quoted + " is greyed in the region menu");
    for (const std::string& field : e->dialogFields)
        if (!values.count(field))
            return Status::refused(quoted + " needs the value \"" + field + "\"");
    return e->action(values);
}

} // namespace zx
