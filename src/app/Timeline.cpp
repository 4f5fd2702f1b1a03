#include "app/Timeline.h"

#include "app/CommandTable.h"
#include "app/ImageComposer.h"
#include "app/MainFrame.h"
#include "ui/QtText.h"
#include "ui/SetDurationDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace zx {

namespace {
const QColor kRowColour(0x3A, 0x3A, 0x40);
const QColor kBarColour(0x6C, 0x8E, 0xBF);
const QColor kCurrentColour(0xF0, 0xB0, 0x40);
} // namespace

// ---- strips --------------------------------------------------------------------------

TimelineStrips::TimelineStrips(MainFrame& frame, TimelineBar& bar)
    : QWidget(&bar), frame_(frame), bar_(bar) {
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setMinimumHeight(kRulerHeight + kSubjectRowHeight + kBackgroundRowHeight + 8);
}

int TimelineStrips::subjectTop() const {
    return frame_.mode() == AnimationMode::Movie ? kRulerHeight + 2 : 2;
}

int TimelineStrips::imageAt(QPoint p, bool* background, bool* onGrip) const {
    const auto durations = bar_.durations();
    if (durations.empty()) return -1;
    const bool inSubject = p.y() >= subjectTop() && p.y() < subjectTop() + kSubjectRowHeight;
    const bool inBackground =
        p.y() >= backgroundTop() && p.y() < backgroundTop() + kBackgroundRowHeight;
    if (!inSubject && !inBackground) return -1;
    if (background) *background = inBackground;
    const auto starts = startFrames(durations);
    const int scale = bar_.scale();
    const int first = bar_.firstVisibleFrame();
    if (onGrip) {
        *onGrip = false;
        const int cur = frame_.project().currentImage;
        if (cur >= 0 && cur < int(durations.size())) {
            const TimelineCell c = cellOf(starts, durations, cur, scale, first, width());
            *onGrip = inSubject && onDurationGrip(c, p.x());
        }
    }
    return imageAtFrame(starts, frameAtPixel(p.x(), scale, first));
}

QImage TimelineStrips::thumbnail(int index, bool background, int height) {
    ProjectImage& image = frame_.project().images[index];
    const RasterImage* source = nullptr;
    RasterImage backgroundOnly;
    if (background) {
        source = image.layerPicture(kBackgroundLayer);
    } else {
        source = &imageComposite(image);
    }
    const auto key = std::make_pair(static_cast<const void*>(&image), background);
    const void* data = source ? static_cast<const void*>(source->pixels()) : nullptr;
    auto it = thumbs_.find(key);
    if (it != thumbs_.end() && it->second.first == data && it->second.second.height() == height)
        return it->second.second;
    QImage thumb;
    if (source && !source->empty())
        thumb = toQImage(*source).scaled(kThumbnailWidth, height, Qt::KeepAspectRatio,
                                         Qt::SmoothTransformation);
    thumbs_[key] = {data, thumb};
    return thumb;
}

void TimelineStrips::paintRow(QPainter& p, int top, int height, bool background) {
    p.fillRect(0, top, width(), height, kRowColour);
    const auto durations = bar_.durations();
    const auto starts = startFrames(durations);
    const int scale = bar_.scale();
    const int first = bar_.firstVisibleFrame();
    const Project& project = frame_.project();
    const bool rowShown = background ? frame_.showBackground() : frame_.showSubject();
    for (int i = 0; i < int(durations.size()); ++i) {
        const TimelineCell c = cellOf(starts, durations, i, scale, first, width());
        if (c.barRight < 0 || c.cellLeft > width()) continue;
        const bool current =
            i == project.currentImage && (background == frame_.workspace().backgroundSelected());
        // duration bar
        const QRect bar(c.cellLeft, top + height - 8, std::max(1, c.barRight - c.cellLeft - 1), 6);
        p.fillRect(bar, current ? kCurrentColour : kBarColour);
        // thumbnail
        const QRect cell(c.cellLeft + 1, top + 2, std::max(0, c.thumbRight - c.cellLeft - 2),
                         height - 12);
        if (cell.width() <= 2) continue;
        p.save();
        p.setClipRect(cell);
        paintCanvas(p, cell, project.images[i].canvasColour);
        const QImage thumb = thumbnail(i, background, cell.height());
        if (!thumb.isNull()) {
            if (!rowShown) p.setOpacity(0.35);
            p.drawImage(cell.topLeft(), thumb);
            p.setOpacity(1);
        }
        p.restore();
        if (i == hovered_ && !background) p.fillRect(cell, QColor(255, 255, 255, 50));
        p.setPen(current ? QPen(kCurrentColour, 2) : QPen(QColor(0x20, 0x20, 0x24), 1));
        p.drawRect(cell.adjusted(0, 0, -1, -1));
    }
}

