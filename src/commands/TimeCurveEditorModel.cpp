#include "commands/TimeCurveEditorModel.h"

#include "platform/Prompter.h"

#include <algorithm>

namespace zx {

namespace {

bool completeCurve(const TimeCurve& curve) {
    const auto& p = curve.points;
    if (p.size() < 2 || curvePointX(p.front()) != 0 || curvePointX(p.back()) != kCurveGrid)
        return false;
    for (size_t i = 1; i < p.size(); ++i)
        if (curvePointX(p[i]) <= curvePointX(p[i - 1])) return false;
    return true;
}

// A line break would split the name over two lines of the curve file.
bool fitsOnOneLine(std::string_view name) {
    return name.find_first_of("\r\n") == std::string_view::npos;
}

} // namespace

GridPoint gridPointInArea(int areaX, int areaY) {
    return {std::clamp(areaX, 0, kCurveGrid), std::clamp(kCurveGrid - areaY, 0, kCurveGrid)};
}

std::string pointerText(GridPoint p) {
    return "x = " + std::to_string(p.x) + ", y = " + std::to_string(p.y);
}

TimeCurveEditorModel::TimeCurveEditorModel(CurveLibrary& library, TimeCurve curve, std::string name)
    : library_(library), editor_(std::move(curve)), name_(std::move(name)) {}

void TimeCurveEditorModel::press(int areaX, int areaY) {
    const GridPoint p = gridPointInArea(areaX, areaY);
    editor_.press(p.x, p.y);
}

void TimeCurveEditorModel::drag(int areaX, int areaY) {
    const GridPoint p = gridPointInArea(areaX, areaY);
    editor_.drag(p.x, p.y);
}

void TimeCurveEditorModel::takeLibraryCurve(int index) {
    if (index < 0 || index >= library_.count()) return;
    editor_.curve = library_.curve(index);
    editor_.held = -1;
    name_ = library_.name(index);
}

std::string TimeCurveEditorModel::proposedName() const {
    return name_.empty() ? std::string(kNewCurveName) : name_;
}

Status TimeCurveEditorModel::save(const std::string& name, const std::filesystem::path& userFile,
                                  Prompter& prompter) {
    if (!isValidCurveName(name) || !fitsOnOneLine(name))
        return Status::refused(std::string(kInvalidCurveName));
    if (!completeCurve(editor_.curve)) return Status::refused(std::string(kIncompleteCurveMessage));
    // The curve folder of a first run may not exist yet.
    std::error_code ec;
    if (userFile.has_parent_path()) std::filesystem::create_directories(userFile.parent_path(), ec);
    if (!library_.add(name, editor_.curve, userFile, prompter))
        return Status::failed({}, userFile.string() + ": the curve was not saved");
    name_ = name;
    return Status::ok();
}

} // namespace zx
