#include "app/MainFrame.h"

#include "app/AnimateSpool.h"
#include "app/AnimateViewInput.h"
#include "app/CanvasView.h"
#include "app/ImageComposer.h"
#include "app/MovieModeView.h"
#include "app/QtPrompter.h"
#include "app/Timeline.h"
#include "commands/DropRouting.h"
#include "commands/TimelineLayout.h"
#include "platform/SettingsStore.h"
#include "storage/CurveFile.h"
#include "storage/ProjectFile.h"
#include "ui/HistoryWindow.h"
#include "ui/ModePanels.h"
#include "ui/ProgressWindow.h"
#include "ui/QtText.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace zx {

MainFrame::MainFrame(Settings& settings, SettingsStore* store, Prompter* prompter)
    : settings_(settings), store_(store) {
    setWindowTitle("Zelvotrix");
    setObjectName("MainFrame");
    if (!prompter) {
        ownPrompter_ = std::make_unique<QtPrompter>(this);
        ownPrompter_->onStatus = [this](const QString& text) { statusBar()->showMessage(text); };
        prompter = ownPrompter_.get();
    }
    prompter_ = prompter;
    workspace_ = std::make_unique<Workspace>(*prompter_, settings_);
    spool_ =
        std::make_unique<AnimateSpool>(settings_.cacheSpool != 0, [this](int image, int frame) {
            const ProjectImage* shown = project().current();
            if (mode() == AnimationMode::Animate && image == project().currentImage && shown &&
                shown->currentFrame() == frame)
                view_->update();
        });

    movieView_ = new MovieModeView(*this);
    view_ = new CanvasView(*this);
    setCentralWidget(view_);
    buildStatusBar();
    buildDocks();
    buildCommands();
    buildMenus();
    buildBars();
    connectWorkspace();
    animateInput_ = std::make_unique<AnimateViewInput>(*this);

    workspace_->replaceProject(std::make_unique<Project>(Project::fromSettings(settings_)));

    startTimers();
    connect(this, &MainFrame::clockTick, this, &MainFrame::onAnimateTick, Qt::QueuedConnection);
    setAcceptDrops(true);
    restoreLayout();
    loadUserCurves();
    refreshAll();
}

MainFrame::~MainFrame() {
    // Worker threads end before the widgets they post to go away.
    timeline_->pause();
    clock_.quit();
    spool_->stopAll();
    movieView_->shutDown();
}

// ---- building ------------------------------------------------------------------------

void MainFrame::startTimers() {
    viewRefreshTimer_ = new QTimer(this);
    viewRefreshTimer_->setInterval(200);
    connect(viewRefreshTimer_, &QTimer::timeout, this, &MainFrame::onViewRefreshTick);
    viewRefreshTimer_->start();
    memoryTimer_ = new QTimer(this);
    memoryTimer_->setInterval(2000);
    connect(memoryTimer_, &QTimer::timeout, this, &MainFrame::onMemoryTick);
    memoryTimer_->start();
    if (auto m = readMemoryStatus()) memory_ = MemoryMonitor(*m);
    onMemoryTick();
}

// The user's time curves join the built-in ones once the window exists, so that a
// damaged file's warning has a window to show over.
void MainFrame::loadUserCurves() {
    curves_.load(std::filesystem::path(settings_.curveDir) / kUserCurveFileName, *prompter_);
}

void MainFrame::buildStatusBar() {
    QStatusBar* bar = statusBar();
    for (int i = 1; i < 4; ++i) {
        panes_[i] = new QLabel(this);
        panes_[i]->setMinimumWidth(i == 3 ? 170 : 110);
        bar->addPermanentWidget(panes_[i]);
    }
    bar->showMessage("Ready");
}

