#pragma once
// The mask layer of a project image: a RasterImage of the subject's size whose words
// are not colours but a mask value and the selection flags. Selection and mask share
// the layer so that both are stored, undone and moved together.

#include "storage/RasterImage.h"

#include <cstdint>

namespace zx {

struct MaskBit {
    static constexpr uint32_t Value = 0xFF;            // 255 shown, 0 hidden, between soft
    static constexpr uint32_t Outline = 0x100;         // on the outline of the selection
    static constexpr uint32_t Selected = 0x200;        // inside the selection
    static constexpr uint32_t PendingOutline = 0x400;  // outline of a selection being combined
    static constexpr uint32_t PendingSelected = 0x800; // inside a selection being combined
    static constexpr uint32_t SelectionBits = 0xFF00;  // bits 8-15: every selection flag
};

// How a new selection meets the previous one (the panel's radio group order).
enum class SelectionType : int { New = 0, Add = 1, Subtract = 2, Intersect = 3 };

inline uint32_t maskValue(uint32_t word) {
    return word & MaskBit::Value;
}
inline bool isSelectedWord(uint32_t word) {
    return (word & MaskBit::Selected) != 0;
}
inline bool inside(const RasterImage& image, int x, int y) {
    return x >= 0 && y >= 0 && x < image.width() && y < image.height();
}

// A mask layer for a subject of the given size: everything shown, nothing selected.
RasterImage makeMaskLayer(int width, int height);

// Each word becomes its mask value alone, plus the selected flag where the mask value
// and the subject's alpha are both at least 16; then the outline is traced. Without a
// subject (or one of another size) only the mask value counts.
void selectVisible(RasterImage& mask, const RasterImage* subject);
// Every pixel selected, the outline on the image border.
void selectAll(RasterImage& mask);
// Clears every selection flag (bits 8-15).
void deselect(RasterImage& mask);
// Toggles the selected flag; the outline stays where it was.
void selectInverse(RasterImage& mask);
// Mask value 255 where selected, 0 elsewhere, then a box blur of `featherRadius`.
void showInsideSelection(RasterImage& mask, int featherRadius);
// Mask value 0 where selected, 255 elsewhere, then a box blur of `featherRadius`.
void showOutsideSelection(RasterImage& mask, int featherRadius);
// Mask value 255 everywhere: the mask no longer hides anything.
void showAll(RasterImage& mask);
// One pixel more or less of selection; mask values are kept.
void growSelection(RasterImage& mask);
void shrinkSelection(RasterImage& mask);
// Moves the selection flags of the whole layer by (dx, dy); what leaves the layer is
// lost, what is uncovered has no flags. Mask values stay.
void moveSelection(RasterImage& mask, int dx, int dy);

// Before a shape is written: the type New starts from an empty selection.
void beginSelection(RasterImage& mask, SelectionType type);
// After a shape was written with the pending flags (any type but New): merges the
// pending selection into the selection by the type's rule, then retraces the outline.
void combinePendingSelection(RasterImage& mask, SelectionType type);

// The feathering choices "No", "1px", "2px", "4px" give these blur radii.
int featherRadiusForIndex(int index);

} // namespace zx
