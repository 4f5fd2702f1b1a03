#pragma once
// The selection tools of Image Edit mode as a state machine fed with pointer events
// in image pixels: the marquees, the two lassos, the magic background cleaner and
// dragging the selection. It runs the selection and masking commands on the current
// image's mask layer, records each change as one history step, and reports what the
// view draws (the stroke in progress, the selection offset while dragging) and what
// the status bar says.

#include "commands/Workspace.h"
#include "imaging/SelectionCommands.h"

#include <functional>
#include <string>
#include <vector>

namespace zx {

struct PointerInput {
    IntPoint at; // image pixels; may lie outside the image
    bool shift = false;
    bool ctrl = false;
};

class ImageEditSelection {
public:
    explicit ImageEditSelection(Workspace& workspace) : workspace_(workspace) {}

    const SelectionSettings& settings() const { return settings_; }
    void setTool(SelectionTool tool);
    void setType(SelectionType type) { settings_.type = type; }
    void setAutoMask(bool on) { settings_.autoMask = on; }
    void setRedMask(bool on) { settings_.redMask = on; }
    void setTolerance(int tolerance);
    void setSmoothing(bool on) { settings_.smoothing = on; }
    void setEditingBackground(bool on) { settings_.editingBackground = on; }

    // ---- pointer (left button) ---------------------------------------------------
    void press(const PointerInput& in);
    void move(const PointerInput& in);
    void release(const PointerInput& in);
    void doubleClick(const PointerInput& in);
    // The pointer left the view: the cleaner's highlight goes.
    void leave();
    // Drops the stroke in progress (Esc, a mode change).
    void cancel();
    // A stroke or a line lasso is under way; undo waits for it.
    bool busy() const { return stroke_ != Stroke::None || lasso_.open(); }

    // ---- commands; each returns whether it recorded a step ------------------------
    bool selectVisible();
    bool selectAll();
    bool deselect();
    bool selectInverse();
    bool previousSelection();
    bool showInside();
    bool showOutside();
    bool showAll();
    bool grow();
    bool shrink();
    bool setFeather(int featherIndex);
    bool sendToBackground();
    // "Copy Selection": the selected flags of the mask alone; none without a selection.
    std::optional<RasterImage> copySelection() const;
    // "Paste Selection": a copied selection laid on the mask from its top-left corner,
    // in place of the current one.
    bool pasteSelection(const RasterImage& copied);

    // ---- undo and redo of the steps recorded here ---------------------------------
    void undo(const HistoryStep& step) { applyStep(step, true); }
    void redo(const HistoryStep& step) { applyStep(step, false); }

    // ---- what the view shows ------------------------------------------------------
    // The current image's mask layer, or null.
    const RasterImage* mask() const;
    bool hasSelection() const;
    // The outline being drawn, in image pixels; closed for the marquees.
    std::vector<IntPoint> strokeOutline() const;
    bool strokeClosed() const;
    // While the selection is dragged, how far it has moved.
    IntPoint selectionOffset() const;
    // The status-bar prompt and the cursor's position text.
    std::string prompt() const;
    std::string positionText() const;

private:
    enum class Stroke { None, Marquee, FreeHand, MoveSelection };
    using Command = std::function<HistoryLabel(RasterImage& mask, ProjectImage& image)>;

    // Runs a command on the current image's mask and records its step; a command
    // that did nothing (or changed no word) leaves the mask as it was and no step.
    bool run(const Command& command);
    bool recordStep(HistoryStep step);
    ProjectImage* image() const;
    void applyStep(const HistoryStep& step, bool undo);
    void clearHighlight();
    void highlightAt(IntPoint p);
    bool finishLasso(const std::vector<IntPoint>& points, SelectionType type);

    Workspace& workspace_;
    SelectionSettings settings_;
    Stroke stroke_ = Stroke::None;
    IntPoint pressAt_;
    IntPoint pointer_;
    bool pointerInside_ = false;
    bool shift_ = false;
    std::vector<IntPoint> freeHand_;
    LineLasso lasso_;
    SelectionType strokeType_ = SelectionType::New;
    // The image whose mask holds the cleaner's highlight, if any.
    ProjectImage* highlighted_ = nullptr;
};

} // namespace zx
