#pragma once
// The timeline dock: the play controls, the scale buttons, and the strips of
// thumbnails (subject row, background row, and in Movie mode the frame ruler with
// its cursor and markers). Selecting, dragging durations and the context menus
// go through the Workspace; the geometry comes from TimelineLayout.

#include "app/AppLayer.h"

#include "commands/MoviePlayer.h"
#include "commands/TimelineLayout.h"

#include <QWidget>

#include <map>
#include <vector>

class QCheckBox;
class QScrollBar;
class QToolButton;

namespace zx {

class MainFrame;
class TimelineBar;

class TimelineStrips : public QWidget {
    Q_OBJECT
public:
    TimelineStrips(MainFrame& frame, TimelineBar& bar);
    QSize sizeHint() const override { return {800, 128}; }

    static constexpr int kRulerHeight = 20;
    static constexpr int kSubjectRowHeight = 62;
    static constexpr int kBackgroundRowHeight = 40;
    int subjectTop() const;
    int backgroundTop() const { return subjectTop() + kSubjectRowHeight + 2; }
    // Which image a point of a row is over, −1 when none; `background` tells the row.
    int imageAt(QPoint p, bool* background = nullptr, bool* onGrip = nullptr) const;
    int hoveredImage() const { return hovered_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void leaveEvent(QEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override;

private:
    void paintRow(QPainter& p, int top, int height, bool background);
    void paintRuler(QPainter& p);
    QImage thumbnail(int index, bool background, int height);
    void showHover(QPoint pos);

    MainFrame& frame_;
    TimelineBar& bar_;
    int hovered_ = -1;
    bool dragging_ = false;
    int dragStartDuration_ = 0;
    // Image Edit mode: a thumbnail pressed and perhaps dragged to another place.
    int moveFrom_ = -1;
    int movePressX_ = 0;
    bool moving_ = false;
    std::map<std::pair<const void*, bool>, std::pair<const void*, QImage>> thumbs_;
};

class TimelineBar : public QWidget {
    Q_OBJECT
public:
    explicit TimelineBar(MainFrame& frame);

    int scale() const;
    void setScale(int scale);
    int firstImage() const { return firstImage_; }
    int firstVisibleFrame() const;
    void setFirstImage(int index);
    // Scrolls the strips the least that shows the current image; back to the first
    // image when all of them fit.
    void revealCurrent();
    std::vector<int> durations() const;
    // Redraw after the images, the selection or the mode changed.
    void refresh();
    TimelineStrips* strips() const { return strips_; }
    MovieMarkers& markers() { return markers_; }
    bool autoReplay() const;
    void setShowSubject(bool on);
    void setShowBackground(bool on);
    // "Set Image Duration" for the current image.
    void openSetDuration();

    // Movie playback controls.
    void play();
    void pause();
    void stop();
    void rewind();
    bool moviePlaying() const { return player_.playing(); }
    MoviePlayer& player() { return player_; }

private:
    void syncScrollBar();

    MainFrame& frame_;
    TimelineStrips* strips_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    QCheckBox* showBackground_ = nullptr;
    QCheckBox* showSubject_ = nullptr;
    QCheckBox* autoReplay_ = nullptr;
    QToolButton* play_ = nullptr;
    QToolButton* pause_ = nullptr;
    QToolButton* stop_ = nullptr;
    QToolButton* rewind_ = nullptr;
    int firstImage_ = 0;
    // The selection and image count the strips were last scrolled for.
    int revealedImage_ = -2;
    int revealedCount_ = -1;
    MovieMarkers markers_;
    MoviePlayer player_;
};

} // namespace zx
