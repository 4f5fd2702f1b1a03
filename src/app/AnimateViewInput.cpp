#include "app/AnimateViewInput.h"

#include "anim/AnimationRecord.h"
#include "app/CanvasView.h"
#include "app/MainFrame.h"
#include "app/QtProgress.h"
#include "commands/AnimateViewFrame.h"
#include "commands/ViewLayout.h"
#include "commands/Workspace.h"
#include "mesh3d/RebuildMeshes.h"
#include "ui/ModePanels.h"
#include "ui/QtText.h"

#include <QContextMenuEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QWidget>

namespace zx {

namespace {

// The pane where the status bar shows the pointer's position.
constexpr int kPositionPane = 1;
constexpr double kDotRadius = 3.5;
constexpr double kHandleSize = 3; // half the side of a handle's square

// The Qt Animate panel and the editor answer the workspace together.
class PanelPair : public ModePanel {
public:
    PanelPair(ModePanel& a, ModePanel& b) : a_(a), b_(b) {}
    bool canLeave(Prompter& p) override { return a_.canLeave(p) && b_.canLeave(p); }
    void enter() override {
        a_.enter();
        b_.enter();
    }
    void leave() override {
        a_.leave();
        b_.leave();
    }
    bool busy() const override { return a_.busy() || b_.busy(); }
    void projectSaved() override {
        a_.projectSaved();
        b_.projectSaved();
    }
    void undo(const HistoryStep& s) override {
        a_.undo(s);
        b_.undo(s);
    }
    void redo(const HistoryStep& s) override {
        a_.redo(s);
        b_.redo(s);
    }
    void durationChanged(int o, int n) override {
        a_.durationChanged(o, n);
        b_.durationChanged(o, n);
    }
    void imageChanged() override {
        a_.imageChanged();
        b_.imageChanged();
    }

private:
    ModePanel& a_;
    ModePanel& b_;
};

QPointF widgetPoint(const AnimateViewInput::PaneMap& m, const Vec3& p) {
    return {m.target.left() + p.x * m.scale, m.target.top() + p.y * m.scale};
}

} // namespace

// The transparent layer the editor's marks are painted on.
class AnimateOverlay : public QWidget {
public:
    AnimateOverlay(AnimateViewInput& input, MainFrame& frame, QWidget* parent)
        : QWidget(parent), input_(input), frame_(frame) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (frame_.mode() != AnimationMode::Animate) return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        for (const auto& pane : input_.panes()) paintPane(p, pane);
    }

private:
    void paintPane(QPainter& p, const AnimateViewInput::PaneMap& pane) {
        AnimateEditor& e = input_.editor();
        if (pane.view != e.view()) return; // the model holds the pose of that view
        p.save();
        p.setClipRect(pane.target);
        const AnimationModel& m = e.model();
        for (int s = 0; s < m.objectCount; ++s) paintObject(p, pane, s);
        p.setPen(Qt::black);
        p.setBrush(Qt::yellow);
        for (const HandleSpot& h : objectHandles(m, m.selectedObject))
            p.drawRect(QRectF(widgetPoint(pane, {h.x, h.y, 0}) - QPointF(kHandleSize, kHandleSize),
                              QSizeF(2 * kHandleSize, 2 * kHandleSize)));
        if (!e.selection().empty()) {
            QPolygonF poly;
            for (const IntPoint& q : e.selection())
                poly << widgetPoint(pane, {double(q.x), double(q.y), 0});
            p.setPen(QPen(Qt::yellow, 1, Qt::DashLine));
            e.selectionClosed() ? p.drawPolygon(poly) : p.drawPolyline(poly);
        }
        p.restore();
    }

    void paintObject(QPainter& p, const AnimateViewInput::PaneMap& pane, int s) {
        AnimateEditor& e = input_.editor();
        const AnimObject& o = e.model().object(s);
        const bool selected = s == e.model().selectedObject;
        for (int b = 0; b < int(o.bones.size()); ++b) {
            const Bone& bone = o.bones[size_t(b)];
            if (!validUserDot(e.model(), s, bone.dotA) || !validUserDot(e.model(), s, bone.dotB))
                continue;
            const bool hot = e.hotBone() == ObjectPart{s, b};
            p.setPen(QPen(hot ? Qt::red : QColor(0, 160, 255), hot ? 3 : 2));
            p.drawLine(widgetPoint(pane, o.points[size_t(bone.dotA)].current),
                       widgetPoint(pane, o.points[size_t(bone.dotB)].current));
        }
        for (int d = o.vertexCount; d < int(o.points.size()); ++d) {
            const AnimPoint& dot = o.points[size_t(d)];
            const bool hot = e.hotDot() == ObjectPart{s, d};
            p.setPen(Qt::black);
            p.setBrush(hot ? Qt::red : selected ? Qt::green : Qt::white);
            p.drawEllipse(widgetPoint(pane, dot.current), kDotRadius, kDotRadius);
            if (dot.trajectory && selected) {
                QPolygonF path;
                for (const TrajectorySample& t : *dot.trajectory)
                    path << widgetPoint(pane, {t.x, t.y, 0});
                p.setPen(QPen(Qt::magenta, 1));
                p.drawPolyline(path);
            }
        }
    }

