// The Image Align mode's rows of the script command table (the wizard, ALIGN, the
// manual transform, "Apply" and "Reset"), and how a script's tools, pointer operations
// and keys reach the align tools in that mode.

#include "commands/ApplyScript.h"
#include "commands/ImageAlign.h"
#include "commands/Workspace.h"
#include "storage/ProjectImage.h"

#include <algorithm>
#include <cmath>

namespace zx {

namespace {

using Run = std::function<Status(ApplyContext&, const DialogValues&)>;

constexpr std::string_view kWizardFirst =
    "Open the wizard first ({\"command\": \"Image Align Wizard\"})";

// A row that needs the align tools; `action` does the work.
Run onAlign(std::function<Status(ImageAlign&, const DialogValues&)> action) {
    return [action = std::move(action)](ApplyContext& c, const DialogValues& values) {
        if (!c.align) return Status::refused("The Image Align tools are not available here");
        return action(*c.align, values);
    };
}

// A change of one part of the transform, with the others kept.
Run setPart(void (*change)(AlignTransform&, const DialogValues&)) {
    return onAlign([change](ImageAlign& a, const DialogValues& values) {
        AlignTransform t = a.transform();
        change(t, values);
        a.setTransform(t);
        return Status::ok();
    });
}

// Pixels in eighths, kept to what an int holds (the transform then keeps its own limit).
int eighths(double pixels) {
    return int(
        std::lround(std::clamp(pixels, -double(kMaxImageSide), double(kMaxImageSide)) * kEighths));
}

} // namespace

void addImageAlignApplyCommands(std::vector<ApplyCommand>& t) {
    constexpr std::string_view m = "align";
    t.push_back({"Image Align Wizard", m, {}, onAlign([](ImageAlign& a, const DialogValues&) {
                     return a.openWizard();
                 })});
    t.push_back({"ALIGN", m, {}, onAlign([](ImageAlign& a, const DialogValues&) {
                     return a.wizardOpen() ? a.align() : Status::refused(std::string(kWizardFirst));
                 })});
    t.push_back({"OK", m, {}, onAlign([](ImageAlign& a, const DialogValues&) {
                     if (!a.wizardOpen()) return Status::refused(std::string(kWizardFirst));
                     a.closeWizard();
                     return Status::ok();
                 })});
    t.push_back({"Shift", m, {"X", "Y"}, setPart([](AlignTransform& a, const DialogValues& v) {
                     a.shiftX = eighths(v.at("X"));
                     a.shiftY = eighths(v.at("Y"));
                 })});
    t.push_back({"Scale", m, {"Percent"}, setPart([](AlignTransform& a, const DialogValues& v) {
                     a.scale = v.at("Percent") / 100;
                 })});
    t.push_back({"Rotate", m, {"Degrees"}, setPart([](AlignTransform& a, const DialogValues& v) {
                     a.degrees = v.at("Degrees");
                 })});
    t.push_back(
        {"Apply", m, {}, onAlign([](ImageAlign& a, const DialogValues&) { return a.apply(); })});
    t.push_back({"Reset", m, {}, onAlign([](ImageAlign& a, const DialogValues&) {
                     a.reset();
                     return Status::ok();
                 })});
}

std::vector<std::string_view> applyAlignToolNames() {
    return {alignToolName(AlignTool::Shift), alignToolName(AlignTool::Scale),
            alignToolName(AlignTool::Rotate)};
}

bool ApplySession::inAlignMode() const {
    return align_ && workspace_.mode() == AnimationMode::ImageAlign;
}

Status ApplySession::alignTool(const ApplyOp& op) {
    const auto tool = alignToolFromName(op.text);
    if (!tool)
        return Status::refused("Unknown Image Align tool \"" + op.text +
                               "\" (Shift, Scale, Rotate)");
    align_->setTool(*tool);
    return Status::ok();
}

Status ApplySession::alignPointer(const ApplyOp& op) {
    using K = ApplyOp::Kind;
    if (op.kind == K::Key) {
        if (op.text != "Enter" && op.text != "Escape")
            return Status::refused("Image Align mode takes the keys Enter and Escape");
        return align_->keyPress(op.text == "Enter" ? EditorKey::Enter : EditorKey::Escape)
                   ? Status::ok()
                   : Status::refused({});
    }
    if (op.kind != K::Click && op.kind != K::Drag)
        return Status::refused("Image Align mode takes clicks and drags");
    if (!workspace_.project().current()) return Status::refused("There is no image to align");
    if (Status given = applyPointsGiven(op); !given) return given;
    auto event = [&](size_t i) { return applyPointerEvent(op, i); };
    for (const auto& p : op.points)
        if (!std::isfinite(p[0]) || !std::isfinite(p[1]))
            return Status::refused("A point is not a number");
    align_->pointerPress(event(0));
    for (size_t i = 1; i + 1 < op.points.size(); ++i) align_->pointerMove(event(i));
    align_->pointerRelease(event(op.points.size() - 1));
    return Status::ok();
}

} // namespace zx
