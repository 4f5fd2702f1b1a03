#include "ui/LightingEffectsDialog.h"

#include "ui/QtText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <cmath>

namespace zx {

namespace {

constexpr int kPreviewDelayMs = 100;
constexpr int kCanvasSide = 320;
constexpr double kHandleHalf = 3;

struct ColourButton {
    const char* name;
    QColor colour;
};
const std::array<ColourButton, 7> kColours = {{{"White", Qt::white},
                                               {"Red", Qt::red},
                                               {"Green", Qt::green},
                                               {"Blue", Qt::blue},
                                               {"Yellow", Qt::yellow},
                                               {"Cyan", Qt::cyan},
                                               {"Magenta", Qt::magenta}}};

QImage qImageOf(const RasterImage& r) {
    QImage out(r.width(), r.height(), QImage::Format_ARGB32);
    for (int y = 0; y < r.height(); ++y)
        std::ranges::copy(r.row(y), reinterpret_cast<uint32_t*>(out.scanLine(y)));
    return out;
}

} // namespace

// ---- the canvas ---------------------------------------------------------------------

LightCanvas::LightCanvas(LightTool& tool, std::function<const RasterImage*()> picture,
                         QWidget* parent)
    : QWidget(parent), tool_(tool), picture_(std::move(picture)) {
    setMouseTracking(true);
    setMinimumSize(kCanvasSide / 2, kCanvasSide / 2);
}

QSize LightCanvas::sizeHint() const {
    return {kCanvasSide, kCanvasSide * 3 / 4};
}

double LightCanvas::scale() const {
    const RasterImage* p = picture_();
    if (!p || p->empty()) return 1;
    return std::min(double(width()) / p->width(), double(height()) / p->height());
}

QPointF LightCanvas::toWidget(double x, double y) const {
    return {x * scale(), y * scale()};
}

QPointF LightCanvas::toImage(const QPointF& at) const {
    return at / scale();
}

void LightCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0x70, 0x70, 0x78));
    const RasterImage* picture = picture_();
    if (!picture || picture->empty() || picture->isDescriptor()) return;
    const double f = scale();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(0, 0, picture->width() * f, picture->height() * f), qImageOf(*picture));
    QPolygonF outline;
    for (const LightPoint& pt : tool_.outline()) outline << toWidget(pt.x, pt.y);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 1, Qt::DashLine));
    p.drawPolyline(outline);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    for (const LightPoint& h : tool_.handles())
        p.drawRect(QRectF(toWidget(h.x, h.y) - QPointF(kHandleHalf, kHandleHalf),
                          QSizeF(2 * kHandleHalf, 2 * kHandleHalf)));
}

void LightCanvas::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    const QPointF at = toImage(e->position());
    tool_.press(at.x(), at.y());
}

void LightCanvas::mouseMoveEvent(QMouseEvent* e) {
    const QPointF at = toImage(e->position());
    setToolTip(qtText(tool_.prompt(at.x(), at.y())));
    if (tool_.move(at.x(), at.y())) {
        update();
        if (moved) moved();
    }
}

void LightCanvas::mouseReleaseEvent(QMouseEvent*) {
    tool_.release();
}

// ---- the dialog ---------------------------------------------------------------------

