#include "commands/ApplyScript.h"

#include "commands/AnimateEditor.h"
#include "commands/Workspace.h"

#include <algorithm>
#include <cmath>

namespace zx {

namespace {

struct ModeName {
    std::string_view name;
    AnimationMode mode;
};
constexpr std::array<ModeName, 5> kModes = {{{"edit", AnimationMode::ImageEdit},
                                             {"align", AnimationMode::ImageAlign},
                                             {"animate", AnimationMode::Animate},
                                             {"movie", AnimationMode::Movie},
                                             {"3d", AnimationMode::Creator3D}}};

struct ViewName {
    std::string_view name;
    AnimateView view;
};
constexpr std::array<ViewName, 3> kViews = {
    {{"start", AnimateView::Start}, {"current", AnimateView::Current}, {"end", AnimateView::End}}};

struct KeyName {
    std::string_view name;
    EditorKey key;
};
constexpr std::array<KeyName, 6> kKeys = {{{"Enter", EditorKey::Enter},
                                           {"Escape", EditorKey::Escape},
                                           {"Delete", EditorKey::Delete},
                                           {"Insert", EditorKey::Insert},
                                           {"Tab", EditorKey::Tab},
                                           {"L", EditorKey::L}}};

std::string inQuotes(std::string_view s) {
    return "\"" + std::string(s) + "\"";
}

std::string joined(const std::vector<std::string_view>& names) {
    std::string out;
    for (std::string_view n : names) out += (out.empty() ? "" : ", ") + std::string(n);
    return out;
}

std::vector<ApplyCommand> buildTable() {
    std::vector<ApplyCommand> table;
    addAnimateApplyCommands(table);
    addImageEditApplyCommands(table);
    addImageAlignApplyCommands(table);
    return table;
}

} // namespace

void ScriptPrompter::message(std::string_view text, std::string_view) {
    messages.emplace_back(text);
}

Answer ScriptPrompter::ask(std::string_view text, Buttons buttons) {
    if (answers.empty()) {
        if (unanswered.empty()) unanswered = text;
        return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

const std::vector<ApplyCommand>& applyCommands() {
    static const std::vector<ApplyCommand> table = buildTable();
    return table;
}

std::vector<std::string_view> applyModeNames() {
    std::vector<std::string_view> out;
    for (const ModeName& m : kModes) out.push_back(m.name);
    return out;
}

std::vector<std::string_view> applyViewNames() {
    std::vector<std::string_view> out;
    for (const ViewName& v : kViews) out.push_back(v.name);
    return out;
}

std::vector<std::string_view> applyKeyNames() {
    std::vector<std::string_view> out;
    for (const KeyName& k : kKeys) out.push_back(k.name);
    return out;
}

std::vector<std::string_view> applyToolNames() {
    std::vector<std::string_view> out;
    for (ToolKind t : {ToolKind::Dots, ToolKind::Bones, ToolKind::FreeHand, ToolKind::Segment,
                       ToolKind::Rectangle, ToolKind::Ellipse})
        out.push_back(toolButtonText(t));
    return out;
}

ApplySession::ApplySession(Workspace& workspace, AnimateEditor& animate, ScriptPrompter& prompter)
    : workspace_(workspace), animate_(animate), prompter_(prompter) {}

Status ApplySession::run(const ApplyOp& op) {
    prompter_.answers.clear();
    prompter_.messages.clear();
    prompter_.unanswered.clear();
    for (const std::string& a : op.answers) {
        if (a == "Yes")
            prompter_.answers.push_back(Answer::Yes);
        else if (a == "No")
            prompter_.answers.push_back(Answer::No);
        else if (a == "OK" || a == "Ok")
            prompter_.answers.push_back(Answer::Ok);
        else if (a == "Cancel")
            prompter_.answers.push_back(Answer::Cancel);
        else
            return Status::refused("Unknown answer " + inQuotes(a) + " (Yes, No, OK, Cancel)");
    }
    Status done = dispatch(op);
    if (!prompter_.unanswered.empty())
        return Status::refused("The question " + inQuotes(prompter_.unanswered) + " had no answer");
    if (!prompter_.messages.empty()) return Status::refused(prompter_.messages.front());
    if (!done && done.message().empty())
        return Status::refused(done.isCancelled() ? "Cancelled" : "It does not apply here");
    return done;
}

Status ApplySession::needAnimate() const {
    if (workspace_.mode() == AnimationMode::Animate) return Status::ok();
    return Status::refused("This needs the Animate mode ({\"mode\": \"animate\"})");
}

Status applyPointsGiven(const ApplyOp& op) {
    if (op.points.size() < (op.kind == ApplyOp::Kind::Drag ? 2u : 1u))
        return Status::refused("Too few points");
    for (const auto& p : op.points)
        if (!std::isfinite(p[0]) || !std::isfinite(p[1]))
            return Status::refused("A point is not a number");
    return Status::ok();
}

PointerEvent applyPointerEvent(const ApplyOp& op, size_t i) {
    PointerEvent e;
    e.x = op.points[i][0];
    e.y = op.points[i][1];
    e.keys = op.keys;
    return e;
}

int applyPixel(double v) {
    constexpr double kFar = 1e9;
    return int(std::lround(std::clamp(v, -kFar, kFar)));
}

Status ApplySession::checkPoints(const ApplyOp& op, size_t least) const {
    if (op.points.size() < least) return Status::refused("Too few points");
    const AnimationModel& m = animate_.model();
    for (const auto& p : op.points)
        if (!animate_.insideImage(p[0], p[1]))
            return Status::refused("The point (" + std::to_string(p[0]) + ", " +
                                   std::to_string(p[1]) + ") lies outside the image (" +
                                   std::to_string(m.startWidth) + " x " +
                                   std::to_string(m.startHeight) + ")");
    return Status::ok();
}

Status ApplySession::dispatch(const ApplyOp& op) {
    using K = ApplyOp::Kind;
    switch (op.kind) {
    case K::Image:
        if (op.number < 0 || op.number >= workspace_.project().imageCount())
            return Status::refused("There is no image " + std::to_string(op.number));
        return workspace_.selectImage(op.number) ? Status::ok() : Status::refused({});
    case K::Mode: {
        auto m = std::find_if(kModes.begin(), kModes.end(),
                              [&](const ModeName& n) { return n.name == op.text; });
        if (m == kModes.end())
            return Status::refused("Unknown mode " + inQuotes(op.text) + " (" +
                                   joined(applyModeNames()) + ")");
        return workspace_.switchMode(m->mode) ? Status::ok() : Status::refused({});
    }
    case K::View: {
        auto v = std::find_if(kViews.begin(), kViews.end(),
                              [&](const ViewName& n) { return n.name == op.text; });
        if (v == kViews.end())
            return Status::refused("Unknown view " + inQuotes(op.text) + " (" +
                                   joined(applyViewNames()) + ")");
        if (Status s = needAnimate(); !s) return s;
        animate_.setView(v->view);
        return Status::ok();
    }
    case K::Tool: {
        if (selection_ && workspace_.mode() == AnimationMode::ImageEdit) return editTool(op);
        if (inAlignMode()) return alignTool(op);
        const auto tool = toolFromButtonText(op.text);
        if (!tool)
            return Status::refused("Unknown tool " + inQuotes(op.text) + " (" +
                                   joined(applyToolNames()) + ")");
        if (Status s = needAnimate(); !s) return s;
        animate_.setTool(*tool);
        return Status::ok();
    }
    case K::Undo:
    case K::Redo:
        for (int i = 0; i < std::max(1, op.number); ++i)
            if (!(op.kind == K::Undo ? workspace_.undo() : workspace_.redo()))
                return Status::refused(op.kind == K::Undo ? "Nothing to undo" : "Nothing to redo");
        return Status::ok();
    case K::Command:
        return command(op);
    default:
        return pointer(op);
    }
}

Status ApplySession::pointer(const ApplyOp& op) {
    if (selection_ && workspace_.mode() == AnimationMode::ImageEdit) return editPointer(op);
    if (inAlignMode()) return alignPointer(op);
    if (Status s = needAnimate(); !s) return s;
    using K = ApplyOp::Kind;
    if (op.kind == K::Key) {
        auto k = std::find_if(kKeys.begin(), kKeys.end(),
                              [&](const KeyName& n) { return n.name == op.text; });
        if (k == kKeys.end())
            return Status::refused("Unknown key " + inQuotes(op.text) + " (" +
                                   joined(applyKeyNames()) + ")");
        return animate_.keyPress(k->key) ? Status::ok() : Status::refused({});
    }
    if (Status s = checkPoints(op, op.kind == K::Drag ? 2 : 1); !s) return s;
    auto event = [&](size_t i) { return applyPointerEvent(op, i); };
    const PointerEvent first = event(0);
    const PointerEvent last = event(op.points.size() - 1);
    animate_.pointerMove(first);
    if (op.kind == K::RightClick) {
        const auto menu = animate_.rightClick(first);
        if (op.menu.empty()) return Status::refused("A right click needs the \"menu\" entry");
        return chooseRegionMenuEntry(menu, op.menu, op.values);
    }
    animate_.pointerPress(first);
    for (size_t i = 1; op.kind == K::Drag && i < op.points.size(); ++i)
        animate_.pointerMove(event(i));
    animate_.pointerRelease(last);
    if (op.kind == K::DoubleClick) {
        animate_.doubleClick(first);
        animate_.pointerRelease(first);
    }
    return Status::ok();
}

Status ApplySession::command(const ApplyOp& op) {
    const auto& table = applyCommands();
    auto c = std::find_if(table.begin(), table.end(),
                          [&](const ApplyCommand& a) { return a.name == op.text; });
    if (c == table.end())
        return Status::refused("Unknown command " + inQuotes(op.text) +
                               " (zelvotrix-cli apply --list names them)");
    if (c->mode == "animate")
        if (Status s = needAnimate(); !s) return s;
    if (c->mode == "edit" && workspace_.mode() != AnimationMode::ImageEdit)
        return Status::refused("This needs the Image Edit mode ({\"mode\": \"edit\"})");
    if (c->mode == "edit" && !workspace_.currentImage())
        return Status::refused("There is no image to edit");
    if (c->mode == "align" && !inAlignMode())
        return Status::refused("This needs the Image Align mode ({\"mode\": \"align\"})");
    for (const std::string& field : c->fields) {
        auto v = op.values.find(field);
        if (v == op.values.end())
            return Status::refused(inQuotes(op.text) + " needs the value " + inQuotes(field));
        if (!std::isfinite(v->second))
            return Status::refused("The value " + inQuotes(field) + " is not a number");
    }
    ApplyContext context{workspace_, animate_, selection_,
                         align_,     op.file,  shapeChosen_ ? &shapes_ : nullptr};
    return c->run(context, op.values);
}

} // namespace zx
