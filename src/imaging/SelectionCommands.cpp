#include "imaging/SelectionCommands.h"

#include "imaging/SendMaskedSubjectToBackground.h"

namespace zx {

std::string_view selectionToolName(SelectionTool tool) {
    switch (tool) {
    case SelectionTool::RectangularMarquee:
        return "Rectangular Marquee";
    case SelectionTool::EllipticalMarquee:
        return "Elliptical Marquee";
    case SelectionTool::FreeHandLasso:
        return "Free Hand Lasso";
    case SelectionTool::LineLasso:
        return "Line Lasso";
    case SelectionTool::MagicBackgroundCleaner:
        return HistoryName::Cleaner;
    }
    return "";
}

namespace {

// With auto mask the command ends by showing the inside of the selection; its
// history name then carries the suffix.
HistoryLabel finish(RasterImage& mask, const SelectionSettings& settings, std::string_view label) {
    std::string name(label);
    if (settings.autoMasking()) {
        showInsideSelection(mask, settings.featherRadius());
        name += HistoryName::AutoMaskSuffix;
    }
    return name;
}

} // namespace

HistoryLabel commandSelectVisible(RasterImage& mask, const RasterImage* subject) {
    if (mask.empty()) return std::nullopt;
    selectVisible(mask, subject);
    return std::string(HistoryName::SelectVisible);
}

HistoryLabel commandSelectAll(RasterImage& mask) {
    if (mask.empty()) return std::nullopt;
    selectAll(mask);
    return std::string(HistoryName::SelectAll);
}

HistoryLabel commandDeselect(RasterImage& mask) {
    if (mask.empty()) return std::nullopt;
    deselect(mask);
    return std::string(HistoryName::Deselect);
}

HistoryLabel commandSelectInverse(RasterImage& mask) {
    if (mask.empty()) return std::nullopt;
    selectInverse(mask);
    return std::string(HistoryName::SelectInverse);
}

HistoryLabel commandPreviousSelection(RasterImage& mask, const RasterImage* fromHistory) {
    if (mask.empty() || !fromHistory || fromHistory->width() != mask.width() ||
        fromHistory->height() != mask.height())
        return std::nullopt;
    mask = *fromHistory;
    return std::string(HistoryName::PreviousSelection);
}

HistoryLabel commandShowInside(RasterImage& mask, const SelectionSettings& settings) {
    if (mask.empty()) return std::nullopt;
    showInsideSelection(mask, settings.featherRadius());
    return std::string(settings.autoMasking() ? HistoryName::ShowInsideAuto
                                              : HistoryName::ShowInside);
}

HistoryLabel commandShowOutside(RasterImage& mask, const SelectionSettings& settings) {
    if (mask.empty()) return std::nullopt;
    showOutsideSelection(mask, settings.featherRadius());
    return std::string(HistoryName::ShowOutside);
}

HistoryLabel commandShowAll(RasterImage& mask) {
    if (mask.empty()) return std::nullopt;
    showAll(mask);
    return std::string(HistoryName::ShowAll);
}

HistoryLabel commandGrow(RasterImage& mask, const SelectionSettings& settings) {
    if (mask.empty()) return std::nullopt;
    growSelection(mask);
    return finish(mask, settings, HistoryName::GrowSelection);
}

HistoryLabel commandShrink(RasterImage& mask, const SelectionSettings& settings) {
    if (mask.empty()) return std::nullopt;
    shrinkSelection(mask);
    return finish(mask, settings, HistoryName::ShrinkSelection);
}

HistoryLabel commandSetFeather(RasterImage& mask, SelectionSettings& settings, int featherIndex) {
    settings.featherIndex = featherRadiusForIndex(featherIndex);
    if (mask.empty() || !settings.autoMasking()) return std::nullopt;
    showInsideSelection(mask, settings.featherRadius());
    return std::string(HistoryName::Feather);
}

HistoryLabel commandMarquee(RasterImage& mask, const SelectionSettings& settings, IntPoint press,
                            IntPoint release, bool shift) {
    if (mask.empty()) return std::nullopt;
    if (shift) release = squareDrag(press, release);
    bool changed = settings.tool == SelectionTool::EllipticalMarquee
                       ? selectEllipse(mask, press, release, settings.type)
                       : selectRectangle(mask, press, release, settings.type);
    if (!changed) return std::nullopt;
    return finish(mask, settings, selectionToolName(settings.tool));
}

HistoryLabel commandLasso(RasterImage& mask, const SelectionSettings& settings,
                          std::span<const IntPoint> points, SelectionType type) {
    if (mask.empty() || !selectPolygon(mask, points, type)) return std::nullopt;
    return finish(mask, settings, selectionToolName(settings.tool));
}

HistoryLabel commandCleanerClick(RasterImage& mask, const RasterImage& subject,
                                 const SelectionSettings& settings, int x, int y) {
    if (mask.empty()) return std::nullopt;
    bool highlighted = false;
    for (uint32_t word : mask.pixelVector())
        if (word & MaskBit::PendingSelected) {
            highlighted = true;
            break;
        }
    if (!highlighted &&
        highlightCleanerRegion(mask, subject, x, y, settings.tolerance, settings.smoothing) == 0)
        return std::nullopt;
    if (!applyCleaner(mask, settings.smoothing)) return std::nullopt;
    if (settings.autoMasking()) {
        showInsideSelection(mask, settings.featherRadius());
        return std::string(HistoryName::CleanerAuto);
    }
    return std::string(HistoryName::Cleaner);
}

HistoryLabel commandMoveSelection(RasterImage& mask, const SelectionSettings& settings, int dx,
                                  int dy) {
    if (mask.empty() || (dx == 0 && dy == 0)) return std::nullopt;
    moveSelection(mask, dx, dy);
    if (settings.autoMasking()) {
        showInsideSelection(mask, settings.featherRadius());
        return std::string(HistoryName::MoveSelectionAuto);
    }
    return std::string(HistoryName::MoveSelection);
}

HistoryLabel commandSendToBackground(RasterImage& background, const RasterImage& subject,
                                     const RasterImage& mask) {
    if (!sendMaskedSubjectToBackground(background, subject, mask)) return std::nullopt;
    return std::string(HistoryName::SendToBackground);
}

bool pressMovesSelection(const SelectionSettings& settings, const RasterImage& mask, int x, int y) {
    return settings.type == SelectionType::New &&
           settings.tool != SelectionTool::MagicBackgroundCleaner && inside(mask, x, y) &&
           (mask.at(x, y) & MaskBit::Selected);
}

std::string moveSelectionStatus(int dx, int dy) {
    return "dx= " + std::to_string(dx) + " dy= " + std::to_string(dy);
}

std::string cursorPositionStatus(int x, int y) {
    return "x= " + std::to_string(x) + " y= " + std::to_string(y);
}

std::string cleanerToleranceMenuText(int tolerance) {
    return "Set (current= " + std::to_string(tolerance) + ")...";
}

} // namespace zx
