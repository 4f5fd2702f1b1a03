#include "ui/TextPanel.h"

#include "imaging/PixelChannels.h"
#include "ui/ColourButton.h"

#include <QCheckBox>
#include <QFontDialog>
#include <QFontMetrics>
#include <QFormLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace zx {

namespace {
const QString kDefaultFace = "Arial"; // Qt picks its nearest face where there is none
constexpr int kDefaultPointSize = 24;
constexpr int kMargin = 2; // room for italic overhangs and the underline
} // namespace

RasterImage drawTextCoverage(const QString& text, const QFont& font, bool smoothing) {
    if (text.isEmpty()) return {};
    QFont f = font;
    f.setStyleStrategy(smoothing ? QFont::PreferAntialias : QFont::NoAntialias);
    const QFontMetrics metrics(f);
    const QRect bounds = metrics.boundingRect(text);
    const int width = std::max(metrics.horizontalAdvance(text), bounds.right() + 1) + 2 * kMargin;
    const int height = metrics.height() + 2 * kMargin;
    QImage picture(width, height, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    {
        QPainter p(&picture);
        p.setRenderHint(QPainter::TextAntialiasing, smoothing);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(kMargin, kMargin + metrics.ascent(), text);
    }
    RasterImage coverage(width, height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < width; ++x) coverage.at(x, y) = makePixel(qAlpha(row[x]), 0, 0, 0);
    }
    return coverage;
}

TextPanel::TextPanel(Workspace& workspace, const ImageEditSelection& selection, QWidget* parent)
    : QGroupBox("Text", parent), tool_(workspace), selection_(selection),
      font_(kDefaultFace, kDefaultPointSize) {
    auto* form = new QFormLayout(this);
    text_ = new QLineEdit(this);
    form->addRow("Text to display", text_);
    fontButton_ = new QPushButton("Font...", this);
    fontName_ = new QLabel(this);
    form->addRow(fontButton_, fontName_);
    bold_ = new QCheckBox("Bold", this);
    italic_ = new QCheckBox("Italic", this);
    underline_ = new QCheckBox("Underline", this);
    for (QCheckBox* box : {bold_, italic_, underline_}) form->addRow(box);
    colour_ = new ColourButton(this);
    form->addRow("Color", colour_);
    smoothing_ = new QCheckBox("Smoothing", this);
    smoothing_->setChecked(true);
    form->addRow(smoothing_);
    auto* apply = new QPushButton("APPLY", this);
    form->addRow(apply);

    connect(text_, &QLineEdit::textChanged, this, [this] { redraw(); });
    connect(fontButton_, &QPushButton::clicked, this, [this] {
        bool ok = false;
        const QFont picked = QFontDialog::getFont(&ok, font(), this, "Font");
        if (ok) setFont(picked);
    });
    for (QCheckBox* box : {bold_, italic_, underline_, smoothing_})
        connect(box, &QCheckBox::toggled, this, [this] { redraw(); });
    colour_->changed = [this](PaintColour c) {
        report();
        if (colourChanged) colourChanged(c);
    };
    connect(apply, &QPushButton::clicked, this, [this] { this->apply(); });
    setFont(font_);
}

QFont TextPanel::font() const {
    QFont f = font_;
    f.setBold(bold_->isChecked());
    f.setItalic(italic_->isChecked());
    f.setUnderline(underline_->isChecked());
    return f;
}

void TextPanel::setFont(const QFont& font) {
    font_ = font;
    {
        const QSignalBlocker b(bold_), i(italic_), u(underline_);
        bold_->setChecked(font.bold());
        italic_->setChecked(font.italic());
        underline_->setChecked(font.underline());
    }
    fontName_->setText(QString("%1, %2").arg(font.family()).arg(font.pointSize()));
    redraw();
}

void TextPanel::setText(const QString& text) {
    text_->setText(text);
}

PaintColour TextPanel::colour() const {
    return colour_->colour();
}

void TextPanel::setColour(PaintColour colour) {
    colour_->setColour(colour);
}

void TextPanel::setActive(bool on) {
    active_ = on;
    if (!on) tool_.cancel();
    report();
}

void TextPanel::redraw() {
    tool_.setDrawing(drawTextCoverage(text_->text(), font(), smoothing_->isChecked()));
    active_ = active_ || isVisible();
    report();
}

bool TextPanel::apply() {
    if (!tool_.apply(colour(), selection_.settings().editingBackground)) return false;
    if (applied) applied();
    report();
    return true;
}

void TextPanel::report() {
    if (changed) changed();
}

} // namespace zx
