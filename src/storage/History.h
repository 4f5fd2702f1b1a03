#pragma once
// The linear undo history: steps 0 … position are done, the steps after it can be
// redone. Recording inserts the mode and selection steps that let an undo walk back
// through the navigation that led to an edit, and drops a step that changes nothing.
// The undo and redo of each step's content belong to the mode panels; this class
// keeps the list, the position and the rules for enabling and labelling.

#include "storage/HistoryStep.h"

#include <string>
#include <vector>

namespace zx {

class History {
public:
    // Where the program stands when a step is recorded.
    struct Context {
        AnimationMode activeMode = AnimationMode::ImageEdit;
        int currentImage = -1;
        bool backgroundSelected = false;
    };
    // What the caller must do after recording.
    struct Outcome {
        bool recorded = false;     // false when the step was dropped as a no-op
        bool markModified = false; // the project is now modified
        bool rebuildMovieFrames = false;
        bool refreshTimeline = false;
    };

    Outcome record(HistoryStep step, const Context& context);

    // Frees every step; position −1.
    void clear();

    int position() const { return position_; }
    int size() const { return int(steps_.size()); }
    bool empty() const { return steps_.empty(); }
    const HistoryStep& operator[](int index) const { return steps_[size_t(index)]; }
    const std::vector<HistoryStep>& steps() const { return steps_; }
    std::vector<std::string> labels() const;

    // The step an undo would take back, and the one a redo would apply; null when none.
    const HistoryStep* undoStep() const;
    const HistoryStep* redoStep() const;
    // The step before the one an undo takes back (whose image and mode an undo returns to).
    const HistoryStep* stepBeforeUndo() const;
    // Move the position after the panels did their part; false (nothing moves) when
    // there is nothing to undo or redo.
    bool stepBack();
    bool stepForward();

    // Undo: a valid position whose step is not a load step, the active panel agrees,
    // no floating edit pending. Redo: a step after the position, the panel agrees, no
    // floating edit pending.
    bool canUndo(bool panelAllows, bool floatingEditPending) const;
    bool canRedo(bool panelAllows, bool floatingEditPending) const;
    // "Undo " + label + "\tCtrl+Z" when enabled, else "Undo\tCtrl+Z"; likewise Redo.
    std::string undoMenuText(bool enabled) const;
    std::string redoMenuText(bool enabled) const;

    // A step's image index, brought within the images that exist (the last one when
    // it lies beyond them); −1 when there are none.
    static int targetImage(const HistoryStep& step, int imageCount);
    // True when `next` would change nothing compared with `current` (same type,
    // image, kind and label, and equal content by the rules of its type).
    static bool changesNothing(const HistoryStep& current, const HistoryStep& next);

private:
    void append(HistoryStep step);

    std::vector<HistoryStep> steps_;
    int position_ = -1;
};

} // namespace zx
