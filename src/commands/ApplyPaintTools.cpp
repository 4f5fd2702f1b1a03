// The hand tools of Image Edit mode in a script: {"tool": "Brush/Pencil", "values":
// {"Size": 8, "Red": 255}} chooses one with the panel's values (those not given keep
// theirs), then each click or drag is one stroke and one history step, as with the mouse.

#include "commands/ApplyScript.h"
#include "commands/ImageEditSelection.h"
#include "commands/Workspace.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

namespace zx {

namespace {

constexpr int kMaxFlow = 100;
constexpr int kLastChoice = 3; // brush shapes and feathering: four choices each

const std::array<ToolField<PaintSettings>, 9> kPaintFields = {{
    {"Size", kMinBrushSize, kMaxBrushSize, [](PaintSettings& s, int v) { s.size = v; }},
    {"Flow", 1, kMaxFlow, [](PaintSettings& s, int v) { s.flow = v; }},
    {"Shape", 0, kLastChoice, [](PaintSettings& s, int v) { s.shape = BrushShape(v); }},
    {"Feathering", 0, kLastChoice, [](PaintSettings& s, int v) { s.featherIndex = v; }},
    {"Mode", 0, int(BrushMode::Darken), [](PaintSettings& s, int v) { s.mode = BrushMode(v); }},
    {"Apply to Mask", 0, 1, [](PaintSettings& s, int v) { s.applyToMask = v != 0; }},
    {"Red", 0, 255,
     [](PaintSettings& s, int v) {
         s.colour = PaintColour::rgb(v, s.colour.green(), s.colour.blue());
     }},
    {"Green", 0, 255,
     [](PaintSettings& s, int v) {
         s.colour = PaintColour::rgb(s.colour.red(), v, s.colour.blue());
     }},
    {"Blue", 0, 255,
     [](PaintSettings& s, int v) {
         s.colour = PaintColour::rgb(s.colour.red(), s.colour.green(), v);
     }},
}};

constexpr std::array<std::pair<std::string_view, PaintTool>, 5> kPaintTools = {{
    {"Eraser", PaintTool::Eraser},
    {"Revealer", PaintTool::Revealer},
    {"Brush/Pencil", PaintTool::Brush},
    {"Paint Bucket", PaintTool::Bucket},
    {"Blur", PaintTool::Blur},
}};

bool sameName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

std::vector<std::string_view> applyPaintToolNames() {
    std::vector<std::string_view> out;
    for (const auto& [name, tool] : kPaintTools) out.push_back(name);
    return out;
}

std::vector<std::string_view> applyPaintToolFields() {
    return toolFieldNames(kPaintFields);
}

// None when the name is no hand tool's.
std::optional<Status> ApplySession::paintTool(const ApplyOp& op) {
    const auto tool = std::ranges::find_if(
        kPaintTools, [&](const auto& entry) { return sameName(entry.first, op.text); });
    if (tool == kPaintTools.end()) return std::nullopt;
    PaintSettings s = paint_.value_or(PaintSettings{});
    if (Status set = setToolValues(kPaintFields, op.values, "A hand tool", s); !set) return set;
    s.tool = tool->second;
    paint_ = s;
    shapes_.cancel();
    shapeChosen_ = false;
    editToolChosen_ = true;
    return Status::ok();
}

// One stroke: press at the first point, through the others, release at the last.
Status ApplySession::paintPointer(const ApplyOp& op) {
    using K = ApplyOp::Kind;
    if (op.kind != K::Drag && op.kind != K::Click)
        return Status::refused("The hand tools take clicks and drags");
    if (Status given = applyPointsGiven(op); !given) return given;
    PaintSettings s = *paint_;
    s.background = selection_ && selection_->settings().editingBackground;
    Project& project = workspace_.project();
    PaintStroke stroke(project, project.currentImage, s);
    if (!stroke.press(applyPixel(op.points[0][0]), applyPixel(op.points[0][1])))
        return Status::refused("The " + std::string(paintHistoryName(s)) + " cannot work here");
    for (size_t i = 1; i < op.points.size(); ++i)
        stroke.move(applyPixel(op.points[i][0]), applyPixel(op.points[i][1]));
    if (!stroke.release())
        return Status::refused("The stroke changed nothing (it paints only selected pixels)");
    return Status::ok();
}

} // namespace zx