void MainFrame::buildDocks() {
    toolsDock_ = new QDockWidget("Context Tools", this);
    toolsDock_->setObjectName("ContextTools");
    panelStack_ = new QStackedWidget(toolsDock_);
    imageEditPanel_ = new ImageEditPanel(*this);
    imageAlignPanel_ = new ImageAlignPanel(*this);
    animatePanel_ = new AnimatePanel(*this);
    moviePanel_ = new MoviePanel(*this);
    creatorPanel_ = new Creator3DPanel(*this);
    for (QWidget* w : std::initializer_list<QWidget*>{imageEditPanel_, imageAlignPanel_,
                                                      animatePanel_, moviePanel_, creatorPanel_})
        panelStack_->addWidget(w);
    panelStack_->setMinimumWidth(230);
    // A tall panel scrolls rather than making the window taller than the screen.
    auto* scroll = new QScrollArea(toolsDock_);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(panelStack_);
    scroll->setMinimumWidth(panelStack_->minimumSizeHint().width() +
                            scroll->verticalScrollBar()->sizeHint().width());
    toolsDock_->setWidget(scroll);
    addDockWidget(Qt::LeftDockWidgetArea, toolsDock_);

    timelineDock_ = new QDockWidget("Timeline", this);
    timelineDock_->setObjectName("Timeline");
    timeline_ = new TimelineBar(*this);
    timelineDock_->setWidget(timeline_);
    addDockWidget(Qt::BottomDockWidgetArea, timelineDock_);

    history_ = new HistoryWindow(this);
    history_->onPick = [this](int row) {
        workspace_->jumpTo(row);
        refreshAll();
    };

    workspace_->setPanel(AnimationMode::ImageEdit, imageEditPanel_);
    workspace_->setPanel(AnimationMode::ImageAlign, imageAlignPanel_);
    workspace_->setPanel(AnimationMode::Animate, animatePanel_);
    workspace_->setPanel(AnimationMode::Movie, moviePanel_);
    workspace_->setPanel(AnimationMode::Creator3D, creatorPanel_);
}

void MainFrame::buildCommands() {
    for (const CommandEntry& e : commandTable()) {
        auto* a = new QAction(e.text, this);
        a->setData(e.id);
        a->setCheckable(e.checkable);
        if (!e.key.isEmpty()) a->setShortcut(e.key);
        a->setEnabled(e.handler != nullptr);
        const int id = e.id;
        connect(a, &QAction::triggered, this, [this, id] { trigger(id); });
        actions_[e.id] = a;
        addAction(a); // keys work while the menu bar is hidden too
    }
    for (const ExtraKey& k : extraKeys()) {
        auto* a = new QAction(this);
        a->setShortcut(k.key);
        const int id = k.id;
        connect(a, &QAction::triggered, this, [this, id] { trigger(id); });
        addAction(a);
    }
}

void MainFrame::buildMenus() {
    std::map<QString, QMenu*> menus;
    for (const QString& title : menuOrder()) {
        QString key = title;
        key.remove('&');
        menus[key] = menuBar()->addMenu(title);
        connect(menus[key], &QMenu::aboutToShow, this, &MainFrame::updateCommands);
    }
    auto menuFor = [&](const QString& path) -> QMenu* {
        const QStringList parts = path.split('/');
        QString key = parts[0];
        QMenu* m = menus[key];
        for (int i = 1; i < parts.size() && m; ++i) {
            key += '/' + parts[i];
            auto it = menus.find(key);
            if (it == menus.end()) {
                QString title = parts[i];
                it = menus.emplace(key, m->addMenu(title)).first;
                connect(it->second, &QMenu::aboutToShow, this, &MainFrame::updateCommands);
            }
            m = it->second;
        }
        return m;
    };
    for (const CommandEntry& e : commandTable()) {
        if (e.menu.isEmpty()) continue;
        QMenu* m = menuFor(e.menu);
        if (!m) continue;
        if (e.separatorBefore && !m->isEmpty()) m->addSeparator();
        if (e.id == Cmd::RecentProject) {
            recentMenu_ = m->addMenu("Recent Project");
            continue;
        }
        m->addAction(actions_[e.id]);
    }
}

