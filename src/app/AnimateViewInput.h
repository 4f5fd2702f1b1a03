#pragma once
// The Animate view's mouse and keys: converts the canvas's widget coordinates into
// image pixels of the pane under the pointer (start image or current frame), hands
// them to the engine's AnimateEditor, shows its prompts in the status bar and its
// region menu as a pop-up, and paints what it reports (dots, bones, the hot dot and
// bone, the selection) on a transparent layer over the canvas.

#include "commands/AnimateEditor.h"
#include "commands/ModePanel.h"
#include "commands/RegionMenu.h"
#include "render/RenderQuality.h"
#include "storage/RasterImage.h"

#include <QObject>
#include <QPointF>
#include <QRectF>

#include <memory>
#include <optional>

class QAction;
class QMenu;
class QWidget;

namespace zx {

class MainFrame;
class AnimateOverlay;

class AnimateViewInput : public QObject {
    Q_OBJECT
public:
    // Registers itself with the frame's workspace as part of the Animate panel; the
    // frame owns it and drops it before its workspace.
    explicit AnimateViewInput(MainFrame& frame);
    ~AnimateViewInput() override;

    AnimateEditor& editor() { return *editor_; }
    // Where image pixel (0, 0) of a pane lies and how many widget pixels an image pixel
    // takes; none for a spot outside the panes.
    struct PaneMap {
        AnimateView view = AnimateView::Current;
        QRectF target; // the image in widget coordinates
        double scale = 1;
    };
    std::vector<PaneMap> panes() const;
    // The current image's current frame rendered from the editor's model, its selected
    // object outlined, while an object is selected or a drag is under way; none
    // otherwise. Rendered again only when the model, the frame or the quality changed.
    std::optional<RasterImage> editedFrame(RenderQuality quality);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<PointerEvent> toImage(const QPointF& at, Qt::KeyboardModifiers keys);
    bool mouse(QEvent* event);
    bool key(QEvent* event);
    void showMenu(const std::vector<RegionMenuEntry>& entries, const QPoint& globalAt);
    void fillMenu(QMenu& menu, const std::vector<RegionMenuEntry>& entries);
    void reportState();
    void connectToolBar();

    MainFrame& frame_;
    std::unique_ptr<AnimateEditor> editor_;
    std::unique_ptr<ModePanel> panels_;       // the Qt panel and the editor, as one
    std::unique_ptr<AnimateOverlay> overlay_; // a child of the canvas
    QAction* perspective_ = nullptr;          // "Use Perspective" on the tool bar
    struct EditedFrame {
        std::vector<uint32_t> record;
        int selected = -1, image = -1, frame = -1;
        RenderQuality quality = RenderQuality::Low;
        RasterImage picture;
    } edited_;
};

} // namespace zx
