#pragma once
// The main frame's engine: the open project, the placeholder image, the mode
// panels, the pending floating edit, and the operations that move between modes
// and images, undo and redo, and change the timeline and the image list. The app
// and the command-line tool call these; nothing here knows of windows.

#include "anim/LibraryFile.h"
#include "commands/FloatingPicture.h"
#include "commands/ModePanel.h"
#include "platform/Prompter.h"
#include "platform/Status.h"
#include "storage/PhotoImport.h"
#include "storage/Project.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zx {

struct Settings;

// An operation waiting to be applied to the image (a paste, an adjustment preview).
struct FloatingEdit {
    bool pending = false;
    bool isPaste = false;
    std::string operationName; // "Paste" when empty
    std::optional<FloatingPicture> picture;
    bool background = false; // pasted while the background is edited
};

inline constexpr std::string_view kPasteToBackgroundQuestion = "Paste to Background?";
inline constexpr std::string_view kPasteReducedStatus =
    "The pasted picture is larger than the image: it was reduced to fit";
inline constexpr std::string_view kClipboardImageName = "[Clipboard]";
inline constexpr std::string_view kBlankImageName = "[Blank]";
inline constexpr int kPlaceholderWidth = 640;
inline constexpr int kPlaceholderHeight = 480;
inline constexpr int kPlaceholderDuration = 25;

std::string modeDisplayName(AnimationMode mode); // "Image Edit", …, "3D Creator"

class Workspace {
public:
    // What the window must redo after an operation; every hook may be empty.
    struct Hooks {
        std::function<void()> timelineChanged; // strips, durations, selection
        std::function<void()> viewsChanged;    // redraw all views
        std::function<void()> historyChanged;  // the History window's list
        std::function<void()> modeChanged;     // panels, tool bar
        std::function<void()> movieFramesChanged;
        // Applies the pending floating edit (the Image Edit panel's command).
        std::function<void(const FloatingEdit&)> applyFloatingEdit;
    };

    Workspace(Prompter& prompter, const Settings& settings);

    Project& project() { return *project_; }
    const Project& project() const { return *project_; }
    Prompter& prompter() { return prompter_; }
    const Settings& settings() const { return settings_; }
    Hooks hooks;

    // ---- panels ------------------------------------------------------------------
    void setPanel(AnimationMode mode, ModePanel* panel);
    ModePanel* panel(AnimationMode mode);
    const ModePanel* panel(AnimationMode mode) const;
    ModePanel* activePanel() { return panel(mode()); }
    const ModePanel* activePanel() const { return panel(mode()); }

    AnimationMode mode() const { return project_->mode; }
    // The image the views show: the selected one, else the placeholder (none in Movie mode).
    ProjectImage* currentImage();
    ProjectImage& placeholder() { return *placeholder_; }
    bool hasSelectedImage() const { return project_->images.valid(project_->currentImage); }
    bool backgroundSelected() const { return backgroundSelected_; }

    // ---- the open project ------------------------------------------------------------
    // Replaces the project (after a load or New): the history starts afresh and the
    // stored mode is entered anew.
    void replaceProject(std::unique_ptr<Project> project);
    // Before opening, saving or closing: the floating edit and the active mode agree.
    bool readyToLeaveProject();

    // Library files the user has located by hand in this run.
    LibraryRelocations libraryRelocations;

    // ---- modes and selection -----------------------------------------------------
    FloatingEdit floating;
    // "Apply … to Image?" with Yes, No, Cancel; false for Cancel.
    bool resolveFloatingEdit();
    // A picture floating over the current image (Image Edit mode); what was floating
    // before is resolved first. False when there is no image or the user cancels.
    bool pasteFloating(RasterImage picture, std::string name);
    // Enter and Esc: the floating picture merged into its layer, or dropped.
    Status mergeFloating();
    void dropFloating();
    bool switchMode(AnimationMode target);
    // Selects an image (or its background row) as a click does; false when the
    // floating edit or the active mode refuses. `ask` false skips both (Movie mode).
    bool selectImage(int index, bool backgroundRow = false, bool ask = true);

    // ---- history -----------------------------------------------------------------
    History::Outcome record(HistoryStep step);
    bool canUndo() const;
    bool canRedo() const;
    std::string undoMenuText() const;
    std::string redoMenuText() const;
    bool undo();
    bool redo();
    // Undoes or redoes until the position is `target` (the History window's click).
    bool jumpTo(int target);

    // ---- timeline ------------------------------------------------------------------
    // "Set Image Duration": the current image, or every image.
    bool setImageDuration(int frames, bool applyToAll);
    // The end of a duration drag that started at `startFrames`.
    bool finishDurationDrag(int startFrames);

    // ---- the image list ----------------------------------------------------------
    // Appends a picture as a new image, records its step and selects it. Pictures
    // larger than the MaxSize setting are offered a reduction unless `keepSize`.
    bool addPictureAsImage(const RasterImage& picture, const std::string& name,
                           bool keepSize = false);
    // Forgets a Yes to the reduction question (each drop of files asks afresh).
    void clearResizeAnswer() { importSession_.reset(); }
    bool addBlankImage(int width, int height);
    // The size "Add Blank Image" proposes.
    std::pair<int, int> proposedBlankSize() const;
    bool addCopy();
    bool pasteToNewImage(const RasterImage& picture);
    bool removeImage(int index);
    bool moveImage(int from, int to);

private:
    void notify(const std::function<void()>& hook) {
        if (hook) hook();
    }
    // The panel set for a mode, or null.
    ModePanel* registeredPanel(AnimationMode mode) const;
    void enterMode(AnimationMode target);
    void setCurrentImage(int index);
    void restoreDurations(const HistoryStep& step);
    void applyDurations(const HistoryStep& step);
    // Puts back the image an add or remove step keeps.
    void reinsertImage(const HistoryStep& step);
    void undoProjectStep(const HistoryStep& step);
    void redoProjectStep(const HistoryStep& step);
    bool selectForStep(const HistoryStep* step);
    void finishHistoryWalk();
    bool leaveToImageEditAndBack(const std::function<void()>& change);

    Prompter& prompter_;
    const Settings& settings_;
    std::unique_ptr<Project> project_;
    std::unique_ptr<ProjectImage> placeholder_;
    // Modes without a panel of their own get one that allows everything.
    std::unique_ptr<ModePanel> fallbackPanel_;
    std::array<ModePanel*, 5> panels_{};
    bool backgroundSelected_ = false;
    PhotoImportSession importSession_;
};

} // namespace zx
