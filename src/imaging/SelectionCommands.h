#pragma once
// The selection and masking commands of Image Edit mode as engine operations. Each
// works on the mask layer (and, where needed, the subject picture) and returns the
// name under which the caller records the history step, or nothing when the command
// did nothing. With auto mask on, the tools, the cleaner, Grow and Shrink end by
// showing the inside of the selection, and their history names say so.

#include "imaging/MagicBackgroundCleaner.h"
#include "imaging/MaskLayer.h"
#include "imaging/SelectionTools.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zx {

// The selection panel's state; it lives as long as the program runs.
struct SelectionSettings {
    SelectionTool tool = SelectionTool::RectangularMarquee;
    SelectionType type = SelectionType::New;
    int featherIndex = 1; // "No", "1px", "2px", "4px"
    bool autoMask = true;
    bool redMask = false;
    int tolerance = kCleanerDefaultTolerance;
    bool smoothing = true;
    // While the background layer is edited the selection never touches the mask.
    bool editingBackground = false;

    bool autoMasking() const { return autoMask && !editingBackground; }
    int featherRadius() const { return featherRadiusForIndex(featherIndex); }
};

struct HistoryName {
    static constexpr std::string_view SelectVisible = "Select Visible";
    static constexpr std::string_view SelectAll = "Select All";
    static constexpr std::string_view Deselect = "Clear Selection";
    static constexpr std::string_view SelectInverse = "Select Inverse";
    static constexpr std::string_view PreviousSelection = "Previous Selection";
    static constexpr std::string_view ShowInside = "Show Inside Selection";
    static constexpr std::string_view ShowInsideAuto = "Show Inside Selection (Auto Mask)";
    static constexpr std::string_view ShowOutside = "Show Outside Selection";
    static constexpr std::string_view ShowAll = "Show All";
    static constexpr std::string_view GrowSelection = "Grow Selection";
    static constexpr std::string_view ShrinkSelection = "Shrink Selection";
    static constexpr std::string_view SendToBackground = "Send Masked Subject to Background";
    static constexpr std::string_view Cleaner = "Magic Background Cleaner";
    static constexpr std::string_view CleanerAuto = "Magic Bgrd Cleaner (auto-mask)";
    static constexpr std::string_view MoveSelection = "Move Selection";
    static constexpr std::string_view MoveSelectionAuto = "Move Selection (auto mask)";
    static constexpr std::string_view Feather = "Feather";
    static constexpr std::string_view AutoMaskSuffix = " (Auto Mask)";
};

// The tool's own name ("Rectangular Marquee", ...), as its history steps use it.
std::string_view selectionToolName(SelectionTool tool);

using HistoryLabel = std::optional<std::string>;

HistoryLabel commandSelectVisible(RasterImage& mask, const RasterImage* subject);
HistoryLabel commandSelectAll(RasterImage& mask);
HistoryLabel commandDeselect(RasterImage& mask);
HistoryLabel commandSelectInverse(RasterImage& mask);
// Replaces the layer by the copy kept with the most recent history step that holds
// one; nothing when there is none or its size differs.
HistoryLabel commandPreviousSelection(RasterImage& mask, const RasterImage* fromHistory);
HistoryLabel commandShowInside(RasterImage& mask, const SelectionSettings& settings);
HistoryLabel commandShowOutside(RasterImage& mask, const SelectionSettings& settings);
HistoryLabel commandShowAll(RasterImage& mask);
HistoryLabel commandGrow(RasterImage& mask, const SelectionSettings& settings);
HistoryLabel commandShrink(RasterImage& mask, const SelectionSettings& settings);
// A new feathering choice; with auto mask it re-applies Show Inside Selection.
HistoryLabel commandSetFeather(RasterImage& mask, SelectionSettings& settings, int featherIndex);

// A finished marquee drag (press to release, `shift` for a square or circle).
HistoryLabel commandMarquee(RasterImage& mask, const SelectionSettings& settings, IntPoint press,
                            IntPoint release, bool shift);
// A closed lasso polygon; `type` is the effective type of the stroke.
HistoryLabel commandLasso(RasterImage& mask, const SelectionSettings& settings,
                          std::span<const IntPoint> points, SelectionType type);
// A click of the cleaner at (x, y): highlight (if the pointer has not already) and apply.
HistoryLabel commandCleanerClick(RasterImage& mask, const RasterImage& subject,
                                 const SelectionSettings& settings, int x, int y);
// A selection dragged by (dx, dy).
HistoryLabel commandMoveSelection(RasterImage& mask, const SelectionSettings& settings, int dx,
                                  int dy);
HistoryLabel commandSendToBackground(RasterImage& background, const RasterImage& subject,
                                     const RasterImage& mask);

// Whether a press at (x, y) drags the selection rather than drawing a new one: with
// the type New, any tool but the cleaner, on a selected pixel.
bool pressMovesSelection(const SelectionSettings& settings, const RasterImage& mask, int x, int y);
// Status texts while dragging a selection and for the cursor's position.
std::string moveSelectionStatus(int dx, int dy);
std::string cursorPositionStatus(int x, int y);

// The cleaner's context-menu entry for the tolerance.
std::string cleanerToleranceMenuText(int tolerance);

} // namespace zx
