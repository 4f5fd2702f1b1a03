// The handlers and enabling rules of the command table.
#include "anim/AnimationRecord.h"
#include "app/CanvasView.h"
#include "app/ImageComposer.h"
#include "app/MainFrame.h"
#include "app/MovieModeView.h"
#include "app/QtProgress.h"
#include "app/Timeline.h"
#include "app/WaitCursor.h"
#include "commands/DemoScene.h"
#include "commands/DropRouting.h"
#include "commands/LibraryObjects.h"
#include "commands/MovieSettingsRules.h"
#include "commands/PreviewScene.h"
#include "commands/ProjectSaving.h"
#include "commands/VideoStills.h"
#include "platform/SettingsStore.h"
#include "storage/ProjectFile.h"
#include "ui/HistoryWindow.h"
#include "ui/LibraryFileDialog.h"
#include "ui/ModePanels.h"
#include "ui/QtText.h"
#include "ui/SettingsDialogs.h"
#include "ui/SimpleDialogs.h"
#include "ui/SystemInfoDialog.h"
#include "ui/ThreeDPreviewDialog.h"

#include "storage/ImageFile.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDockWidget>
#include <QFileDialog>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

namespace zx {

namespace {
constexpr int kRecentCount = 9;
const char* kDocumentationUrl = "https://zelvotrix.example/documentation";

// Pictures, and videos (their first frame), for the import dialog.
QString picturesAndVideosFilter() {
    QString videos;
    for (std::string_view ext : videoFileExtensions()) videos += " *." + qtText(ext);
    return "Images and videos (*.jpg *.jpeg *.png" + videos + ");;Images (*.jpg *.jpeg *.png);;" +
           "Videos (" + videos.trimmed() + ");;All files (*)";
}

// A picture's image is named after its file, kept as the engine keeps names.
std::string pictureName(const QString& path) {
    return engineText(QFileInfo(path).fileName());
}

// Every picture the user opens goes through the engine's checked readers.
std::optional<RasterImage> loadPicture(const QString& path, Prompter& prompter) {
    Result<RasterImage> picture = loadImage(enginePath(path), &prompter);
    if (!picture) return std::nullopt; // the message was shown
    return std::move(picture).value();
}
} // namespace

// ---- files ----------------------------------------------------------------------------

bool MainFrame::askSaveChanges() {
    if (!project().modified) return true;
    // The title comes from the file's name; the question shows it as a name.
    const std::string name =
        project().title.empty() ? "Untitled" : engineText(qtPath(project().title));
    const Answer a = prompter_->ask("Save changes to " + name + "?", Buttons::YesNoCancel);
    if (a == Answer::Cancel) return false;
    if (a == Answer::No) return true;
    onSave();
    return !project().modified;
}

bool MainFrame::openProject(const QString& path) {
    const OpenRoute route = routeOpen(enginePath(path));
    if (!route.loadProject) {
        prompter_->message(route.message);
        return false;
    }
    if (!workspace_->readyToLeaveProject() || !askSaveChanges()) return false;
    stopPlayback();
    std::unique_ptr<Project> loaded;
    {
        WaitCursor wait;
        prompter_->status("Loading project...");
        Result<std::unique_ptr<Project>> opened =
            openProjectDocument(enginePath(path), *prompter_, &project());
        if (opened) loaded = std::move(opened).value();
    }
    if (!loaded) {
        prompter_->status("Ready");
        return false; // the message was shown; the open project stays as it was
    }
    // A project written without timeline state (scale 0, which the timeline never
    // stores) shows both rows at a readable scale rather than nothing at all.
    if (loaded->timelineWords.unset()) loaded->timelineWords = TimelineWords::forNewProject();
    {
        WaitCursor wait;
        workspace_->replaceProject(std::move(loaded));
    }
    project().modified = false;
    // Everything fits from the first image, or the strips scroll the least that
    // shows the current one.
    timeline_->setFirstImage(0);
    timeline_->revealCurrent();
    addRecent(path);
    settings_.projectDir = enginePath(QFileInfo(path).absolutePath()).string() + "/";
    prompter_->status("Ready");
    refreshAll();
    return true;
}

bool MainFrame::saveProject(const QString& path) {
    if (!workspace_->readyToLeaveProject()) return false;
    bool ok = false;
    {
        WaitCursor wait;
        ok = saveProjectFile(project(), enginePath(path), *prompter_).isOk();
    }
    if (!ok) return false;
    workspace_->activePanel()->projectSaved();
    addRecent(path);
    prompter_->status("Ready");
    refreshAll();
    return true;
}

void MainFrame::onNew() {
    if (!workspace_->readyToLeaveProject() || !askSaveChanges()) return;
    stopPlayback();
    auto fresh = std::make_unique<Project>(Project::fromSettings(settings_));
    workspace_->replaceProject(std::move(fresh));
    timeline_->setFirstImage(0);
    refreshAll();
}

void MainFrame::onOpen() {
    const QString path = QFileDialog::getOpenFileName(
        this, "Open Project", qtPath(settings_.projectDir), "zxp files (*.zxp);;All files (*)");
    if (!path.isEmpty()) openProject(path);
}

void MainFrame::onSave() {
    if (project().path.empty()) {
        onSaveAs();
        return;
    }
    saveProject(qtPath(project().path));
}

void MainFrame::onSaveAs() {
    QString dir =
        project().folder.empty() ? qtPath(settings_.projectDir) : qtPath(project().folder);
    QString proposed = dir + "/" + qtText(defaultSaveName(project()));
    for (;;) {
        QString path =
            QFileDialog::getSaveFileName(this, "Save Project As", proposed, "zxp files (*.zxp)");
        if (path.isEmpty()) return;
        if (QFileInfo(path).suffix().isEmpty()) path += ".zxp";
        if (QFileInfo(path).suffix().toLower() != "zxp") {
            prompter_->message(kSaveAsExtensionMessage);
            proposed = path;
            continue;
        }
        saveProject(path);
        return;
    }
}

void MainFrame::dropFiles(const QStringList& paths) {
    workspace_->clearResizeAnswer();
    for (const QString& path : paths) {
        const DropRoute route = routeDroppedFile(enginePath(path));
        switch (route.action) {
        case DropAction::OpenProject:
            openProject(path);
            break;
        case DropAction::ImportImage: {
            if (auto picture = loadPicture(path, *prompter_))
                workspace_->addPictureAsImage(*picture, pictureName(path));
            break;
        }
        case DropAction::Message:
            prompter_->message(route.message);
            break;
        }
    }
    refreshAll();
}

void MainFrame::onImportImages() {
    const QString dir =
        settings_.importDir.empty() ? qtPath(settings_.projectDir) : qtPath(settings_.importDir);
    const QStringList files =
        QFileDialog::getOpenFileNames(this, "Import Image(s)", dir, picturesAndVideosFilter());
    if (files.isEmpty()) return;
    settings_.importDir = enginePath(QFileInfo(files.front()).absolutePath()).string() + "/";
    if (!workspace_->switchMode(AnimationMode::ImageEdit)) return;
    WaitCursor wait;
    for (const QString& f : files)
        if (auto picture = loadPicture(f, *prompter_))
            workspace_->addPictureAsImage(*picture, pictureName(f));
    refreshAll();
}

void MainFrame::onAddBlankImage() {
    const auto [w, h] = workspace_->proposedBlankSize();
    BlankImageDialog dialog(w, h, this);
    if (dialog.exec() != QDialog::Accepted) return;
    workspace_->addBlankImage(dialog.imageWidth(), dialog.imageHeight());
    refreshAll();
}

void MainFrame::onLoadObject() {
    const QString path = chooseLibraryFile("Load Object");
    if (!path.isEmpty()) loadObjectFile(path);
}

bool MainFrame::loadObjectFile(const QString& path) {
    LibraryLoadOptions options;
    options.prompter = prompter_;
    options.libraryFolder = settings_.libDir;
    options.relocations = &workspace_->libraryRelocations;
    options.locateFile = [this](const std::string&) -> std::optional<std::filesystem::path> {
        const QString found =
            LibraryFileDialog::chooseFile(this, "Locate Library File", qtPath(settings_.libDir));
        if (found.isEmpty()) return std::nullopt;
        return enginePath(found);
    };
    int slot = -1;
    {
        WaitCursor wait;
        Result<int> loaded =
            loadObjectIntoCurrentImage(*workspace_, enginePath(path), std::move(options));
        slot = loaded ? *loaded : -1;
    }
    refreshAll();
    return slot >= 0;
}

bool MainFrame::saveObjectFile(const QString& path) {
    const ProjectImage* image = workspace_->currentImage();
    if (!image) return false;
    QtProgress progress(this, "Save As Object");
    SaveAnimationOptions options;
    options.prompter = prompter_;
    options.progress = &progress;
    options.projectFolder = project().folder;
    options.relocations = &workspace_->libraryRelocations;
    WaitCursor wait;
    return saveImageAnimationAsLibrary(*image, enginePath(path), options).isOk();
}

void MainFrame::onExit() {
    close();
}

void MainFrame::suspendImportLimitForRun() {
    if (!storedMaxSize_) storedMaxSize_ = settings_.maxSize;
    settings_.maxSize = -1;
}

void MainFrame::addRecent(const QString& path) {
    const QString abs = QFileInfo(path).absoluteFilePath();
    recent_.removeAll(abs);
    recent_.prepend(abs);
    while (recent_.size() > kRecentCount) recent_.removeLast();
    if (store_)
        for (int i = 0; i < kRecentCount; ++i)
            store_->writeString("Recent" + std::to_string(i + 1),
                                i < recent_.size() ? enginePath(recent_[i]).string() : "");
    rebuildRecentMenu();
}

void MainFrame::rebuildRecentMenu() {
    if (!recentMenu_) return;
    if (recent_.isEmpty() && store_)
        for (int i = 0; i < kRecentCount; ++i)
            if (auto v = store_->readString("Recent" + std::to_string(i + 1)); v && !v->empty())
                recent_ << qtPath(*v);
    recentMenu_->clear();
    for (int i = 0; i < recent_.size(); ++i) {
        const QString path = recent_[i];
        recentMenu_->addAction(QString("&%1 %2").arg(i + 1).arg(path),
                               [this, path] { openProject(path); });
    }
    recentMenu_->setEnabled(!recent_.isEmpty());
}

// ---- edit ----------------------------------------------------------------------------

void MainFrame::onUndo() {
    workspace_->undo();
    refreshAll();
}

void MainFrame::onRedo() {
    workspace_->redo();
    refreshAll();
}

void MainFrame::onCopyFrame() {
    ProjectImage* img = workspace_->currentImage();
    if (!img) return;
    std::optional<RasterImage> movieFrame;
    if (mode() == AnimationMode::Movie) movieFrame = movieView_->frameImage(movieFrame_);
    putOnClipboard(movieFrame ? std::move(*movieFrame)
                              : composeLayers(*img, showSubject(), showBackground()));
}

void MainFrame::onPasteNewImage() {
    std::optional<RasterImage> picture = clipboardPicture();
    if (!picture) return;
    workspace_->pasteToNewImage(*picture);
    refreshAll();
}

// ---- view ----------------------------------------------------------------------------

void MainFrame::onToggleToolbar() {
    toolBar_->setVisible(!toolBar_->isVisible());
}
void MainFrame::onToggleStatusBar() {
    statusBar()->setVisible(!statusBar()->isVisible());
}
void MainFrame::onToggleTimeline() {
    timelineDock_->setVisible(!timelineDock_->isVisible());
}
void MainFrame::onToggleModeTools() {
    toolsDock_->setVisible(!toolsDock_->isVisible());
}
void MainFrame::onToggleHistory() {
    history_->setVisible(!history_->isVisible());
}

void MainFrame::onZoomIn() {
    project().zoom = zoomIn(project().zoom);
    view_->update();
}
void MainFrame::onZoomOut() {
    project().zoom = zoomOut(project().zoom);
    view_->update();
}
void MainFrame::onZoomReset() {
    project().zoom = 0;
    view_->update();
}

void MainFrame::setCanvas(CanvasColour colour) {
    ProjectImage* img = project().current();
    if (!img) return;
    project().canvasColour = colour;
    img->canvasColour = colour;
    view_->update();
    timeline_->strips()->update();
}
void MainFrame::onCanvasGrid() {
    setCanvas(CanvasColour::Grid);
}
void MainFrame::onCanvasBlack() {
    setCanvas(CanvasColour::Black);
}
void MainFrame::onCanvasBlue() {
    setCanvas(CanvasColour::Blue);
}
void MainFrame::onCanvasGreen() {
    setCanvas(CanvasColour::Green);
}
void MainFrame::onCanvasWhite() {
    setCanvas(CanvasColour::White);
}
void MainFrame::onViewSubject() {
    setShowSubject(!showSubject());
}
void MainFrame::onViewBackground() {
    setShowBackground(!showBackground());
}

void MainFrame::onModeImageEdit() {
    workspace_->switchMode(AnimationMode::ImageEdit);
    refreshAll();
}
void MainFrame::onModeImageAlign() {
    workspace_->switchMode(AnimationMode::ImageAlign);
    refreshAll();
}
void MainFrame::onModeAnimate() {
    workspace_->switchMode(AnimationMode::Animate);
    refreshAll();
}
void MainFrame::onModeMovie() {
    if (workspace_->switchMode(AnimationMode::Movie)) {
        timeline_->markers() = {};
        movieFrame_ = -1;
        showMovieFrame(0);
    }
    refreshAll();
}
void MainFrame::onMode3DCreator() {
    workspace_->switchMode(AnimationMode::Creator3D);
    refreshAll();
}

void MainFrame::onAddCopy() {
    workspace_->addCopy();
    refreshAll();
}

void MainFrame::onRemoveImage() {
    workspace_->removeImage(project().currentImage);
    refreshAll();
}

void MainFrame::setAnimateView(AnimateViewMode m) {
    if (animateViewMode_ == m) return;
    animateViewMode_ = m;
    view_->update();
}
void MainFrame::onViewFull() {
    setAnimateView(AnimateViewMode::Full);
}
void MainFrame::onViewStartImage() {
    setAnimateView(AnimateViewMode::StartImage);
}
void MainFrame::onViewCurrentFrame() {
    setAnimateView(AnimateViewMode::CurrentFrame);
}

// ---- settings and help -------------------------------------------------------------------

void MainFrame::onSettingsGeneral() {
    GeneralSettingsDialog d(settings_, this);
    if (d.exec() != QDialog::Accepted) return;
    d.apply(settings_);
    storedMaxSize_.reset(); // the user's own choice now stands
    if (store_) writeSettings(settings_, *store_);
}

void MainFrame::onSettingsAnimation() {
    settings_.cores = processorCoresFromAffinity();
    AnimationSettingsDialog d(settings_, this);
    if (d.exec() != QDialog::Accepted) return;
    const int cacheBefore = settings_.cacheSpool;
    d.apply(settings_);
    if (store_) writeSettings(settings_, *store_);
    // The spool is switched on or off when the window opens.
    if (settings_.cacheSpool != cacheBefore)
        prompter_->message("Change in cache settings will be effective next time you restart "
                           "the application");
}

void MainFrame::onSettingsMovie() {
    const MovieSettingsValues before{project().movieWidth, project().movieHeight, project().fps,
                                     settings_.videoRender};
    MovieSettingsDialog d(before, this);
    if (d.exec() != QDialog::Accepted) return;
    const MovieSettingsValues after = d.values();
    applyMovieSettings(after);
}

void MainFrame::applyMovieSettings(const MovieSettingsValues& values) {
    const MovieSettingsValues before{project().movieWidth, project().movieHeight, project().fps,
                                     settings_.videoRender};
    const MovieSettingsValues after = clampMovieSettings(values);
    const bool movieWithFrame = mode() == AnimationMode::Movie && movieFrame_ >= 0;
    const MovieSettingsOutcome o = movieSettingsOutcome(before, after, movieWithFrame);
    if (o.effect == MovieSettingsEffect::Nothing) return;
    timeline_->pause();
    project().movieWidth = after.width;
    project().movieHeight = after.height;
    project().fps = after.framesPerSecond;
    settings_.videoX = after.width;
    settings_.videoY = after.height;
    settings_.fps = after.framesPerSecond;
    settings_.videoRender = after.quality;
    if (o.deleteCameraTags) project().cameraValues.reset();
    project().modified = true;
    if (o.effect == MovieSettingsEffect::RefreshPlayback)
        showMovieFrame(std::max(0, timeline_->markers().start));
    moviePanel_->refresh();
    refreshAll();
}

void MainFrame::onDocumentation() {
    // The default browser, as the desktop knows it.
    if (!QProcess::startDetached("xdg-open", {kDocumentationUrl}))
        QDesktopServices::openUrl(QUrl(kDocumentationUrl));
}

void MainFrame::onSamples() {
    const QString dir = QString(ZX_SAMPLES_INSTALL_DIR);
    const QString path = QFileDialog::getOpenFileName(this, "Sample Projects and Libraries", dir,
                                                      "zxp files (*.zxp)");
    if (!path.isEmpty()) openProject(path);
}

void MainFrame::onSystemInfo() {
    SystemInfoDialog d(measureSystem(), std::make_unique<RenderSpeedTest>(), this);
    d.exec();
    // A test the user closed before it ended keeps the last score.
    if (d.speedTestFinished() && d.measuredSpeed() > 0) {
        settings_.pcSpeed = RenderSpeedTest::pcSpeed(d.measuredSpeed());
        if (store_) writeSettings(settings_, *store_);
    }
}

void MainFrame::onAbout() {
    showAboutBox(this);
}

void MainFrame::onThreeDPreview() {
    ProjectImage* img = workspace_->currentImage();
    if (!img) return;
    // The dialog turns its own copy of the animation at the frame shown now.
    auto scene = std::make_shared<PreviewScene>(*img, img->currentFrame(), project().folder);
    ThreeDPreviewDialog::Renderer renderer;
    if (scene->objectCount() > 0) {
        const RenderQuality quality =
            renderQualityFromInt(settings_.videoRender).value_or(RenderQuality::Medium);
        renderer = [scene, quality](const PreviewCamera& camera, int w, int h, int step) {
            return scene->render(camera, w, h, quality, step);
        };
    }
    ThreeDPreviewDialog d(imageComposite(*img), std::move(renderer), this);
    d.exec();
}

// ---- enabling rules -------------------------------------------------------------------------

CommandState MainFrame::undoState() const {
    return {workspace_->canUndo(), false};
}
CommandState MainFrame::redoState() const {
    return {workspace_->canRedo(), false};
}
CommandState MainFrame::hasImageState() const {
    return {project().current() != nullptr && mode() != AnimationMode::Movie, false};
}
CommandState MainFrame::imageEditWithImageState() const {
    return {mode() == AnimationMode::ImageEdit && project().current() != nullptr, false};
}
CommandState MainFrame::animateState() const {
    return {mode() == AnimationMode::Animate, false};
}
CommandState MainFrame::copyFrameState() const {
    return {mode() != AnimationMode::Movie || project().current() != nullptr, false};
}
CommandState MainFrame::pasteNewImageState() const {
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    return {(mime && mime->hasImage()) || clipboard_.hasOwnCopy(), false};
}
CommandState MainFrame::toolbarState() const {
    return {true, toolBar_->isVisible()};
}
CommandState MainFrame::statusBarState() const {
    return {true, statusBar()->isVisible()};
}
CommandState MainFrame::timelineState() const {
    return {true, timelineDock_->isVisible()};
}
CommandState MainFrame::modeToolsState() const {
    return {true, toolsDock_->isVisible()};
}
CommandState MainFrame::historyState() const {
    return {true, history_->isVisible()};
}
CommandState MainFrame::zoomInState() const {
    return {project().zoom < kMaxZoom, false};
}
CommandState MainFrame::zoomOutState() const {
    return {project().zoom > kMinZoom, false};
}
CommandState MainFrame::zoomResetState() const {
    return {mode() != AnimationMode::Movie, project().zoom == 0};
}
CommandState MainFrame::canvasState(CanvasColour c) const {
    const ProjectImage* img = project().current();
    return {img != nullptr, img ? img->canvasColour == c : project().canvasColour == c};
}
CommandState MainFrame::canvasGridState() const {
    return canvasState(CanvasColour::Grid);
}
CommandState MainFrame::canvasBlackState() const {
    return canvasState(CanvasColour::Black);
}
CommandState MainFrame::canvasBlueState() const {
    return canvasState(CanvasColour::Blue);
}
CommandState MainFrame::canvasGreenState() const {
    return canvasState(CanvasColour::Green);
}
CommandState MainFrame::canvasWhiteState() const {
    return canvasState(CanvasColour::White);
}
CommandState MainFrame::viewSubjectState() const {
    return {true, showSubject()};
}
CommandState MainFrame::viewBackgroundState() const {
    return {true, showBackground()};
}
CommandState MainFrame::modeImageEditState() const {
    return {true, mode() == AnimationMode::ImageEdit};
}
CommandState MainFrame::modeImageAlignState() const {
    return {true, mode() == AnimationMode::ImageAlign};
}
CommandState MainFrame::modeAnimateState() const {
    return {true, mode() == AnimationMode::Animate};
}
CommandState MainFrame::modeMovieState() const {
    return {true, mode() == AnimationMode::Movie};
}
CommandState MainFrame::mode3DCreatorState() const {
    return {true, mode() == AnimationMode::Creator3D};
}
CommandState MainFrame::viewFullState() const {
    return {mode() == AnimationMode::Animate, animateViewMode_ == AnimateViewMode::Full};
}
CommandState MainFrame::viewStartImageState() const {
    return {mode() == AnimationMode::Animate, animateViewMode_ == AnimateViewMode::StartImage};
}
CommandState MainFrame::viewCurrentFrameState() const {
    return {mode() == AnimationMode::Animate, animateViewMode_ == AnimateViewMode::CurrentFrame};
}
CommandState MainFrame::saveObjectState() const {
    // An image without animated objects has nothing to save as an object.
    const ProjectImage* image = project().current();
    return {mode() == AnimationMode::Animate && image && image->animation &&
                image->animation->size() > size_t(kRecordHeaderWords),
            false};
}
CommandState MainFrame::threeDPreviewState() const {
    return {mode() == AnimationMode::Animate && project().current() != nullptr, false};
}

} // namespace zx
