#include "imaging/SelectionTools.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace zx {

std::string_view selectionToolPrompt(SelectionTool tool) {
    switch (tool) {
    case SelectionTool::RectangularMarquee:
        return "Draw rectangular selection. Use Shift for square";
    case SelectionTool::EllipticalMarquee:
        return "Draw elliptical selection. Use Shift for circle";
    case SelectionTool::FreeHandLasso:
        return "Draw free hand selection. Use Shift or Ctrl to change Selection Type";
    case SelectionTool::LineLasso:
        return "Click to define selection segment. Use Shift or Ctrl to change Selection Type";
    case SelectionTool::MagicBackgroundCleaner:
        return "Click to mask highlighted area. Right click for settings";
    }
    return "";
}

SelectionType effectiveLassoType(SelectionType panelType, bool ctrl, bool shift) {
    if (shift) return panelType == SelectionType::New ? SelectionType::Add : SelectionType::New;
    if (ctrl)
        return panelType == SelectionType::New || panelType == SelectionType::Add
                   ? SelectionType::Subtract
                   : SelectionType::Add;
    return panelType;
}

IntPoint squareDrag(IntPoint press, IntPoint release) {
    const int dx = release.x - press.x, dy = release.y - press.y;
    const int side = std::min(std::abs(dx), std::abs(dy));
    return {press.x + (dx < 0 ? -side : side), press.y + (dy < 0 ? -side : side)};
}

namespace {

// Writes a shape with the flags of the type and merges it into the selection.
template <class Writer> void writeShape(RasterImage& mask, SelectionType type, Writer&& write) {
    beginSelection(mask, type);
    if (type == SelectionType::New) {
        write(MaskBit::Selected, MaskBit::Outline);
    } else {
        write(MaskBit::PendingSelected, MaskBit::PendingOutline);
        combinePendingSelection(mask, type);
    }
}

bool degenerateClick(RasterImage& mask, SelectionType type) {
    if (type != SelectionType::New) return false;
    selectAll(mask);
    return true;
}

} // namespace

bool selectRectangle(RasterImage& mask, IntPoint press, IntPoint release, SelectionType type) {
    const int w = mask.width(), h = mask.height();
    if (w == 0 || h == 0) return false;
    if (press.x == release.x || press.y == release.y) return degenerateClick(mask, type);
    IntPoint a = clipToImage({std::min(press.x, release.x), std::min(press.y, release.y)}, w, h);
    IntPoint b = clipToImage({std::max(press.x, release.x), std::max(press.y, release.y)}, w, h);
    writeShape(mask, type, [&](uint32_t insideBit, uint32_t outlineBit) {
        for (int y = a.y; y <= b.y; ++y)
            for (int x = a.x; x <= b.x; ++x) {
                bool border = x == a.x || x == b.x || y == a.y || y == b.y;
                mask.at(x, y) |= insideBit | (border ? outlineBit : 0);
            }
    });
    return true;
}

std::vector<IntPoint> ellipsePolygon(IntPoint press, IntPoint release) {
    const double cx = (press.x + release.x) / 2.0, cy = (press.y + release.y) / 2.0;
    const double rx = std::abs(release.x - press.x) / 2.0, ry = std::abs(release.y - press.y) / 2.0;
    std::vector<IntPoint> out;
    out.reserve(256);
    for (int k = 0; k < 256; ++k) {
        const double a = k * std::numbers::pi / 128;
        out.push_back(
            {int(std::lround(cx + rx * std::cos(a))), int(std::lround(cy + ry * std::sin(a)))});
    }
    return out;
}

bool selectEllipse(RasterImage& mask, IntPoint press, IntPoint release, SelectionType type) {
    if (mask.empty()) return false;
    if (press.x == release.x || press.y == release.y) return degenerateClick(mask, type);
    std::vector<IntPoint> polygon = ellipsePolygon(press, release);
    writeShape(mask, type, [&](uint32_t insideBit, uint32_t outlineBit) {
        fillPolygon(mask, polygon, outlineBit, insideBit);
    });
    return true;
}

bool selectPolygon(RasterImage& mask, std::span<const IntPoint> points, SelectionType type) {
    if (mask.empty()) return false;
    if (points.size() < 3) return degenerateClick(mask, type);
    writeShape(mask, type, [&](uint32_t insideBit, uint32_t outlineBit) {
        fillPolygon(mask, points, outlineBit, insideBit);
    });
    return true;
}

bool LineLasso::click(IntPoint p) {
    if (corners_.size() > 2 && std::abs(p.x - corners_.front().x) <= 4 &&
        std::abs(p.y - corners_.front().y) <= 4)
        return true;
    corners_.push_back(p);
    return false;
}

} // namespace zx