void TimelineStrips::paintRuler(QPainter& p) {
    p.fillRect(0, 0, width(), kRulerHeight, QColor(0xE0, 0xE0, 0xD0));
    const int scale = bar_.scale();
    const int first = bar_.firstVisibleFrame();
    const int fps = std::max(1, frame_.project().fps);
    p.setPen(QColor(0x50, 0x50, 0x50));
    QFont f = p.font();
    f.setPointSize(7);
    p.setFont(f);
    const int frames = frame_.movieFrameCount();
    for (int frame = first; frame <= frames; ++frame) {
        const int x = (frame - first) * scale;
        if (x > width()) break;
        if (frame % fps == 0) {
            p.drawLine(x, kRulerHeight - 8, x, kRulerHeight);
            p.drawText(x + 2, 10, QString::number(frame / fps) + "s");
        } else if (scale >= 4) {
            p.drawLine(x, kRulerHeight - 3, x, kRulerHeight);
        }
    }
    const MovieMarkers& m = bar_.markers();
    auto marker = [&](int frame, QColor colour) {
        if (frame < 0) return;
        const int x = (frame - first) * scale;
        p.fillRect(x, 0, std::max(2, scale), kRulerHeight, colour);
    };
    marker(m.start, QColor(0x30, 0xA0, 0x30));
    marker(m.effectiveEnd(std::max(0, frames - 1)), QColor(0xC0, 0x30, 0x30));
    if (m.cursor >= 0) {
        const int x = (m.cursor - first) * scale;
        p.setPen(QPen(Qt::blue, 2));
        p.drawLine(x, 0, x, height());
    }
}

void TimelineStrips::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0x2A, 0x2A, 0x30));
    if (frame_.mode() == AnimationMode::Movie) paintRuler(p);
    paintRow(p, subjectTop(), kSubjectRowHeight, false);
    paintRow(p, backgroundTop(), kBackgroundRowHeight, true);
    if (frame_.project().images.empty()) {
        p.setPen(QColor(0xC0, 0xC0, 0xC8));
        p.drawText(rect(), Qt::AlignCenter,
                   "No images yet: use File > Import Image(s)... or drop photographs here");
    }
}

void TimelineStrips::showHover(QPoint pos) {
    bool background = false, grip = false;
    const int index = imageAt(pos, &background, &grip);
    QStatusBar* status = frame_.statusBar();
    if (frame_.mode() == AnimationMode::Movie && pos.y() < kRulerHeight) {
        status->showMessage(qtText(kRulerHint));
        setCursor(Qt::ArrowCursor);
    } else if (grip) {
        setCursor(Qt::SizeHorCursor);
        status->showMessage(qtText(kDurationDragHint));
    } else if (index >= 0) {
        setCursor(Qt::PointingHandCursor);
        status->showMessage(qtText(thumbnailHoverText(frame_.mode() == AnimationMode::ImageEdit)));
        frame_.setPaneText(1, qtText(durationText(frame_.project().images[index].duration(),
                                                  frame_.project().fps)));
    } else {
        setCursor(Qt::ArrowCursor);
    }
    if (index != hovered_ && !background) {
        hovered_ = index;
        update();
    }
}

