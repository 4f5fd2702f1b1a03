#pragma once
// The protocol every mode panel offers the main frame: whether its mode may be
// left, entry, a busy test, a refresh after saving, and its own part of undo and
// redo. The defaults suit a panel with nothing pending.

#include "platform/Prompter.h"
#include "storage/HistoryStep.h"

namespace zx {

class ModePanel {
public:
    virtual ~ModePanel() = default;
    // May the mode be left now? A panel may ask the user.
    virtual bool canLeave(Prompter&) { return true; }
    // The mode is entered (or re-initialised when chosen again).
    virtual void enter() {}
    // The mode is being left for another one.
    virtual void leave() {}
    // An editing operation is under way (undo, "Set Duration" and the like wait).
    virtual bool busy() const { return false; }
    // The project was just saved.
    virtual void projectSaved() {}
    // The panel's own part of undoing or redoing a step; each panel acts only on
    // the steps it recorded.
    virtual void undo(const HistoryStep&) {}
    virtual void redo(const HistoryStep&) {}
    // The current image's duration changed from `oldFrames` to `newFrames`.
    virtual void durationChanged(int oldFrames, int newFrames) {}
    // The image shown changed (a selection, an undo, a load).
    virtual void imageChanged() {}
};

} // namespace zx
