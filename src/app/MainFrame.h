#pragma once
// The main window: menus and tool bars from the command table, the "Context Tools"
// dock with the mode panels, the timeline dock, the History window, the status bar
// with its memory pane, the view, the timers and the playback clock. It holds the
// Workspace (the project and everything done to it) and owns no project data.

#include "app/AppLayer.h"

#include "anim/CurveLibrary.h"
#include "app/CommandTable.h"
#include "commands/ClipboardDib.h"
#include "commands/MemoryMonitor.h"
#include "commands/MovieSettingsRules.h"
#include "commands/PlaybackClock.h"
#include "commands/ViewLayout.h"
#include "commands/Workspace.h"
#include "output/BrowserLauncher.h"
#include "output/WebGlExport.h"
#include "platform/Status.h"
#include "render/RenderQuality.h"
#include "storage/RasterImage.h"
#include "storage/Settings.h"
#include "ui/PanelHost.h"

#include <QDialog>
#include <QMainWindow>
#include <QPointer>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QStackedWidget;
class QTimer;
class QToolBar;
class QDockWidget;
class QUrl;

namespace zx {

class CanvasView;
class AnimateSpool;
class MovieModeView;
class TimelineBar;
class HistoryWindow;
class QtPrompter;
class SettingsStore;
struct PublishServerAddress;
class Progress;
struct PublicationDetails;
struct PublishedItem;
class PublicationClient;
class ImageEditPanel;
class ImageAlignPanel;
class AnimatePanel;
class MoviePanel;
class Creator3DPanel;
class WebGlExportDialog;
class ExportMovieDialog;
class ProgressWindow;
struct MovieExportChoice;
class AnimateViewInput;
class ImageEditCommandDialog;
class LightingEffectsDialog;
class AnimationEditSession;

class MainFrame : public QMainWindow, public PanelHost {
    Q_OBJECT
public:
    // `prompter` may be a test's recorder; null uses message boxes.
    MainFrame(Settings& settings, SettingsStore* store, Prompter* prompter = nullptr);
    ~MainFrame() override;

    Workspace& workspace() override { return *workspace_; }
    Project& project() { return workspace_->project(); }
    const Project& project() const { return workspace_->project(); }
    Prompter& prompter() { return *prompter_; }
    Settings& settings() { return settings_; }
    AnimationMode mode() const { return workspace_->mode(); }
    TimelineBar* timeline() const { return timeline_; }
    CanvasView* view() const { return view_; }
    MovieModeView* movieView() const { return movieView_; }
    HistoryWindow* historyWindow() const { return history_; }
    AnimatePanel* animatePanel() const { return animatePanel_; }
    MoviePanel* moviePanel() const { return moviePanel_; }
    QAction* action(int id) const;
    // Runs a command as the menu would (no-op when greyed); false when greyed.
    bool trigger(int id);
    // Refreshes every command's enabled and checked state and the composed texts.
    void updateCommands();
    QString statusText() const;
    QString paneText(int pane) const;
    void setPaneText(int pane, const QString& text);
    PlaybackClock& clock() { return clock_; }
    // The frame spool of Animate mode.
    AnimateSpool& animateSpool() { return *spool_; }
    // The named time curves: the built-in ones and the user's curve file.
    const CurveLibrary& curves() const { return curves_; }

    // ---- what the panels ask of the window -------------------------------------------
    QWidget* panelParent() override { return this; }
    void refreshView() override;
    void refreshTimeline() override;
    void pausePlayback() override;
    void openThreeDPreview() override;
    void runPictureEdit(std::string_view name) override;

    // ---- files ---------------------------------------------------------------------
    bool openProject(const QString& path);
    bool saveProject(const QString& path);
    // "&Load Object..." and "Sa&ve As Object..." once the file is chosen.
    bool loadObjectFile(const QString& path);
    bool saveObjectFile(const QString& path);
    // One object of the current image saved alone ("Sa&ve As Object..." for one
    // object), and "Edit Library" once the file is chosen (MainFrameLibrary.cpp).
    bool saveOneObjectFile(const QString& path, int slot);
    bool editLibraryFile(const QString& path);
    void onEditLibrary();
    // Files dropped on the window, in the order given.
    void dropFiles(const QStringList& paths);
    void setMemoryStatusForTest(const MemoryStatus& status);
    // A project opened from the command line imports pictures at their own size for
    // the rest of the run; the stored setting is written back unchanged.
    void suspendImportLimitForRun();