LightingEffectsDialog::LightingEffectsDialog(std::function<const RasterImage*()> picture,
                                             const PixelRect& visible, QWidget* parent)
    : QDialog(parent), tool_(LightEllipse::openingCircle(visible)) {
    setWindowTitle("Lighting Effects");
    auto* form = new QFormLayout(this);
    canvas_ = new LightCanvas(tool_, std::move(picture), this);
    canvas_->moved = [this] { changed(); };
    form->addRow(canvas_);
    intensity_ = addSlider(form, "Intensity:", 0, 100, 50);
    focus_ = addSlider(form, "Focus:", 0, 100, 50);
    ambience_ = addSlider(form, "Ambience:", -100, 100, 0);
    shine_ = addSlider(form, "Matt", -100, 100, 0);
    addColours(form);

    applyToSelection_ = new QCheckBox(qtText(CommonField::ApplyToSelection), this);
    form->addRow(applyToSelection_);
    fields_.addCheck(applyToSelection_->text(), applyToSelection_);
    feathering_ = new QComboBox(this);
    feathering_->addItems({"No", "1px", "2px", "4px"});
    form->addRow(qtText(CommonField::Feathering), feathering_);
    fields_.addChoice(qtText(CommonField::Feathering), feathering_);
    preview_ = new QCheckBox("Preview", this);
    preview_->setChecked(true);
    form->addRow(preview_);
    fields_.addCheck("Preview", preview_);
    for (QCheckBox* box : {applyToSelection_, preview_})
        connect(box, &QCheckBox::toggled, this, &LightingEffectsDialog::changed);
    connect(feathering_, &QComboBox::currentIndexChanged, this, &LightingEffectsDialog::changed);

    previewDelay_ = new QTimer(this);
    previewDelay_->setSingleShot(true);
    previewDelay_->setInterval(kPreviewDelayMs);
    connect(previewDelay_, &QTimer::timeout, this, &LightingEffectsDialog::previewWanted);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    fields_.addButton("OK", buttons->button(QDialogButtonBox::Ok));
    fields_.addButton("Cancel", buttons->button(QDialogButtonBox::Cancel));
}

QSlider* LightingEffectsDialog::addSlider(QFormLayout* form, const QString& label, int min, int max,
                                          int initial) {
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setRange(min, max);
    slider->setValue(initial);
    if (label == "Matt") {
        auto* row = new QHBoxLayout;
        row->addWidget(slider);
        row->addWidget(new QLabel("Shiny", this));
        form->addRow(label, row);
    } else {
        form->addRow(label, slider);
    }
    fields_.addSlider(QString(label).remove(':'), slider);
    connect(slider, &QSlider::valueChanged, this, &LightingEffectsDialog::changed);
    return slider;
}

void LightingEffectsDialog::addColours(QFormLayout* form) {
    colours_ = new QButtonGroup(this);
    auto* row = new QHBoxLayout;
    for (size_t i = 0; i < kColours.size(); ++i) {
        auto* b = new QToolButton(this);
        b->setCheckable(true);
        b->setToolTip(kColours[i].name);
        b->setStyleSheet(QString("background-color: %1").arg(kColours[i].colour.name()));
        b->setChecked(i == 0);
        colours_->addButton(b, int(i));
        fields_.addButton(QString("Light color ") + kColours[i].name, b);
        row->addWidget(b);
    }
    form->addRow("Light color", row);
    connect(colours_, &QButtonGroup::idClicked, this, &LightingEffectsDialog::changed);
}

void LightingEffectsDialog::setSelectionAvailable(bool available) {
    applyToSelection_->setEnabled(available);
    feathering_->setEnabled(available);
}

bool LightingEffectsDialog::previewOn() const {
    return preview_->isChecked();
}

void LightingEffectsDialog::changed() {
    previewDelay_->start();
}

CommandValues LightingEffectsDialog::values() const {
    const LightEllipse& l = tool_.light();
    return {{"Intensity", intensity_->value()},
            {"Focus", focus_->value()},
            {"Ambience", ambience_->value()},
            {"Shiny", shine_->value()},
            {"Light color", std::max(0, colours_->checkedId())},
            {std::string(LightField::X), std::lround(l.centreX)},
            {std::string(LightField::Y), std::lround(l.centreY)},
            {std::string(LightField::FocusX), std::lround(l.focusX)},
            {std::string(LightField::FocusY), std::lround(l.focusY)},
            {std::string(LightField::Size), std::max(1L, std::lround(l.semiMajor))},
            {std::string(CommonField::ApplyToSelection), applyToSelection_->isChecked() ? 1 : 0},
            {std::string(CommonField::Feathering), feathering_->currentIndex()}};
}

} // namespace zx