void TimelineStrips::mousePressEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    if (frame_.mode() == AnimationMode::Movie && pos.y() < kRulerHeight) {
        const int frames = frame_.movieFrameCount();
        if (frames <= 0) return;
        const int frame = std::clamp(frameAtPixel(pos.x(), bar_.scale(), bar_.firstVisibleFrame()),
                                     0, frames - 1);
        if (e->button() == Qt::LeftButton)
            bar_.markers().setStart(frame, frames - 1);
        else if (e->button() == Qt::RightButton)
            bar_.markers().setEnd(frame, frames - 1);
        frame_.showMovieFrame(frame);
        update();
        return;
    }
    bool background = false, grip = false;
    const int index = imageAt(pos, &background, &grip);
    if (e->button() == Qt::LeftButton && grip && !frame_.project().images.empty()) {
        dragging_ = true;
        dragStartDuration_ = frame_.project().current()->duration();
        return;
    }
    if (index < 0 || e->button() != Qt::LeftButton) return;
    if (!frame_.workspace().selectImage(index, background)) return;
    frame_.refreshAll();
    if (frame_.mode() == AnimationMode::ImageEdit && !background &&
        frame_.project().currentImage == index) {
        moveFrom_ = index;
        movePressX_ = pos.x();
    }
}

void TimelineStrips::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    if (dragging_) {
        ProjectImage* img = frame_.project().current();
        if (!img) return;
        const auto durations = bar_.durations();
        const auto starts = startFrames(durations);
        const TimelineCell c = cellOf(starts, durations, frame_.project().currentImage,
                                      bar_.scale(), bar_.firstVisibleFrame(), width());
        img->setDuration(dragDuration(c, pos.x(), bar_.scale()));
        frame_.statusBar()->showMessage(
            qtText(durationText(img->duration(), frame_.project().fps)));
        update();
        return;
    }
    if (moveFrom_ >= 0) {
        if (!moving_ && std::abs(pos.x() - movePressX_) >= QApplication::startDragDistance()) {
            moving_ = true;
            setCursor(Qt::ClosedHandCursor);
        }
        if (moving_) {
            const int target =
                imageAtFrame(startFrames(bar_.durations()),
                             frameAtPixel(pos.x(), bar_.scale(), bar_.firstVisibleFrame()));
            frame_.statusBar()->showMessage(
                QString("Move to place %1 of %2").arg(target + 1).arg(bar_.durations().size()));
            return;
        }
    }
    showHover(pos);
}

void TimelineStrips::mouseReleaseEvent(QMouseEvent* e) {
    if (moveFrom_ >= 0) {
        const int from = std::exchange(moveFrom_, -1);
        if (!std::exchange(moving_, false)) return;
        setCursor(Qt::ArrowCursor);
        const int target = imageAtFrame(
            startFrames(bar_.durations()),
            frameAtPixel(e->position().toPoint().x(), bar_.scale(), bar_.firstVisibleFrame()));
        if (target >= 0 && target != from && frame_.workspace().moveImage(from, target))
            frame_.refreshAll();
        return;
    }
    if (!dragging_) return;
    dragging_ = false;
    frame_.workspace().finishDurationDrag(dragStartDuration_);
    frame_.refreshAll();
}

void TimelineStrips::leaveEvent(QEvent*) {
    if (hovered_ != -1) {
        hovered_ = -1;
        update();
    }
}

void TimelineStrips::keyPressEvent(QKeyEvent* e) {
    if (!frame_.routeKey(e->key(), e->modifiers())) QWidget::keyPressEvent(e);
}

void TimelineStrips::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    bar_.revealCurrent();
}