    // ---- view state ------------------------------------------------------------------
    int zoom() const { return project().zoom; }
    AnimateViewMode animateViewMode() const { return animateViewMode_; }
    // What the Animate view's captions say of the selection and the lock.
    CaptionState animateCaptions() const;
    // Reads the current image's record into the Animate tools again (after a dialog
    // changed it); the tools' selected object, −1 for none.
    void reloadAnimateEditor();
    int editorSelectedObject() const;
    // The Animate view's current frame as the editor has it while an object is
    // selected or a drag is under way; none when the spooled frames show it.
    std::optional<RasterImage> animateEditedFrame(RenderQuality quality);
    bool showSubject() const;
    bool showBackground() const;
    void setShowSubject(bool on);
    void setShowBackground(bool on);

    // ---- playback ------------------------------------------------------------------
    // Animate mode: starts or stops the clock for the Animate panel's Play box.
    bool setAnimatePlaying(bool on) override;
    bool animatePlaying() const;
    // Movie mode: the movie frame shown (−1 none) and the frame count.
    int movieFrameCount() const override;
    void showMovieFrame(int frame);

    // The "Movie Settings" OK: clamps, stores and sets off what the change needs.
    void applyMovieSettings(const MovieSettingsValues& values);

    // Key routing of the timeline and the frame (Page Up/Down, Home, End …).
    bool routeKey(int key, Qt::KeyboardModifiers modifiers);

    // ---- command handlers ------------------------------------------------------------
    void onNew();
    void onOpen();
    void onSave();
    void onSaveAs();
    void onImportImages();
    void onAddBlankImage();
    void onLoadObject();
    void onSaveAsObject();
    void onExit();
    void onUndo();
    void onRedo();
    void onCopyFrame();
    void onPasteNewImage();
    void onToggleToolbar();
    void onToggleStatusBar();
    void onToggleTimeline();
    void onToggleModeTools();
    void onToggleHistory();
    void onZoomIn();
    void onZoomOut();
    void onZoomReset();
    void onCanvasGrid();
    void onCanvasBlack();
    void onCanvasBlue();
    void onCanvasGreen();
    void onCanvasWhite();
    void onViewSubject();
    void onViewBackground();
    void onModeImageEdit();
    void onModeImageAlign();
    void onModeAnimate();
    void onModeMovie();
    void onMode3DCreator();
    void onAddCopy();
    void onRemoveImage();
    void onViewFull();
    void onViewStartImage();
    void onViewCurrentFrame();
    void onSettingsGeneral();
    void onSettingsAnimation();
    void onSettingsMovie();
    void onDocumentation();
    void onSamples();
    void onSystemInfo();
    void onAbout();
    void onThreeDPreview();
    void onPublishToWeb();
    void onPublishVideo();
    void onCheckUpdates();

    // ---- update rules ------------------------------------------------------------------
    CommandState always() const { return {true, false}; }
    CommandState undoState() const;
    CommandState redoState() const;
    CommandState hasImageState() const;
    CommandState imageEditWithImageState() const;
    CommandState animateState() const;
    CommandState copyFrameState() const;
    CommandState pasteNewImageState() const;
    CommandState toolbarState() const;
    CommandState statusBarState() const;
    CommandState timelineState() const;
    CommandState modeToolsState() const;
    CommandState historyState() const;
    CommandState zoomInState() const;
    CommandState zoomOutState() const;
    CommandState zoomResetState() const;
    CommandState canvasGridState() const;
    CommandState canvasBlackState() const;
    CommandState canvasBlueState() const;
    CommandState canvasGreenState() const;
    CommandState canvasWhiteState() const;
    CommandState viewSubjectState() const;
    CommandState viewBackgroundState() const;
    CommandState modeImageEditState() const;
    CommandState modeImageAlignState() const;
    CommandState modeAnimateState() const;
    CommandState modeMovieState() const;
    CommandState mode3DCreatorState() const;
    CommandState viewFullState() const;
    CommandState viewStartImageState() const;
    CommandState viewCurrentFrameState() const;
    CommandState saveObjectState() const;
    CommandState threeDPreviewState() const;
    CommandState publishToWebState() const;

    void refreshAll() override;

