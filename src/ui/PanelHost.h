#pragma once
// What the mode panels may ask of the window that hosts them. The main frame
// implements it; the panels know nothing else of the application.

#include "commands/Workspace.h"

#include <string_view>

class QWidget;

namespace zx {

class PanelHost {
public:
    virtual ~PanelHost() = default;
    virtual Workspace& workspace() = 0;
    // The widget the panels live in.
    virtual QWidget* panelParent() = 0;
    // Redraw the main view after the frame shown changed.
    virtual void refreshView() = 0;
    // Redraw everything after a panel recorded a step: view, timeline, history, commands.
    virtual void refreshAll() = 0;
    // Redraw the timeline after the selection or the image list changed.
    virtual void refreshTimeline() = 0;
    // Starts or stops the playback clock of the Animate panel; false when refused.
    virtual bool setAnimatePlaying(bool on) = 0;
    // Pauses the movie playing on the timeline.
    virtual void pausePlayback() = 0;
    // The movie's length in frames (all images one after another).
    virtual int movieFrameCount() const = 0;
    virtual void openThreeDPreview() = 0;
    // Runs a picture edit by its name in the Image Edit command table ("Auto Levels",
    // "Lighting Effects..."), with its dialog, as its menu entry would.
    virtual void runPictureEdit(std::string_view name) = 0;
};

} // namespace zx
