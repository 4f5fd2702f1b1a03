// The Animation menu's dialogs: "Current Animation Properties", "Add a Continuation",
// and the "Object Editor" and "Time Curve Editor" the region menu opens for an object.
// Each dialog edits the current image's animation through an AnimationEditSession and
// shows its changes in the view as they are made.

#include "app/MainFrame.h"

#include "anim/TimeCurve.h"
#include "commands/AnimateEditor.h"
#include "commands/AnimationContinuation.h"
#include "commands/AnimationEditSession.h"
#include "storage/CurveFile.h"
#include "ui/AnimationPropertiesDialog.h"
#include "ui/ObjectEditorDialog.h"
#include "ui/TimeCurveEditorDialog.h"

#include <filesystem>

namespace zx {

namespace {

constexpr std::string_view kSelectTimeCurveLabel = "Select Time Curve";
constexpr int kObjectCountWord = 1; // of the animation record

std::filesystem::path userCurveFile(const Settings& settings) {
    return std::filesystem::path(settings.curveDir) / kUserCurveFileName;
}

// While a dialog is open the view draws its session's model, which holds what the
// dialog changed in memory only (a flipped or replaced texture) as well as the record.
class ShownSession {
public:
    ShownSession(AnimationEditSession*& shown, AnimationEditSession* session) : shown_(shown) {
        shown_ = session;
    }
    ~ShownSession() { shown_ = nullptr; }
    ShownSession(const ShownSession&) = delete;
    ShownSession& operator=(const ShownSession&) = delete;

private:
    AnimationEditSession*& shown_;
};

} // namespace

int MainFrame::selectedObject() const {
    // The Animate tools' selection; without one the commands act on the image's first
    // object.
    if (const int chosen = editorSelectedObject(); chosen >= 0) return chosen;
    const ProjectImage* image = project().current();
    if (!image || !image->animation || image->animation->size() <= size_t(kObjectCountWord))
        return -1;
    return (*image->animation)[kObjectCountWord] > 0 ? 0 : -1;
}

CommandState MainFrame::animationObjectState() const {
    return {mode() == AnimationMode::Animate && selectedObject() >= 0, false};
}

CommandState MainFrame::continuationState() const {
    return {mode() == AnimationMode::Animate && workspace_->hasSelectedImage(), false};
}

void MainFrame::onAnimationProperties() {
    auto session = AnimationEditSession::open(*workspace_);
    if (!session) return;
    (*session)->model().selectedObject = selectedObject();
    AnimationPropertiesDialog dialog(
        **session, curves_, userCurveFile(settings_), *prompter_, [this] { refreshView(); }, this);
    animationDialog_ = &dialog;
    const ShownSession shown(dialogSession_, session->get());
    dialog.exec();
    reloadAnimateEditor();
    refreshAll();
}

void MainFrame::onAddContinuation() {
    const Status s = addContinuation(*workspace_);
    if (!s && !s.message().empty()) prompter_->message(s.message());
    refreshAll();
}

void MainFrame::openObjectEditor(int slot) {
    auto session = AnimationEditSession::open(*workspace_);
    if (!session || slot < 0 || slot >= (*session)->model().objectCount) return;
    const bool perspective = perspectiveView((*session)->model());
    ObjectEditorDialog dialog(
        **session, slot, perspective, *prompter_, [this] { refreshView(); }, this);
    animationDialog_ = &dialog;
    const ShownSession shown(dialogSession_, session->get());
    dialog.exec();
    reloadAnimateEditor();
    refreshAll();
}

void MainFrame::openTimeCurveEditor(int slot) {
    auto session = AnimationEditSession::open(*workspace_);
    if (!session || slot < 0 || slot >= (*session)->model().objectCount) return;
    AnimObject& object = (*session)->model().object(slot);
    TimeCurveEditorDialog dialog(curves_, userCurveFile(settings_),
                                 {object.curveKind, object.curvePoints}, *prompter_, this);
    animationDialog_ = &dialog;
    if (dialog.exec() == QDialog::Accepted) {
        setObjectCurve(object, dialog.curve());
        (*session)->keep(kSelectTimeCurveLabel);
    }
    reloadAnimateEditor();
    refreshAll();
}

} // namespace zx
