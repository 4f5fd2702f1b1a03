#include "commands/ViewLayout.h"

#include <algorithm>
#include <cmath>

namespace zx {

int zoomIn(int level) {
    return std::min(kMaxZoom, level + 1);
}
int zoomOut(int level) {
    return std::max(kMinZoom, level - 1);
}
double zoomFactor(int level) {
    return std::ldexp(1.0, std::clamp(level, kMinZoom, kMaxZoom));
}

int previewStep(int level) {
    return level >= 0 ? 1 : 1 << std::min(-level, -kMinZoom);
}

namespace {
std::string selectionSuffix(const CaptionState& s) {
    if (!s.selectedObject.empty()) return " - Selected Object: " + s.selectedObject;
    if (!s.selectedRegion.empty()) return " - Selected Region: " + s.selectedRegion;
    return {};
}
} // namespace

std::string startImageCaption(const CaptionState& s) {
    std::string c = "Start Image" + selectionSuffix(s);
    if (s.imageModified) c += "  [modified]";
    return c;
}

std::string currentFrameCaption(const CaptionState& s) {
    std::string c = "Current Frame" + selectionSuffix(s);
    if (s.mouseSelectLocked) c += "  [LOCK]";
    return c;
}

ViewLayoutResult animateViewLayout(AnimateViewMode mode, int W, int H, const CaptionState& cs) {
    ViewLayoutResult r;
    r.strips.push_back({0, 0, W, kCaptionHeight});
    const int below = std::max(0, H - kCaptionHeight);
    if (mode == AnimateViewMode::Full) {
        const int e = (W - 8) / 2;
        r.strips.push_back({e, kCaptionHeight, 8, below});
        r.panes.push_back({{0, kCaptionHeight, e, below}, 8, 0, startImageCaption(cs)});
        r.panes.push_back(
            {{e + 8, kCaptionHeight, W - e - 8, below}, e + 16, 0, currentFrameCaption(cs)});
    } else {
        const std::string caption =
            mode == AnimateViewMode::StartImage ? startImageCaption(cs) : currentFrameCaption(cs);
        r.panes.push_back({{0, kCaptionHeight, W, below}, 8, 0, caption});
    }
    return r;
}

ViewLayoutResult builderViewLayout(int W, int H, std::string_view leftView,
                                   std::string_view rightView) {
    ViewLayoutResult r;
    const int e = (W - 8) / 2;
    const int d = (H - 32) / 2;
    const int f = (W - 8) / 4;
    r.strips.push_back({0, 0, W, kCaptionHeight});
    r.strips.push_back({e, kCaptionHeight, 8, d});
    r.strips.push_back({0, d + kCaptionHeight, W, kCaptionHeight});
    r.panes.push_back({{0, kCaptionHeight, e, d}, 8, 0, std::string(leftView)});
    r.panes.push_back({{e + 8, kCaptionHeight, W - e - 8, d}, e + 16, 0, std::string(rightView)});
    const int top = d + 2 * kCaptionHeight;
    const int left = W / 2 - f;
    const int lowerHeight = std::max(0, H - top);
    // strip-coloured margins either side of the preview pane
    r.strips.push_back({0, top, std::max(0, left), lowerHeight});
    r.strips.push_back({left + e, top, std::max(0, W - left - e), lowerHeight});
    r.panes.push_back({{left, top, e, lowerHeight}, left + 8, d + kCaptionHeight, "3D Preview"});
    return r;
}

const std::vector<std::string>& builderViewNames() {
    static const std::vector<std::string> names{"Front View", "Left View", "Right View",
                                                "Back View",  "Top View",  "Bottom View"};
    return names;
}

} // namespace zx