void MainFrame::buildBars() {
    toolBar_ = addToolBar("Tool Bar");
    toolBar_->setObjectName("ToolBar");
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    struct Item {
        int id;
        const char* label;
    };
    const Item items[] = {{Cmd::New, "New"},
                          {Cmd::Open, "Open"},
                          {Cmd::Save, "Save"},
                          {0, nullptr},
                          {Cmd::Undo, "Undo"},
                          {Cmd::Redo, "Redo"},
                          {0, nullptr},
                          {Cmd::ModeImageEdit, "Image Edit"},
                          {Cmd::ModeImageAlign, "Image Align"},
                          {Cmd::ModeAnimate, "Animate"},
                          {Cmd::ModeMovie, "Movie"},
                          {Cmd::Mode3DCreator, "3D Creator"},
                          {0, nullptr},
                          {Cmd::ZoomIn, "Zoom +"},
                          {Cmd::ZoomOut, "Zoom -"},
                          {Cmd::ZoomReset, "1:1"},
                          {0, nullptr},
                          {Cmd::PreviousSelection, "Prev. Selection"},
                          {Cmd::ShowOutside, "Show Outside"},
                          {Cmd::ConvertToMesh, "To Mesh"},
                          {Cmd::SplitMesh, "Split Mesh"},
                          {Cmd::EditLibrary, "Edit Library"}};
    for (const Item& it : items) {
        if (!it.label) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* a = actions_[it.id];
        a->setIconText(it.label);
        toolBar_->addAction(a);
    }
    actions_[Cmd::ModeImageAlign]->setToolTip("Image Align Mode");
    actions_[Cmd::EditLibrary]->setToolTip("Edit and Animate a Library Object");

    // The Animate tool bar: tool categories, tools and options of the Animate panel.
    animateBar_ = new QToolBar("Animate Tools", this);
    animateBar_->setObjectName("AnimateTools");
    animateBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const QStringList buttons{"Objects",  "Dots",     "Bones",    "Effects", "Tool 1",
                              "Tool 2",   "Tool 3",   "Tool 4",   "Tool 5",  "Tool 6",
                              "Option 1", "Option 2", "Option 3", "Toggle"};
    for (const QString& b : buttons) animateBar_->addAction(b)->setEnabled(false);
    addToolBar(animateBar_);
    animateBar_->hide();
}

void MainFrame::connectWorkspace() {
    Workspace::Hooks& h = workspace_->hooks;
    h.timelineChanged = [this] { timeline_->refresh(); };
    h.viewsChanged = [this] { view_->update(); };
    h.historyChanged = [this] {
        history_->setSteps(project().history.labels(), project().history.position());
    };
    h.modeChanged = [this] {
        const int m = int(mode());
        if (m >= 0 && m < panelStack_->count()) panelStack_->setCurrentIndex(m);
        setPaneText(1, {});
        setPaneText(2, {});
        if (auto* p = dynamic_cast<ModePanelWidget*>(panelStack_->currentWidget())) p->refresh();
        // The spool's workers run in Animate mode only.
        if (mode() == AnimationMode::Animate)
            spool_->submitAll(project(), screenPreviewQuality(settings_));
        else
            spool_->stopAll();
        movieView_->followMode(mode());
    };
    h.movieFramesChanged = [this] { movieView_->invalidate(); };
}

// ---- commands ------------------------------------------------------------------------

QAction* MainFrame::action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

bool MainFrame::trigger(int id) {
    const CommandEntry* e = findCommand(id);
    if (!e || !e->handler) return false;
    // The project holds still while a movie is exported from it.
    if (exportProgress_) return false;
    if (e->update && !(this->*(e->update))().enabled) {
        updateCommands();
        return false;
    }
    (this->*(e->handler))();
    updateCommands();
    return true;
}

void MainFrame::updateCommands() {
    for (const CommandEntry& e : commandTable()) {
        QAction* a = action(e.id);
        if (!a) continue;
        CommandState st;
        if (e.handler && e.update) st = (this->*(e.update))();
        a->setEnabled(e.handler && st.enabled);
        if (e.checkable) a->setChecked(st.checked);
    }
    QString undo = qtText(workspace_->undoMenuText()), redo = qtText(workspace_->redoMenuText());
    // A label may hold '&'; it must not become a mnemonic.
    action(Cmd::Undo)->setText(undo.replace('&', "&&"));
    action(Cmd::Redo)->setText(redo.replace('&', "&&"));
    if (recentMenu_) recentMenu_->setEnabled(!recent_.isEmpty());
}