    // ---- selection and masking (MainFrameSelection.cpp) ---------------------------------
    ImageEditPanel* imageEditPanel() const { return imageEditPanel_; }
    ImageAlignPanel* imageAlignPanel() const { return imageAlignPanel_; }
    void onSelectVisible();
    void onSelectAll();
    void onDeselect();
    void onSelectInverse();
    void onPreviousSelection();
    void onShowInside();
    void onShowOutside();
    void onRedMask();
    void onShowAll();
    CommandState selectionCommandState() const;
    CommandState redMaskState() const;
    // The right button's menu over the image in Image Edit mode.
    void showSelectionContextMenu(const QPoint& globalPos);

    // ---- clipboard and floating pictures (MainFrameClipboard.cpp) ------------------------
    void onCut();
    void onCopy();
    void onPaste();
    void onCopySelection();
    void onPasteSelection();
    CommandState copyState() const;
    CommandState pasteState() const;
    CommandState pasteSelectionState() const;
    CommandState floatingState() const;
    // Enter and Esc on a floating picture, and its menu's first two entries.
    void mergeFloatingEdit();
    void dropFloatingEdit();

    // ---- picture edits (MainFrameImageEdit.cpp) -------------------------------------
    // The Image menu's picture edits by command id; one handler for each entry.
    template <int Id> void onImageEdit() { runImageEdit(Id); }
    void runImageEdit(int id);
    CommandState imageEditCommandState() const;
    // Background › Edit: the current image's background picture, or its subject again.
    void onBackgroundEdit();
    CommandState backgroundEditState() const;
    // White Balance waits for a click on the picture; the view hands it over here.
    bool whiteBalancePicking() const { return whiteBalancePick_; }
    void pickWhiteBalance(int x, int y);
    void cancelWhiteBalancePick();
    // An adjustment dialog's preview, drawn in place of the image's picture until the
    // dialog closes.
    struct PreviewPicture {
        int image = -1;
        bool background = false;
        RasterImage picture;
    };
    void setPreviewPicture(std::optional<PreviewPicture> preview);
    const std::optional<PreviewPicture>& previewPicture() const { return previewPicture_; }
    // Tests answer the command's dialog in place of a user: fill it and accept or reject.
    std::function<void(ImageEditCommandDialog&)> answerImageEditDialog;
    std::function<void(LightingEffectsDialog&)> answerLightingDialog;

    // ---- WebGL page ----------------------------------------------------------------------
    // The open "Publish Animation to 3D WebGL - Advanced settings" dialog, if any.
    WebGlExportDialog* webGlDialog() const;
    // Writes the current image's page into `folder`; false after a message.
    bool exportWebGlToFolder(const WebGlExportOptions& options, const QString& folder);
    // "Browser Preview": the page in a fresh temporary folder, opened in the browser.
    // With a browser program chosen in the dialog the page opens there instead.
    bool previewWebGl(const WebGlExportOptions& options, const Browser& browser = {});
    // Tests replace the desktop's browser.
    void setUrlOpener(std::function<bool(const QUrl&)> opener) { openUrl_ = std::move(opener); }
    // ---- export ------------------------------------------------------------------------
    void onExportMovie();
    void onExportImage();
    CommandState exportMovieState() const;
    CommandState exportImageState() const;
    // The movie export's window while one runs, else null.
    ProgressWindow* exportProgress() const { return exportProgress_; }
    // Tests answer the export dialogs in place of a user: fill the movie dialog and
    // accept or reject it; give the picture's path (empty: cancelled).
    std::function<void(ExportMovieDialog&)> answerExportMovieDialog;
    std::function<QString(const QString& proposed)> answerExportImagePath;

