// The Image Edit mode's rows of the script command table (selections, masking, every
// picture edit of the Image Edit command table by its menu text, and the Shape Tools'
// "APPLY"), and how a script's tools and pointer operations reach the selection tools
// and the Shape Tools in that mode.

#include "commands/ApplyScript.h"
#include "commands/ImageEditCommands.h"
#include "commands/ImageEditSelection.h"
#include "commands/Workspace.h"
#include "storage/ImageFile.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace zx {

namespace {

using Run = std::function<Status(ApplyContext&, const DialogValues&)>;

// A selection or masking command; "does not apply" when it changed nothing.
Run onSelection(bool (ImageEditSelection::*command)()) {
    return [command](ApplyContext& c, const DialogValues&) {
        if (!c.selection) return Status::refused("The selection tools are not available here");
        return (c.selection->*command)() ? Status::ok() : Status::refused({});
    };
}

Run pictureEdit(const ImageEditCommand& command) {
    return [&command](ApplyContext& c, const DialogValues& values) {
        Workspace& w = c.workspace;
        const CommandValues given(values.begin(), values.end());
        return runImageEditCommand(command, w.project(), w.project().currentImage, given,
                                   w.prompter());
    };
}

bool sameText(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// Handles of a floating picture are this many image pixels wide for a script.
constexpr double kScriptHandleReach = 4;

Status pasteFile(ApplyContext& c, const DialogValues&) {
    if (c.file.empty()) return Status::refused("\"Paste\" needs the picture's \"file\"");
    Result<RasterImage> picture = loadImage(c.file, &c.workspace.prompter());
    if (!picture) return picture.status();
    return c.workspace.pasteFloating(std::move(picture).value(), "Paste")
               ? Status::ok()
               : Status::refused("Nothing to paste over");
}

// The floating picture's commands; "does not apply" when nothing floats.
Run onFloating(std::function<Status(Workspace&, FloatingPicture&)> act) {
    return [act](ApplyContext& c, const DialogValues&) {
        Workspace& w = c.workspace;
        if (!w.floating.picture) return Status::refused("No picture is floating");
        return act(w, *w.floating.picture);
    };
}

void addFloatingCommands(std::vector<ApplyCommand>& t, std::string_view e) {
    t.push_back({"Paste", e, {}, pasteFile});
    t.push_back({"Merge Selection", e, {}, onFloating([](Workspace& w, FloatingPicture&) {
                     return w.mergeFloating();
                 })});
    t.push_back({"Cancel Selection", e, {}, onFloating([](Workspace& w, FloatingPicture&) {
                     w.dropFloating();
                     return Status::ok();
                 })});
    const std::pair<std::string_view, FloatingShape> shapes[] = {
        {"Resize & Rotate", FloatingShape::ResizeRotate},
        {"Distort & Rotate", FloatingShape::Distort}};
    for (const auto& entry : shapes)
        t.push_back(
            {entry.first, e, {}, onFloating([shape = entry.second](Workspace&, FloatingPicture& f) {
                 f.setShape(shape);
                 return Status::ok();
             })});
    t.push_back({"Reset Position", e, {}, onFloating([](Workspace&, FloatingPicture& f) {
                     f.resetPosition();
                     return Status::ok();
                 })});
}

constexpr int kLastSmoothing = 3; // "No", "1px", "2px", "4px"
const std::array<ToolField<ShapeSettings>, 5> kShapeFields = {{
    {"Width", kMinShapeWidth, kMaxShapeWidth, [](ShapeSettings& s, int v) { s.width = v; }},
    {"Smoothing", 0, kLastSmoothing, [](ShapeSettings& s, int v) { s.featherIndex = v; }},
    {"Red", 0, 255,
     [](ShapeSettings& s, int v) {
         s.colour = PaintColour::rgb(v, s.colour.green(), s.colour.blue());
     }},
    {"Green", 0, 255,
     [](ShapeSettings& s, int v) {
         s.colour = PaintColour::rgb(s.colour.red(), v, s.colour.blue());
     }},
    {"Blue", 0, 255,
     [](ShapeSettings& s, int v) {
         s.colour = PaintColour::rgb(s.colour.red(), s.colour.green(), v);
     }},
}};

// The panel draws its text with the desktop's fonts; the tool has none.
constexpr std::string_view kTextTool = "Text";
constexpr std::string_view kNoFonts =
    "Text is drawn with the desktop's fonts: use the app's Text panel (zelvotrix-cli draws "
    "no text)";

constexpr std::string_view kApply = "APPLY";

Status applyShape(ApplyContext& c, const DialogValues&) {
    if (!c.shapes) return Status::refused("Choose a shape tool first ({\"tool\": \"Line\"})");
    if (!c.shapes->shape()) return Status::refused("There is no shape: drag one first");
    const bool background = c.selection && c.selection->settings().editingBackground;
    if (!c.shapes->apply(background))
        return Status::refused("The shape covers no selected pixel of the picture");
    return Status::ok();
}

constexpr SelectionTool kSelectionTools[] = {
    SelectionTool::RectangularMarquee, SelectionTool::EllipticalMarquee,
    SelectionTool::FreeHandLasso, SelectionTool::LineLasso, SelectionTool::MagicBackgroundCleaner};

} // namespace

void addImageEditApplyCommands(std::vector<ApplyCommand>& t) {
    constexpr std::string_view e = "edit";
    using S = ImageEditSelection;
    const std::pair<std::string_view, bool (S::*)()> selection[] = {
        {"Select Visible", &S::selectVisible},
        {"Select All", &S::selectAll},
        {"Deselect", &S::deselect},
        {"Select Inverse", &S::selectInverse},
        {"Previous Selection", &S::previousSelection},
        {"Show Inside Selection", &S::showInside},
        {"Show Outside", &S::showOutside},
        {"Show All", &S::showAll},
        {"Grow", &S::grow},
        {"Shrink", &S::shrink},
        {"Send Masked Subject to Background", &S::sendToBackground}};
    for (const auto& [name, command] : selection) t.push_back({name, e, {}, onSelection(command)});
    addFloatingCommands(t, e);
    for (const ImageEditCommand& command : imageEditCommands()) {
        std::vector<std::string> fields;
        for (const CommandField& f : command.fields) fields.emplace_back(f.label);
        for (std::string_view common :
             {CommonField::Background, CommonField::ApplyToSelection, CommonField::Feathering})
            fields.emplace_back(common);
        t.push_back({command.name, e, {}, pictureEdit(command), std::move(fields)});
    }
    t.push_back({kApply, e, {}, applyShape});
}

std::vector<std::string_view> applyShapeToolNames() {
    std::vector<std::string_view> out;
    for (ShapeKind kind : kShapeKinds) out.push_back(shapeKindName(kind));
    out.push_back(kTextTool);
    return out;
}

std::vector<std::string_view> applyShapeToolFields() {
    return toolFieldNames(kShapeFields);
}

std::vector<std::string_view> applySelectionToolNames() {
    std::vector<std::string_view> out;
    for (SelectionTool tool : kSelectionTools) out.push_back(selectionToolName(tool));
    return out;
}

Status ApplySession::editTool(const ApplyOp& op) {
    for (SelectionTool tool : kSelectionTools)
        if (sameText(selectionToolName(tool), op.text)) {
            selection_->setTool(tool);
            editToolChosen_ = true;
            shapes_.cancel();
            shapeChosen_ = false;
            paint_.reset();
            return Status::ok();
        }
    if (std::optional<Status> chosen = paintTool(op)) return *chosen;
    for (ShapeKind kind : kShapeKinds)
        if (sameText(shapeKindName(kind), op.text)) return shapeTool(kind, op);
    if (sameText(kTextTool, op.text)) return Status::refused(std::string(kNoFonts));
    std::string names;
    for (const auto& list :
         {applySelectionToolNames(), applyPaintToolNames(), applyShapeToolNames()})
        for (std::string_view n : list) names += (names.empty() ? "" : ", ") + std::string(n);
    return Status::refused("Unknown Image Edit tool \"" + op.text + "\" (" + names + ")");
}

Status ApplySession::floatingPointer(const ApplyOp& op) {
    using K = ApplyOp::Kind;
    if (op.kind == K::Key && (op.text == "Enter" || op.text == "Escape")) {
        if (op.text == "Enter") return workspace_.mergeFloating();
        workspace_.dropFloating();
        return Status::ok();
    }
    if (op.kind != K::Drag && op.kind != K::Click)
        return Status::refused("A floating picture takes drags, Enter and Escape");
    if (Status s = applyPointsGiven(op); !s) return s;
    FloatingPicture& f = *workspace_.floating.picture;
    if (!f.press(op.points[0][0], op.points[0][1], kScriptHandleReach))
        return Status::refused("The drag starts on nothing of the floating picture");
    for (size_t i = 1; i < op.points.size(); ++i) f.move(op.points[i][0], op.points[i][1]);
    f.release();
    return Status::ok();
}

// A shape tool with the values given; the others keep theirs, as on the panel.
Status ApplySession::shapeTool(ShapeKind kind, const ApplyOp& op) {
    ShapeSettings s = shapes_.settings();
    if (Status set = setToolValues(kShapeFields, op.values, "A shape tool", s); !set) return set;
    s.kind = kind;
    shapes_.setSettings(s);
    editToolChosen_ = shapeChosen_ = true;
    paint_.reset();
    return Status::ok();
}

Status ApplySession::shapePointer(const ApplyOp& op) {
    using K = ApplyOp::Kind;
    if (op.kind == K::Key) {
        if (op.text != "Escape") return Status::refused("The shape tools take the key Escape");
        shapes_.cancel();
        return Status::ok();
    }
    if (op.kind != K::Drag && op.kind != K::Click)
        return Status::refused("The shape tools take drags and clicks");
    if (Status s = applyPointsGiven(op); !s) return s;
    auto at = [&](size_t i) {
        return IntPoint{applyPixel(op.points[i][0]), applyPixel(op.points[i][1])};
    };
    shapes_.press(at(0));
    for (size_t i = 1; i < op.points.size(); ++i) shapes_.move(at(i));
    shapes_.release(at(op.points.size() - 1));
    return Status::ok();
}

Status ApplySession::editPointer(const ApplyOp& op) {
    using K = ApplyOp::Kind;
    if (workspace_.floating.picture) return floatingPointer(op);
    if (shapeChosen_) return shapePointer(op);
    if (paint_) return paintPointer(op);
    if (!editToolChosen_)
        return Status::refused("Choose an Image Edit tool first ({\"tool\": \"Rectangular "
                               "Marquee\"})");
    if (op.kind == K::Key || op.kind == K::RightClick)
        return Status::refused("Image Edit mode takes clicks, double clicks and drags");
    if (Status s = applyPointsGiven(op); !s) return s;
    auto input = [&](size_t i) {
        PointerInput in;
        in.at = {int(std::lround(op.points[i][0])), int(std::lround(op.points[i][1]))};
        in.shift = op.keys.shift;
        in.ctrl = op.keys.ctrl;
        return in;
    };
    selection_->move(input(0));
    selection_->press(input(0));
    for (size_t i = 1; op.kind == K::Drag && i < op.points.size(); ++i) selection_->move(input(i));
    selection_->release(input(op.points.size() - 1));
    if (op.kind == K::DoubleClick) selection_->doubleClick(input(0));
    return Status::ok();
}

} // namespace zx