void MainFrame::refreshAll() {
    timeline_->refresh();
    view_->update();
    if (auto* p = dynamic_cast<ModePanelWidget*>(panelStack_->currentWidget())) p->refresh();
    history_->setSteps(project().history.labels(), project().history.position());
    const QString title = project().title.empty() ? QString("Untitled") : qtPath(project().title);
    setWindowTitle(title + (project().modified ? "*" : "") + " - Zelvotrix");
    animateBar_->setVisible(false);
    updateCommands();
}

QString MainFrame::statusText() const {
    return statusBar()->currentMessage();
}

QString MainFrame::paneText(int pane) const {
    if (pane == 0) return statusText();
    return pane > 0 && pane < 4 ? panes_[pane]->text() : QString();
}

void MainFrame::setPaneText(int pane, const QString& text) {
    if (pane == 0)
        statusBar()->showMessage(text);
    else if (pane > 0 && pane < 4)
        panes_[pane]->setText(text);
}

// ---- view state ------------------------------------------------------------------------

bool MainFrame::showSubject() const {
    return project().timelineWords[TimelineWords::ShowSubject] != 0;
}
bool MainFrame::showBackground() const {
    return project().timelineWords[TimelineWords::ShowBackground] != 0;
}
void MainFrame::setShowSubject(bool on) {
    project().timelineWords[TimelineWords::ShowSubject] = on ? 1 : 0;
    refreshAll();
}
void MainFrame::setShowBackground(bool on) {
    project().timelineWords[TimelineWords::ShowBackground] = on ? 1 : 0;
    refreshAll();
}

// ---- timers ----------------------------------------------------------------------------

void MainFrame::onViewRefreshTick() {
    if (mode() == AnimationMode::Movie) return;
    viewRefreshTicks_ = (viewRefreshTicks_ + 1) % 16;
    // The periodic refresh of the layer with role 3 (and, in Animate mode, the
    // animation layer every 16th tick) draws what the editing tools leave there.
    ProjectImage* img = workspace_->currentImage();
    if (!img) return;
    const bool due =
        mode() == AnimationMode::Animate ? viewRefreshTicks_ == 0 : img->roleLayer() != 0;
    if (due) view_->update();
    updateCommands();
}

void MainFrame::onMemoryTick() {
    auto status = readMemoryStatus();
    if (!status) return;
    setMemoryStatusForTest(*status);
}

void MainFrame::setMemoryStatusForTest(const MemoryStatus& status) {
    const MemoryMonitor::Reading r = memory_.update(status);
    panes_[3]->setText(qtText(r.paneText));
    panes_[3]->setFrameStyle(r.poppedOut ? (QFrame::Panel | QFrame::Raised) : QFrame::NoFrame);
    panes_[3]->setToolTip(
        QString("The share of the memory free at start-up that Zelvotrix has taken since\n"
                "This process: %1 MB resident; system memory in use: %2%")
            .arg(qulonglong(status.residentBytes / (1024 * 1024)))
            .arg(status.loadPercent));
    if (r.warning) prompter_->message(*r.warning);
}

// ---- what the panels ask of the window ---------------------------------------------------

void MainFrame::refreshView() {
    view_->update();
}

void MainFrame::refreshTimeline() {
    timeline_->refresh();
}

void MainFrame::pausePlayback() {
    timeline_->pause();
}

void MainFrame::openThreeDPreview() {
    trigger(Cmd::ThreeDPreview);
}

// ---- playback ---------------------------------------------------------------------------

