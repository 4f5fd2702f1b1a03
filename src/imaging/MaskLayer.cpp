#include "imaging/MaskLayer.h"

#include "imaging/MaskBoxBlur.h"
#include "imaging/TraceOutline.h"

#include <algorithm>

namespace zx {

RasterImage makeMaskLayer(int width, int height) {
    return RasterImage(width, height, 0xFF);
}

void selectVisible(RasterImage& mask, const RasterImage* subject) {
    const bool useAlpha = subject && subject->width() == mask.width() &&
                          subject->height() == mask.height() && !subject->isDescriptor();
    const size_t n = mask.pixelCount();
    uint32_t* m = mask.pixels();
    for (size_t i = 0; i < n; ++i) {
        uint32_t value = m[i] & MaskBit::Value;
        bool visible = value >= 16 && (!useAlpha || (subject->pixels()[i] >> 24) >= 16);
        m[i] = value | (visible ? MaskBit::Selected : 0);
    }
    traceOutline(mask);
}

void selectAll(RasterImage& mask) {
    const int w = mask.width(), h = mask.height();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            bool border = x == 0 || y == 0 || x == w - 1 || y == h - 1;
            uint32_t& word = mask.at(x, y);
            word = (word & ~MaskBit::SelectionBits) | MaskBit::Selected |
                   (border ? MaskBit::Outline : 0);
        }
    }
}

void deselect(RasterImage& mask) {
    for (uint32_t& word : mask.pixelVector()) word &= ~MaskBit::SelectionBits;
}

void selectInverse(RasterImage& mask) {
    for (uint32_t& word : mask.pixelVector()) word ^= MaskBit::Selected;
}

void showInsideSelection(RasterImage& mask, int featherRadius) {
    for (uint32_t& word : mask.pixelVector())
        word = (word & ~MaskBit::Value) | ((word & MaskBit::Selected) ? 255u : 0u);
    maskBoxBlur(mask, featherRadius);
}

void showOutsideSelection(RasterImage& mask, int featherRadius) {
    for (uint32_t& word : mask.pixelVector())
        word = (word & ~MaskBit::Value) | ((word & MaskBit::Selected) ? 0u : 255u);
    maskBoxBlur(mask, featherRadius);
}

void showAll(RasterImage& mask) {
    for (uint32_t& word : mask.pixelVector()) word |= MaskBit::Value;
}

namespace {

// Grow and shrink select the pixels whose 3x3 neighbourhood holds at least one
// (grow) or only (shrink) selected pixels. Pixels beyond the image count as not
// selected here, unlike in the mask blur: shrinking a selection that reaches the
// image border takes the border pixels out too (Select All then Shrink leaves the
// image less its one-pixel border), and growing is not affected.
void reselectByNeighbourhood(RasterImage& mask, bool grow) {
    const int w = mask.width(), h = mask.height();
    RasterImage copy = mask;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int count = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int sx = x + dx, sy = y + dy;
                    if (sx >= 0 && sy >= 0 && sx < w && sy < h &&
                        (mask.at(sx, sy) & MaskBit::Selected))
                        ++count;
                }
            const bool selected = grow ? count >= 1 : count == 9;
            uint32_t& word = copy.at(x, y);
            word = (word & ~MaskBit::SelectionBits) | (selected ? MaskBit::Selected : 0);
        }
    traceOutline(copy);
    uint32_t* dst = mask.pixels();
    const uint32_t* src = copy.pixels();
    for (size_t i = 0, n = mask.pixelCount(); i < n; ++i)
        dst[i] = (dst[i] & ~MaskBit::SelectionBits) | (src[i] & MaskBit::SelectionBits);
}

} // namespace

void growSelection(RasterImage& mask) {
    reselectByNeighbourhood(mask, true);
}
void shrinkSelection(RasterImage& mask) {
    reselectByNeighbourhood(mask, false);
}

void moveSelection(RasterImage& mask, int dx, int dy) {
    const int w = mask.width(), h = mask.height();
    if (dx == 0 && dy == 0) return;
    std::vector<uint32_t> flags(mask.pixelCount(), 0);
    for (int y = 0; y < h; ++y) {
        int ty = y + dy;
        if (ty < 0 || ty >= h) continue;
        for (int x = 0; x < w; ++x) {
            int tx = x + dx;
            if (tx < 0 || tx >= w) continue;
            flags[size_t(ty) * w + tx] = mask.at(x, y) & MaskBit::SelectionBits;
        }
    }
    uint32_t* m = mask.pixels();
    for (size_t i = 0; i < flags.size(); ++i) m[i] = (m[i] & ~MaskBit::SelectionBits) | flags[i];
}

void beginSelection(RasterImage& mask, SelectionType type) {
    if (type == SelectionType::New) deselect(mask);
}

void combinePendingSelection(RasterImage& mask, SelectionType type) {
    for (uint32_t& word : mask.pixelVector()) {
        const bool pending = word & MaskBit::PendingSelected;
        const bool selected = word & MaskBit::Selected;
        switch (type) {
        case SelectionType::New:
        case SelectionType::Add:
            if (pending)
                word = (word & ~0xF00u) | MaskBit::Selected;
            else
                word &= ~(MaskBit::Outline | MaskBit::PendingOutline);
            break;
        case SelectionType::Subtract:
            word &= ~(MaskBit::Outline | MaskBit::PendingOutline);
            if (pending && selected) word &= ~MaskBit::Selected;
            word &= ~MaskBit::PendingSelected;
            break;
        case SelectionType::Intersect:
            if (pending && selected)
                word &= ~(MaskBit::Outline | MaskBit::PendingOutline);
            else
                word &= ~(MaskBit::Outline | MaskBit::Selected | MaskBit::PendingOutline);
            word &= ~MaskBit::PendingSelected;
            break;
        }
    }
    traceOutline(mask);
}

int featherRadiusForIndex(int index) {
    return std::clamp(index, 0, 3);
}

} // namespace zx