    AnimateViewInput& input_;
    MainFrame& frame_;
};

AnimateViewInput::AnimateViewInput(MainFrame& frame)
    : frame_(frame), editor_(std::make_unique<AnimateEditor>(frame.workspace())) {
    panels_ = std::make_unique<PanelPair>(*frame.animatePanel(), *editor_);
    frame.workspace().setPanel(AnimationMode::Animate, panels_.get());
    editor_->setTool(ToolKind::Dots);
    editor_->changed = [this] { reportState(); };
    editor_->openObjectEditor = [this](int slot) { frame_.openObjectEditor(slot); };
    editor_->openTimeCurveEditor = [this](int slot) { frame_.openTimeCurveEditor(slot); };
    editor_->makeProgress = [this] {
        return std::make_unique<QtProgress>(&frame_, qtText(kBuildShapeTitle));
    };
    CanvasView* view = frame.view();
    view->setMouseTracking(true);
    view->installEventFilter(this);
    overlay_ = std::make_unique<AnimateOverlay>(*this, frame, view);
    overlay_->resize(view->size());
    overlay_->show();
    connectToolBar();
}

// The Animate tool bar's tool buttons choose the editor's tool.
void AnimateViewInput::connectToolBar() {
    // The panel's own buttons: dots (trajectories and bindings are made with them too),
    // bones and the region selections.
    const std::pair<QString, ToolKind> buttons[] = {{"Dots", ToolKind::Dots},
                                                    {"Trajectories", ToolKind::Dots},
                                                    {"Bindings", ToolKind::Dots},
                                                    {"Bones", ToolKind::Bones},
                                                    {"Regions", ToolKind::FreeHand}};
    for (QPushButton* b : frame_.animatePanel()->findChildren<QPushButton*>())
        for (const auto& [text, tool] : buttons) {
            if (b->text() != text) continue;
            b->setEnabled(true);
            connect(b, &QPushButton::clicked, this, [this, tool = tool] {
                editor_->setTool(tool);
                reportState();
            });
        }
    auto* bar = frame_.findChild<QToolBar*>("AnimateTools");
    if (!bar) return;
    // The tool buttons choose tools 0 … 5 (the first two both the dot tool); the
    // option toggle picks the ellipse of the box selection.
    const std::pair<QString, ToolKind> tools[] = {
        {"Dots", ToolKind::Dots},        {"Bones", ToolKind::Bones},
        {"Tool 4", ToolKind::FreeHand},  {"Tool 5", ToolKind::Segment},
        {"Tool 6", ToolKind::Rectangle}, {"Toggle", ToolKind::Ellipse}};
    perspective_ = bar->addAction("Use Perspective");
    perspective_->setCheckable(true);
    connect(perspective_, &QAction::triggered, this, [this](bool on) {
        (void)editor_->setUsePerspective(on);
        reportState();
    });
    for (QAction* a : bar->actions())
        for (const auto& [text, tool] : tools) {
            if (a->text() != text) continue;
            a->setText(qtText(toolButtonText(tool)));
            a->setEnabled(true);
            connect(a, &QAction::triggered, this, [this, tool = tool] {
                editor_->setTool(tool);
                reportState();
            });
        }
}

AnimateViewInput::~AnimateViewInput() {
    // The main frame drops this before its workspace and panels go.
    frame_.workspace().setPanel(AnimationMode::Animate, frame_.animatePanel());
}

std::vector<AnimateViewInput::PaneMap> AnimateViewInput::panes() const {
    std::vector<PaneMap> out;
    const ProjectImage* image = frame_.workspace().currentImage();
    if (!image) return out;
    const CanvasView* view = frame_.view();
    const ViewLayoutResult layout =
        animateViewLayout(frame_.animateViewMode(), view->width(), view->height(), {});
    const bool startPane = frame_.animateViewMode() != AnimateViewMode::CurrentFrame;
    const double f = zoomFactor(frame_.zoom());
    for (size_t i = 0; i < layout.panes.size(); ++i) {
        const ViewRect& a = layout.panes[i].picture;
        const double w = std::max(1, int(image->width() * f));
        const double h = std::max(1, int(image->height() * f));
        PaneMap m;
        m.view = startPane && i == 0 ? AnimateView::Start : AnimateView::Current;
        m.scale = w / std::max(1, image->width());
        m.target =
            QRectF(a.x + std::max(0.0, (a.w - w) / 2), a.y + std::max(0.0, (a.h - h) / 2), w, h);
        out.push_back(m);
    }
    return out;
}

