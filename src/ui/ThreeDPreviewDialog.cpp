#include "ui/ThreeDPreviewDialog.h"

#include "ui/QtText.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <span>

namespace zx {

ThreeDPreviewDialog::ThreeDPreviewDialog(const RasterImage& start, Renderer renderer,
                                         QWidget* parent)
    : QDialog(parent), camera_(PreviewCamera::forImage(start.width(), start.height())),
      shown_(camera_), start_(start), renderer_(std::move(renderer)) {
    setWindowTitle("3D Preview");
    auto* layout = new QHBoxLayout(this);
    picture_ = new QLabel(this);
    picture_->setMinimumSize(400, 300);
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setStyleSheet("background: #404048;");
    layout->addWidget(picture_, 1);
    auto* side = new QVBoxLayout;
    layout->addLayout(side);
    auto group = [&](const QString& title, std::span<const std::string_view> names) {
        auto* box = new QGroupBox(title, this);
        auto* grid = new QGridLayout(box);
        int i = 0;
        for (std::string_view n : names) {
            const QString caption = qtText(n);
            auto* b = new QPushButton(caption, box);
            grid->addWidget(b, i / 2, i % 2);
            connect(b, &QPushButton::clicked, this, [this, caption] { press(caption); });
            ++i;
        }
        side->addWidget(box);
    };
    group("View", kPreviewViewButtons);
    group("Shading", kPreviewShadingButtons);
    group("Light", kPreviewLightButtons);
    auto* distanceBox = new QGroupBox("Camera Distance", this);
    auto* dl = new QVBoxLayout(distanceBox);
    enable_ = new QCheckBox("Enable", distanceBox);
    enable_->setChecked(camera_.perspective);
    distance_ = new QSlider(Qt::Horizontal, distanceBox);
    distance_->setRange(int(camera_.minDistance), int(camera_.maxDistance));
    distance_->setValue(int(camera_.distance));
    dl->addWidget(enable_);
    dl->addWidget(distance_);
    side->addWidget(distanceBox);
    values_ = new QLabel(this);
    side->addWidget(values_);
    side->addStretch(1);
    viewTimer_ = new QTimer(this);
    viewTimer_->setInterval(50);
    connect(viewTimer_, &QTimer::timeout, this, &ThreeDPreviewDialog::turnStep);
    connect(distance_, &QSlider::valueChanged, this, [this](int v) {
        camera_.setDistance(v);
        rerender(distance_->isSliderDown() ? 2 : 1);
    });
    connect(distance_, &QSlider::sliderReleased, this, [this] { rerender(); });
    connect(enable_, &QCheckBox::toggled, this, [this](bool on) {
        camera_.perspective = on;
        distance_->setEnabled(on);
        rerender();
    });
    resize(900, 560);
    rerender();
}

bool ThreeDPreviewDialog::turning() const {
    return viewTimer_->isActive();
}

void ThreeDPreviewDialog::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    if (!turning()) rerender();
}

// One tick of a view change: the shown angles go a third of the way to the ones the
// button set, and land on them once close; the way is drawn at half resolution.
void ThreeDPreviewDialog::turnStep() {
    auto approach = [](double& shown, double target) {
        const double rest = target - shown;
        if (std::abs(rest) < 1.5) {
            shown = target;
            return true;
        }
        shown += rest / 3;
        return false;
    };
    const bool turnDone = approach(shown_.turnDeg, camera_.turnDeg);
    const bool tiltDone = approach(shown_.tiltDeg, camera_.tiltDeg);
    if (turnDone && tiltDone) {
        viewTimer_->stop();
        rerender(1);
    } else {
        rerender(2);
    }
}

void ThreeDPreviewDialog::press(const QString& button) {
    bool view = false;
    if (!camera_.press(engineText(button), &view)) return;
    if (view)
        viewTimer_->start();
    else
        rerender(turning() ? 2 : 1);
}

QString ThreeDPreviewDialog::valuesText() const {
    return values_->text();
}

void ThreeDPreviewDialog::rerender(int step) {
    // The light and distance apply at once; the angles are the ones on the way.
    PreviewCamera view = camera_;
    view.turnDeg = shown_.turnDeg;
    view.tiltDeg = shown_.tiltDeg;
    values_->setText(QString("Turn %1\u00B0  Tilt %2\u00B0\nLight %3  (%4, %5, %6)\nDistance %7%8")
                         .arg(std::lround(view.turnDeg))
                         .arg(std::lround(view.tiltDeg))
                         .arg(view.lightIntensity)
                         .arg(view.lightX)
                         .arg(view.lightY)
                         .arg(view.lightZ)
                         .arg(std::lround(view.distance))
                         .arg(view.perspective ? "" : " (parallel)"));
    const QSize room = picture_->size().expandedTo(QSize(400, 300));
    lastPicture_ = renderer_ ? renderer_(view, room.width(), room.height(), step) : start_;
    ++renders_;
    const RasterImage& shown = lastPicture_;
    if (shown.empty() || shown.isDescriptor()) {
        picture_->setText("Nothing to preview");
        return;
    }
    QImage img(reinterpret_cast<const uchar*>(shown.pixels()), shown.width(), shown.height(),
               shown.width() * 4, QImage::Format_ARGB32);
    picture_->setPixmap(
        QPixmap::fromImage(img.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

} // namespace zx