void TimelineStrips::contextMenuEvent(QContextMenuEvent* e) {
    if (frame_.mode() == AnimationMode::Movie && e->pos().y() < kRulerHeight) return;
    bool background = false;
    const int index = imageAt(e->pos(), &background);
    if (index < 0) return;
    QMenu menu(this);
    if (!background) {
        if (!frame_.workspace().selectImage(index, false)) return;
        frame_.refreshAll();
        QAction* duration = menu.addAction("Set Duration", [this] { bar_.openSetDuration(); });
        duration->setEnabled(!frame_.workspace().activePanel()->busy());
        menu.addSeparator();
        if (frame_.mode() == AnimationMode::ImageEdit) {
            menu.addAction("Remove", [this] { frame_.trigger(Cmd::RemoveImage); });
            menu.addSeparator();
        }
        // Image properties belong to a later dialog.
        menu.addAction("Properties...")->setEnabled(false);
    } else {
        if (frame_.mode() != AnimationMode::ImageEdit) return;
        // Erasing and extending backgrounds arrive with the background tools.
        menu.addAction("Erase Background")->setEnabled(false);
        menu.addAction("Extend Background")->setEnabled(false);
    }
    menu.exec(e->globalPos());
}

// ---- the bar ----------------------------------------------------------------------

TimelineBar::TimelineBar(MainFrame& frame)
    : QWidget(&frame), frame_(frame),
      player_({nullptr,
               [this](int f) {
                   QMetaObject::invokeMethod(
                       this, [this, f] { frame_.showMovieFrame(f); }, Qt::QueuedConnection);
               },
               nullptr}) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    auto* controls = new QHBoxLayout;
    controls->setSpacing(4);
    auto button = [&](const QString& text, const QString& tip) {
        auto* b = new QToolButton(this);
        b->setText(text);
        b->setToolTip(tip);
        b->setAutoRaise(true);
        controls->addWidget(b);
        return b;
    };
    showBackground_ = new QCheckBox("Background", this);
    showBackground_->setToolTip("Show/Hide Background  [Shift+B]");
    showSubject_ = new QCheckBox("Subject", this);
    showSubject_->setToolTip("Show/Hide Subject  [Shift+S]");
    autoReplay_ = new QCheckBox("Auto re-play", this);
    autoReplay_->setToolTip("Auto re-play");
    controls->addWidget(showSubject_);
    controls->addWidget(showBackground_);
    controls->addSpacing(12);
    rewind_ = button("<<", "Rewind  [Up Arrow]");
    play_ = button("Play", "Play  [Space Bar]");
    pause_ = button("Pause", "Pause  [Down Arrow]");
    stop_ = button("Stop", "Stop  [Space Bar]");
    controls->addWidget(autoReplay_);
    controls->addStretch(1);
    auto* minus = button("-", "Zoom the timeline out");
    auto* plus = button("+", "Zoom the timeline in");
    layout->addLayout(controls);
    strips_ = new TimelineStrips(frame, *this);
    layout->addWidget(strips_, 1);
    scroll_ = new QScrollBar(Qt::Horizontal, this);
    layout->addWidget(scroll_);

    connect(plus, &QToolButton::clicked, this, [this] { setScale(zoomTimelineIn(scale())); });
    connect(minus, &QToolButton::clicked, this, [this] { setScale(zoomTimelineOut(scale())); });
    connect(showSubject_, &QCheckBox::clicked, this,
            [this](bool on) { frame_.setShowSubject(on); });
    connect(showBackground_, &QCheckBox::clicked, this,
            [this](bool on) { frame_.setShowBackground(on); });
    connect(autoReplay_, &QCheckBox::toggled, this, [this](bool on) { player_.setAutoReplay(on); });
    connect(play_, &QToolButton::clicked, this, [this] { play(); });
    connect(pause_, &QToolButton::clicked, this, [this] { pause(); });
    connect(stop_, &QToolButton::clicked, this, [this] { stop(); });
    connect(rewind_, &QToolButton::clicked, this, [this] { rewind(); });
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int v) {
        firstImage_ = v;
        strips_->update();
    });
}

int TimelineBar::scale() const {
    return normalTimelineScale(frame_.project().timelineWords[TimelineWords::StripScale]);
}