std::optional<RasterImage> AnimateViewInput::editedFrame(RenderQuality quality) {
    const Project& project = frame_.project();
    const ProjectImage* image = project.current();
    const AnimationModel& model = editor_->model();
    if (!image || (!validObject(model, model.selectedObject) && !editor_->busy()))
        return std::nullopt;
    std::vector<uint32_t> record = writeAnimationRecord(model);
    if (record != edited_.record || model.selectedObject != edited_.selected ||
        project.currentImage != edited_.image || image->currentFrame() != edited_.frame ||
        quality != edited_.quality) {
        edited_ = {std::move(record),
                   model.selectedObject,
                   project.currentImage,
                   image->currentFrame(),
                   quality,
                   renderAnimateViewFrame(project, model, project.currentImage,
                                          image->currentFrame(), quality)};
    }
    if (edited_.picture.empty()) return std::nullopt;
    return edited_.picture;
}

std::optional<PointerEvent> AnimateViewInput::toImage(const QPointF& at,
                                                      Qt::KeyboardModifiers keys) {
    for (const PaneMap& m : panes()) {
        if (!m.target.contains(at)) continue;
        if (editor_->view() != m.view && !editor_->busy()) editor_->setView(m.view);
        if (m.view == AnimateView::Current)
            if (const ProjectImage* image = frame_.workspace().currentImage())
                if (image->currentFrame() != editor_->currentFrame())
                    editor_->setCurrentFrame(image->currentFrame());
        PointerEvent e;
        e.x = (at.x() - m.target.left()) / m.scale;
        e.y = (at.y() - m.target.top()) / m.scale;
        e.keys = {bool(keys & Qt::ShiftModifier), bool(keys & Qt::ControlModifier),
                  bool(keys & Qt::AltModifier)};
        return e;
    }
    return std::nullopt;
}

bool AnimateViewInput::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) overlay_->resize(frame_.view()->size());
    if (frame_.mode() != AnimationMode::Animate || !frame_.workspace().hasSelectedImage())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return mouse(event);
    case QEvent::KeyPress:
        return key(event);
    default:
        return QObject::eventFilter(watched, event);
    }
}

bool AnimateViewInput::mouse(QEvent* event) {
    auto* m = static_cast<QMouseEvent*>(event);
    const auto at = toImage(m->position(), m->modifiers());
    if (!at) return false;
    const bool right = m->button() == Qt::RightButton;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (right)
            showMenu(editor_->rightClick(*at), m->globalPosition().toPoint());
        else
            editor_->pointerPress(*at);
        break;
    case QEvent::MouseButtonRelease:
        if (!right) editor_->pointerRelease(*at);
        break;
    case QEvent::MouseButtonDblClick:
        if (!right) editor_->doubleClick(*at);
        break;
    default:
        editor_->pointerMove(*at);
    }
    reportState();
    return true;
}

bool AnimateViewInput::key(QEvent* event) {
    static const std::pair<int, EditorKey> keys[] = {{Qt::Key_Return, EditorKey::Enter},
                                                     {Qt::Key_Enter, EditorKey::Enter},
                                                     {Qt::Key_Escape, EditorKey::Escape},
                                                     {Qt::Key_Delete, EditorKey::Delete},
                                                     {Qt::Key_Insert, EditorKey::Insert},
                                                     {Qt::Key_Tab, EditorKey::Tab},
                                                     {Qt::Key_L, EditorKey::L}};
    const int pressed = static_cast<QKeyEvent*>(event)->key();
    for (const auto& [qtKey, editorKey] : keys)
        if (pressed == qtKey && editor_->keyPress(editorKey)) {
            reportState();
            return true;
        }
    return false;
}

void AnimateViewInput::fillMenu(QMenu& menu, const std::vector<RegionMenuEntry>& entries) {
    for (const RegionMenuEntry& e : entries) {
        if (e.separatorBefore) menu.addSeparator();
        if (!e.submenu.empty()) {
            fillMenu(*menu.addMenu(qtText(std::string(e.label()))), e.submenu);
            continue;
        }
        QAction* a = menu.addAction(qtText(e.text));
        a->setEnabled(e.enabled && e.action);
        a->setCheckable(e.checked);
        a->setChecked(e.checked);
        connect(a, &QAction::triggered, this, [this, e] {
            DialogValues values;
            for (const std::string& field : e.dialogFields) {
                bool ok = false;
                const double v =
                    QInputDialog::getDouble(frame_.view(), qtText(std::string(e.label())),
                                            qtText(field), 0, -1e6, 1e6, 2, &ok);
                if (!ok) return;
                values[field] = v;
            }
            (void)e.action(values);
            reportState();
        });
    }
}

void AnimateViewInput::showMenu(const std::vector<RegionMenuEntry>& entries,
                                const QPoint& globalAt) {
    QMenu menu(frame_.view());
    fillMenu(menu, entries);
    menu.exec(globalAt);
}

void AnimateViewInput::reportState() {
    if (perspective_) {
        perspective_->setEnabled(frame_.workspace().hasSelectedImage());
        perspective_->setChecked(perspectiveView(editor_->model()));
    }
    frame_.setPaneText(kPositionPane, qtText(editor_->positionText()));
    frame_.statusBar()->showMessage(qtText(editor_->prompt()));
    frame_.view()->update();
    overlay_->update();
}

} // namespace zx