    // ---- animation dialogs (MainFrameAnimationDialogs.cpp) ----------------------------
    void onAnimationProperties();
    void onAddContinuation();
    // The "Object Editor" and the "Time Curve Editor" on an object of the current image.
    void openObjectEditor(int slot);
    void openTimeCurveEditor(int slot);
    // The object the animation commands act on: −1 when the current image has none.
    int selectedObject() const;
    CommandState animationObjectState() const;
    CommandState continuationState() const;
    // The Animation and Meshes menus' object and mesh commands: the script table's row
    // of the same text, run on the Animate tools.
    template <int Id> void onAnimateCommand() { runAnimateCommand(Id); }
    void runAnimateCommand(int id);
    CommandState animateMeshState() const;
    CommandState animateSelectionMeshState() const;
    // The dialog open over the window, for tests (null when none).
    QDialog* openAnimationDialog() const { return animationDialog_; }

signals:
    void clockTick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildCommands();
    // A library file chosen with the thumbnail dialog; the library folder follows it.
    QString chooseLibraryFile(const QString& title);
    void buildMenus();
    void buildBars();
    void buildDocks();
    void buildStatusBar();
    void restoreLayout();
    void saveLayout();
    void connectWorkspace();
    void startTimers();
    // Redraws what the editing tools leave in the view every 200 ms.
    void onViewRefreshTick();
    // Reads the memory in use every 2 s for the status pane.
    void onMemoryTick();
    void loadUserCurves();
    void onAnimateTick();
    void setCanvas(CanvasColour colour);
    CommandState canvasState(CanvasColour colour) const;
    void setAnimateView(AnimateViewMode m);
    void addRecent(const QString& path);
    void rebuildRecentMenu();
    bool askSaveChanges();
    void stopPlayback();
    void selectImageByKey(int index);
    bool routeFloatingEditKey(int key);
    bool routeMovieKey(int key);
    bool routeImageKey(int key, Qt::KeyboardModifiers modifiers);
    bool whiteBalancePick_ = false;
    // The publication server's address from the settings, asked for when missing.
    std::optional<PublishServerAddress> publishServer();
    void runPublishDialog(bool video);
    Result<PublishedItem> publishMovieNow(PublicationClient& client,
                                          const PublicationDetails& details, SettingsStore& store,
                                          Progress& progress);

    Settings& settings_;
    SettingsStore* store_;
    std::unique_ptr<QtPrompter> ownPrompter_;
    Prompter* prompter_;
    std::unique_ptr<Workspace> workspace_;
    ClipboardExchange clipboard_;
    std::optional<PreviewPicture> previewPicture_;
    // What "Copy Selection" took, for "Paste Selection".
    std::optional<RasterImage> copiedSelection_;
    // The clipboard's picture (our own copy with alpha when it is still there).
    std::optional<RasterImage> clipboardPicture();
    void putOnClipboard(const RasterImage& picture);
    MemoryMonitor memory_;
    PlaybackClock clock_;
    CurveLibrary curves_;
    AnimateViewMode animateViewMode_ = AnimateViewMode::Full;
    int movieFrame_ = -1;
    WebGlExportOptions webGl_;
    QPointer<WebGlExportDialog> webGlDialog_;
    std::filesystem::path lastWebGlPreview_;
    std::function<bool(const QUrl&)> openUrl_;
    bool openInBrowser(const std::filesystem::path& page, const Browser& browser);
    static std::vector<Browser> previewBrowsers();

    std::map<int, QAction*> actions_;
    QMenu* recentMenu_ = nullptr;
    QStringList recent_;
    QToolBar* toolBar_ = nullptr;
    QToolBar* animateBar_ = nullptr;
    QDockWidget* toolsDock_ = nullptr;
    QDockWidget* timelineDock_ = nullptr;
    QStackedWidget* panelStack_ = nullptr;
    CanvasView* view_ = nullptr;
    MovieModeView* movieView_ = nullptr;
    TimelineBar* timeline_ = nullptr;
    HistoryWindow* history_ = nullptr;
    ImageEditPanel* imageEditPanel_ = nullptr;
    ImageAlignPanel* imageAlignPanel_ = nullptr;
    AnimatePanel* animatePanel_ = nullptr;
    MoviePanel* moviePanel_ = nullptr;
    Creator3DPanel* creatorPanel_ = nullptr;
    QLabel* panes_[4] = {};
    QTimer* viewRefreshTimer_ = nullptr;
    QTimer* memoryTimer_ = nullptr;
    int viewRefreshTicks_ = 0;
    bool closing_ = false;
    std::optional<int> storedMaxSize_;

    Status exportMovieFile(const MovieExportChoice& choice);
    // What "Export Image..." saves in the current mode.
    std::optional<RasterImage> exportedPicture();
    ProgressWindow* exportProgress_ = nullptr;
    bool closeAfterExport_ = false;
    QPointer<QDialog> animationDialog_;
    // The open animation dialog's session, which the Animate view then draws.
    AnimationEditSession* dialogSession_ = nullptr;
    std::unique_ptr<AnimateSpool> spool_;
    // The Animate view's mouse tools; dropped before the members above.
    std::unique_ptr<AnimateViewInput> animateInput_;
};

} // namespace zx