void TimelineBar::setScale(int s) {
    frame_.project().timelineWords[TimelineWords::StripScale] = normalTimelineScale(s);
    revealCurrent();
}

std::vector<int> TimelineBar::durations() const {
    std::vector<int> d;
    for (const auto& img : frame_.project().images) d.push_back(img->duration());
    return d;
}

int TimelineBar::firstVisibleFrame() const {
    const auto starts = startFrames(durations());
    if (starts.empty()) return 0;
    return starts[size_t(std::clamp(firstImage_, 0, int(starts.size()) - 1))];
}

void TimelineBar::setFirstImage(int index) {
    const int count = frame_.project().imageCount();
    firstImage_ = std::clamp(index, 0, std::max(0, count - 1));
    syncScrollBar();
    strips_->update();
}

void TimelineBar::syncScrollBar() {
    const int count = frame_.project().imageCount();
    QSignalBlocker block(scroll_);
    scroll_->setRange(0, std::max(0, count - 1));
    scroll_->setPageStep(std::max(1, width() / std::max(1, kThumbnailWidth)));
    scroll_->setValue(firstImage_);
}

void TimelineBar::revealCurrent() {
    const Project& project = frame_.project();
    firstImage_ = firstImageShowing(durations(), scale(), strips_->width(), firstImage_,
                                    project.currentImage);
    revealedImage_ = project.currentImage;
    revealedCount_ = project.imageCount();
    syncScrollBar();
    strips_->update();
}

void TimelineBar::refresh() {
    const int count = frame_.project().imageCount();
    if (firstImage_ >= count) firstImage_ = std::max(0, count - 1);
    // A new selection (or a changed list) is scrolled into view; otherwise the strips
    // stay where the user scrolled them.
    if (frame_.project().currentImage != revealedImage_ || count != revealedCount_)
        revealCurrent();
    else if (stripsRight(durations(), scale(), 0) <= strips_->width())
        firstImage_ = 0;
    syncScrollBar();
    QSignalBlocker a(showSubject_), b(showBackground_);
    showSubject_->setChecked(frame_.showSubject());
    showBackground_->setChecked(frame_.showBackground());
    const bool movie = frame_.mode() == AnimationMode::Movie;
    for (QToolButton* w : {play_, pause_, stop_, rewind_}) w->setEnabled(movie);
    autoReplay_->setEnabled(movie);
    strips_->update();
}

bool TimelineBar::autoReplay() const {
    return autoReplay_->isChecked();
}

void TimelineBar::setShowSubject(bool on) {
    showSubject_->setChecked(on);
}
void TimelineBar::setShowBackground(bool on) {
    showBackground_->setChecked(on);
}

void TimelineBar::openSetDuration() {
    Project& project = frame_.project();
    const ProjectImage* img = project.current();
    if (!img) return;
    SetDurationDialog dialog(img->duration(), project.fps, this);
    if (dialog.exec() != QDialog::Accepted) return;
    frame_.workspace().setImageDuration(dialog.frames(), dialog.applyToAll());
    frame_.refreshAll();
}

void TimelineBar::play() {
    if (frame_.mode() != AnimationMode::Movie) return;
    const int frames = frame_.movieFrameCount();
    if (frames <= 0 || player_.playing()) return;
    MoviePlayer::Range range;
    range.startFrame = std::max(0, markers_.cursor);
    range.startMarker = std::clamp(markers_.start, 0, frames - 1);
    range.endFrame = markers_.effectiveEnd(frames - 1);
    range.framePeriodMs = 1000.0 / std::max(1, frame_.project().fps);
    range.autoReplay = autoReplay();
    player_.play(range);
}

void TimelineBar::pause() {
    player_.pause();
}

void TimelineBar::stop() {
    player_.pause();
    frame_.showMovieFrame(std::max(0, markers_.start));
}

void TimelineBar::rewind() {
    const bool wasPlaying = player_.playing();
    player_.pause();
    markers_.start = 0;
    frame_.showMovieFrame(0);
    if (wasPlaying) play();
}

} // namespace zx