bool MainFrame::setAnimatePlaying(bool on) {
    if (!on) {
        clock_.stop();
        return true;
    }
    if (mode() != AnimationMode::Animate) return false;
    ProjectImage* img = workspace_->currentImage();
    if (img && img->currentFrame() >= img->duration() && !animatePanel_->looping())
        img->setCurrentFrame(0);
    const double period = 1000.0 / std::max(1, project().fps) * animatePanel_->speedFactor();
    // The clock thread only hands the tick over; the window does the work.
    return clock_.start(period, [this] { emit clockTick(); });
}

bool MainFrame::animatePlaying() const {
    return animatePanel_->playing();
}

void MainFrame::onAnimateTick() {
    if (mode() == AnimationMode::Animate && animatePanel_->playing()) animatePanel_->tick();
    clock_.tickDone();
}

int MainFrame::movieFrameCount() const {
    int total = 0;
    for (const auto& img : project().images) total += img->duration();
    return total;
}

void MainFrame::showMovieFrame(int frame) {
    if (mode() != AnimationMode::Movie) return;
    const int frames = movieFrameCount();
    if (frames <= 0) return;
    frame = std::clamp(frame, 0, frames - 1);
    movieFrame_ = frame;
    timeline_->markers().cursor = frame;
    const auto starts = startFrames(timeline_->durations());
    const int image = imageAtFrame(starts, frame);
    if (image != project().currentImage) workspace_->selectImage(image, false, false);
    if (ProjectImage* img = project().current())
        img->setCurrentFrame(frame - starts[size_t(image)]);
    moviePanel_->showFrame(frame);
    timeline_->strips()->update();
    view_->update();
}

void MainFrame::stopPlayback() {
    animatePanel_->setPlaying(false);
    clock_.stop();
    timeline_->pause();
}

// ---- keys ----------------------------------------------------------------------------

void MainFrame::selectImageByKey(int index) {
    if (index < 0) return;
    if (workspace_->selectImage(index, workspace_->backgroundSelected())) {
        timeline_->revealCurrent();
        refreshAll();
    }
}

// Return and Enter apply a pending floating edit, Escape drops it; the arrow keys
// nudge a floating picture by a step that shrinks as the zoom grows.
bool MainFrame::routeFloatingEditKey(int key) {
    if (!workspace_->floating.pending) return false;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        mergeFloatingEdit();
        return true;
    }
    if (key == Qt::Key_Escape) {
        dropFloatingEdit();
        return true;
    }
    if (!workspace_->floating.picture) return false;
    const double step = nudgeStep(zoom());
    const double dx = key == Qt::Key_Left ? -step : key == Qt::Key_Right ? step : 0;
    const double dy = key == Qt::Key_Up ? -step : key == Qt::Key_Down ? step : 0;
    if (dx == 0 && dy == 0) return false;
    workspace_->floating.picture->nudge(dx, dy);
    view_->update();
    return true;
}

// Movie mode: the keys move the movie cursor and drive playback.
bool MainFrame::routeMovieKey(int key) {
    const int frames = movieFrameCount();
    if (frames <= 0) return false;
    const bool playing = timeline_->moviePlaying();
    const auto starts = startFrames(timeline_->durations());
    const int cur = std::max(0, movieFrame_);
    const int image = imageAtFrame(starts, cur);
    switch (key) {
    case Qt::Key_PageDown:
        if (image + 1 < project().imageCount()) showMovieFrame(starts[size_t(image + 1)]);
        return true;
    case Qt::Key_PageUp:
        if (image > 0) showMovieFrame(starts[size_t(image - 1)]);
        return true;
    case Qt::Key_End:
        showMovieFrame(frames - 1);
        return true;
    case Qt::Key_Home:
    case Qt::Key_Up:
        timeline_->rewind();
        return true;
    case Qt::Key_Down:
        timeline_->pause();
        return true;
    case Qt::Key_Space:
        playing ? timeline_->stop() : timeline_->play();
        return true;
    case Qt::Key_Left:
        if (!playing) showMovieFrame(std::max(0, cur - 1));
        return true;
    case Qt::Key_Right:
        if (!playing) showMovieFrame(std::min(frames - 1, cur + 1));
        return true;
    default:
        return false;
    }
}

