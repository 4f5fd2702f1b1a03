#include "ui/ThreeDPreviewDialog.h"

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

#include <span>

namespace zx {

ThreeDPreviewDialog::ThreeDPreviewDialog(const RasterImage& start, Renderer renderer,
                                         QWidget* parent)
    : QDialog(parent), camera_(PreviewCamera::forImage(start.width(), start.height())),
      start_(start), renderer_(std::move(renderer)) {
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
            const QString caption = QString::fromUtf8(n.data(), qsizetype(n.size()));
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
    viewTimer_->setSingleShot(true);
    viewTimer_->setInterval(50);
    connect(viewTimer_, &QTimer::timeout, this, [this] { rerender(); });
    connect(distance_, &QSlider::valueChanged, this, [this](int v) {
        camera_.setDistance(v);
        rerender();
    });
    connect(enable_, &QCheckBox::toggled, this, [this](bool on) {
        camera_.perspective = on;
        distance_->setEnabled(on);
        rerender();
    });
    rerender();
}

void ThreeDPreviewDialog::press(const QString& button) {
    bool view = false;
    if (!camera_.press(button.toStdString(), &view)) return;
    if (view)
        viewTimer_->start();
    else
        rerender();
}

void ThreeDPreviewDialog::rerender() {
    values_->setText(QString("Turn %1\u00B0  Tilt %2\u00B0\nLight %3  (%4, %5, %6)\nDistance %7")
                         .arg(camera_.turnDeg)
                         .arg(camera_.tiltDeg)
                         .arg(camera_.lightIntensity)
                         .arg(camera_.lightX)
                         .arg(camera_.lightY)
                         .arg(camera_.lightZ)
                         .arg(camera_.distance));
    const QSize room = picture_->size().expandedTo(QSize(400, 300));
    const RasterImage shown = renderer_ ? renderer_(camera_, room.width(), room.height()) : start_;
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
