#include "anim/CurveEditor.h"

#include <algorithm>

namespace zx {

namespace {

int clampGrid(int v) {
    return std::clamp(v, 0, kCurveGrid);
}

} // namespace

bool isValidCurveName(std::string_view name) {
    return !name.empty() && name != kNewCurveName;
}

void CurveEditor::press(int x, int y) {
    x = clampGrid(x);
    y = clampGrid(y);
    auto& pts = curve.points;
    if (pts.empty()) {
        pts = {packCurvePoint(0, y), packCurvePoint(kCurveGrid, y)};
        held = -1;
        return;
    }
    size_t i = 0;
    while (i < pts.size() && curvePointX(pts[i]) < x) ++i;
    if (i == 0) {
        pts[0] = packCurvePoint(curvePointX(pts[0]), y);
        held = 0;
    } else if (i < pts.size() && curvePointX(pts[i]) == x) {
        pts[i] = packCurvePoint(x, y);
        held = int(i);
    } else if (curvePointX(pts[i - 1]) == x) {
        pts[i - 1] = packCurvePoint(x, y);
        held = int(i - 1);
    } else {
        pts.insert(pts.begin() + long(i), packCurvePoint(x, y));
        held = int(i);
    }
}

void CurveEditor::drag(int x, int y) {
    auto& pts = curve.points;
    if (held < 0 || held >= int(pts.size())) return;
    x = clampGrid(x);
    y = clampGrid(y);
    const int last = int(pts.size()) - 1;
    if (held == 0 || held == last) {
        pts[size_t(held)] = packCurvePoint(curvePointX(pts[size_t(held)]), y);
        return;
    }
    // Reaching a neighbour merges into it: the neighbour takes the new height and
    // becomes the held point.
    const size_t h = size_t(held);
    if (x <= curvePointX(pts[h - 1])) {
        pts[h - 1] = packCurvePoint(curvePointX(pts[h - 1]), y);
        pts.erase(pts.begin() + long(h));
        held = int(h - 1);
    } else if (x >= curvePointX(pts[h + 1])) {
        pts[h + 1] = packCurvePoint(curvePointX(pts[h + 1]), y);
        pts.erase(pts.begin() + long(h));
        held = int(h); // the right neighbour moved into the held index
    } else {
        pts[h] = packCurvePoint(x, y);
    }
}

bool CurveEditor::doubleClick() {
    auto& pts = curve.points;
    if (pts.size() < 3 || held <= 0 || held >= int(pts.size()) - 1) return false;
    pts.erase(pts.begin() + held);
    held = -1;
    return true;
}

} // namespace zx