// The other modes: the keys select images; Image Edit adds Tab, I and Delete.
bool MainFrame::routeImageKey(int key, Qt::KeyboardModifiers mods) {
    const int count = project().imageCount();
    if (count == 0) return false;
    const int cur = project().currentImage;
    const bool imageEdit = mode() == AnimationMode::ImageEdit;
    const bool next =
        key == Qt::Key_PageDown || (imageEdit && key == Qt::Key_Tab && !(mods & Qt::ShiftModifier));
    const bool previous =
        key == Qt::Key_PageUp || (imageEdit && key == Qt::Key_I && mods == Qt::NoModifier);
    if (next)
        selectImageByKey(nextImageWrapped(cur, count));
    else if (previous)
        selectImageByKey(previousImageWrapped(cur, count));
    else if (key == Qt::Key_End)
        selectImageByKey(count - 1);
    else if (key == Qt::Key_Home)
        selectImageByKey(0);
    else if (key == Qt::Key_Delete && imageEdit && cur >= 0)
        trigger(Cmd::RemoveImage);
    else
        return false;
    return true;
}

bool MainFrame::routeKey(int key, Qt::KeyboardModifiers mods) {
    if (routeFloatingEditKey(key)) return true;
    switch (mode()) {
    case AnimationMode::ImageAlign:
        return imageAlignPanel_->keyPress(key); // every key goes to the Align panel
    case AnimationMode::Movie:
        return routeMovieKey(key);
    default:
        return routeImageKey(key, mods);
    }
}

void MainFrame::keyPressEvent(QKeyEvent* e) {
    if (!routeKey(e->key(), e->modifiers())) QMainWindow::keyPressEvent(e);
}

// ---- drag and drop ------------------------------------------------------------------------

void MainFrame::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void MainFrame::dropEvent(QDropEvent* e) {
    QStringList paths;
    for (const QUrl& url : e->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    dropFiles(paths);
    e->acceptProposedAction();
}

// ---- layout ------------------------------------------------------------------------------

void MainFrame::restoreLayout() {
    const Settings& s = settings_;
    if (s.windowW > 100 && s.windowH > 100)
        setGeometry(s.windowX, s.windowY, s.windowW, s.windowH);
    else
        resize(1200, 800);
    if (store_)
        if (auto state = store_->readString("barState"); state && !state->empty())
            restoreState(QByteArray::fromBase64(QByteArray::fromStdString(*state)));
    if (s.historyW > 0 && s.historyH > 0)
        history_->setGeometry(s.historyX, s.historyY, s.historyW, s.historyH);
    else
        history_->resize(240, std::max(240, view_->height()));
    history_->setVisible(s.historyShown != 0);
    // The tool bar of the Animate tools only shows in Animate mode.
    animateBar_->hide();
}

void MainFrame::saveLayout() {
    Settings& s = settings_;
    s.windowMaximised = isMaximized() ? 1 : 0;
    const QRect g = normalGeometry().isValid() ? normalGeometry() : geometry();
    s.windowX = g.x();
    s.windowY = g.y();
    s.windowW = g.width();
    s.windowH = g.height();
    s.historyShown = history_->isVisible() ? 1 : 0;
    const QRect h = history_->geometry();
    s.historyX = h.x();
    s.historyY = h.y();
    s.historyW = h.width();
    s.historyH = h.height();
    if (store_) store_->writeString("barState", saveState().toBase64().toStdString());
}

void MainFrame::closeEvent(QCloseEvent* e) {
    if (exportProgress_) {
        // The export ends first, every worker with it; then the window closes.
        closeAfterExport_ = true;
        exportProgress_->abort();
        e->ignore();
        return;
    }
    if (!closing_ && !askSaveChanges()) {
        e->ignore();
        return;
    }
    closing_ = true;
    stopPlayback();
    clock_.quit();
    spool_->stopAll();
    movieView_->shutDown();
    saveLayout();
    if (storedMaxSize_) settings_.maxSize = *storedMaxSize_;
    if (store_) writeSettings(settings_, *store_);
    history_->hide();
    e->accept();
}

} // namespace zx
