#include "imaging/MagicBackgroundCleaner.h"

#include "imaging/MaskBoxBlur.h"
#include "imaging/MaskLayer.h"
#include "imaging/TraceOutline.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zx {

ColourHsv toHsv(uint32_t pixel) {
    const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
    ColourHsv c;
    c.value = mx;
    c.saturation = mx == 0 ? 0.0 : double(mx - mn) / mx;
    if (c.saturation == 0) {
        c.hue = 90;
        return c;
    }
    const double delta = mx - mn;
    double h;
    if (mx == r)
        h = 60 * (g - b) / delta;
    else if (mx == g)
        h = 60 * (2 + (b - r) / delta);
    else
        h = 60 * (4 + (r - g) / delta);
    if (h < 0) h += 360;
    c.hue = h;
    return c;
}

bool cleanerSimilar(const ColourHsv& ref, const ColourHsv& cand, int tolerance) {
    const double t = std::clamp(tolerance, kCleanerMinTolerance, kCleanerMaxTolerance);
    if (ref.value <= 50) return cand.value < 50;
    const bool colourful = ref.saturation > 0.2;
    if (cand.value < 50) return !colourful;
    const double dv = ref.value * t / 100;
    if (cand.value < ref.value - dv || cand.value > ref.value + dv) return false;
    if (cand.saturation >= 0.2) {
        const double ds = ref.saturation * t / 100;
        if (cand.saturation < ref.saturation - ds || cand.saturation > ref.saturation + ds)
            return false;
        if (colourful) {
            double d = std::fabs(cand.hue - ref.hue);
            if (d > 180) d = 360 - d;
            if (d > t * 0.9) return false;
        }
    }
    return true;
}

namespace {

uint32_t smoothedPixel(const RasterImage& subject, int x, int y) {
    const int w = subject.width(), h = subject.height();
    if (x <= 0 || y <= 0 || x >= w - 1 || y >= h - 1) return subject.at(x, y);
    int r = 0, g = 0, b = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            uint32_t p = subject.at(x + dx, y + dy);
            r += (p >> 16) & 0xFF;
            g += (p >> 8) & 0xFF;
            b += p & 0xFF;
        }
    return 0xFF000000u | uint32_t(r / 9) << 16 | uint32_t(g / 9) << 8 | uint32_t(b / 9);
}

} // namespace

void clearCleanerHighlight(RasterImage& mask) {
    for (uint32_t& word : mask.pixelVector())
        word &= ~(MaskBit::PendingSelected | MaskBit::PendingOutline);
}

long long highlightCleanerRegion(RasterImage& mask, const RasterImage& subject, int x, int y,
                                 int tolerance, bool smoothing) {
    clearCleanerHighlight(mask);
    const int w = mask.width(), h = mask.height();
    if (subject.width() != w || subject.height() != h || subject.isDescriptor()) return 0;
    if (x < 0 || y < 0 || x >= w || y >= h) return 0;
    const ColourHsv reference = toHsv(subject.at(x, y));
    auto qualifies = [&](int px, int py) {
        const uint32_t word = mask.at(px, py);
        if (!(word & MaskBit::Selected) || (word & MaskBit::PendingSelected)) return false;
        const uint32_t colour = smoothing ? smoothedPixel(subject, px, py) : subject.at(px, py);
        return cleanerSimilar(reference, toHsv(colour), tolerance);
    };
    if (!qualifies(x, y)) return 0;

    // Each seed grows into the run of qualifying pixels on its row; the qualifying
    // stretches directly above and below that run become new seeds (one per stretch,
    // which marks the same pixels as one seed per pixel with far fewer seeds).
    long long marked = 0;
    std::vector<std::pair<int, int>> seeds{{x, y}};
    while (!seeds.empty()) {
        auto [sx, sy] = seeds.back();
        seeds.pop_back();
        if (!qualifies(sx, sy)) continue;
        int l = sx, r = sx;
        while (l > 0 && qualifies(l - 1, sy)) --l;
        while (r < w - 1 && qualifies(r + 1, sy)) ++r;
        for (int i = l; i <= r; ++i) mask.at(i, sy) |= MaskBit::PendingSelected;
        marked += r - l + 1;
        for (int ny : {sy - 1, sy + 1}) {
            if (ny < 0 || ny >= h) continue;
            bool inStretch = false;
            for (int i = l; i <= r; ++i) {
                bool q = qualifies(i, ny);
                if (q && !inStretch) seeds.push_back({i, ny});
                inStretch = q;
            }
        }
    }
    return marked;
}

bool applyCleaner(RasterImage& mask, bool smoothing) {
    bool any = false;
    for (uint32_t word : mask.pixelVector())
        if (word & MaskBit::PendingSelected) {
            any = true;
            break;
        }
    if (!any) return false;
    if (smoothing) {
        // Round off the taken region: blur it by two pixels and keep what stays above
        // half, so that the cut follows the subject instead of the noise.
        RasterImage scratch(mask.width(), mask.height());
        const uint32_t* m = mask.pixels();
        uint32_t* s = scratch.pixels();
        for (size_t i = 0, n = mask.pixelCount(); i < n; ++i)
            s[i] = (m[i] & MaskBit::PendingSelected) ? 255 : 0;
        maskBoxBlur(scratch, 2);
        uint32_t* mm = mask.pixels();
        for (size_t i = 0, n = mask.pixelCount(); i < n; ++i) {
            if ((s[i] & 0xFF) > 128) mm[i] |= MaskBit::PendingSelected;
            mm[i] &= ~MaskBit::PendingOutline;
        }
        traceOutline(mask, MaskBit::PendingSelected, MaskBit::PendingOutline);
    }
    combinePendingSelection(mask, SelectionType::Subtract);
    return true;
}

} // namespace zx
