#include "ui/ImageEditCommandDialog.h"

#include "ui/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

namespace zx {

namespace {

// How long the values must stand still before the preview is worked out.
constexpr int kPreviewDelayMs = 100;

} // namespace

ImageEditCommandDialog::ImageEditCommandDialog(const ImageEditCommand& command,
                                               const QString& title, bool preview, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(title);
    auto* layout = new QFormLayout(this);
    for (const CommandField& f : command.fields) addField(f.label, f.min, f.max, f.initial);
    if (preview) {
        addField(CommonField::ApplyToSelection, 0, 1, 0);
        addFeathering();
        preview_ = new QCheckBox("Preview", this);
        preview_->setChecked(true);
        layout->addRow(preview_);
        fields_.addCheck("Preview", preview_);
        connect(preview_, &QCheckBox::toggled, this, &ImageEditCommandDialog::changed);
        previewDelay_ = new QTimer(this);
        previewDelay_->setSingleShot(true);
        previewDelay_->setInterval(kPreviewDelayMs);
        connect(previewDelay_, &QTimer::timeout, this, &ImageEditCommandDialog::previewWanted);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    fields_.addButton("OK", buttons->button(QDialogButtonBox::Ok));
    fields_.addButton("Cancel", buttons->button(QDialogButtonBox::Cancel));
}

void ImageEditCommandDialog::addField(std::string_view label, int min, int max, int initial) {
    auto* layout = static_cast<QFormLayout*>(this->layout());
    const QString text = qtText(label);
    if (min == 0 && max == 1) {
        auto* check = new QCheckBox(text, this);
        check->setChecked(initial != 0);
        if (label == CommonField::ApplyToSelection) selectionOnly_.push_back(check);
        layout->addRow(check);
        fields_.addCheck(text, check);
        readers_.emplace_back(label, [check] { return check->isChecked() ? 1 : 0; });
        connect(check, &QCheckBox::toggled, this, &ImageEditCommandDialog::changed);
        return;
    }
    auto* spin = new QSpinBox(this);
    spin->setRange(min, max);
    spin->setValue(initial);
    layout->addRow(text, spin);
    fields_.add(text, [spin](const QString& v) {
        bool ok = false;
        const int n = v.toInt(&ok);
        if (!ok || n < spin->minimum() || n > spin->maximum()) return false;
        spin->setValue(n);
        return true;
    });
    readers_.emplace_back(label, [spin] { return spin->value(); });
    connect(spin, &QSpinBox::valueChanged, this, &ImageEditCommandDialog::changed);
}

void ImageEditCommandDialog::addFeathering() {
    auto* box = new QComboBox(this);
    box->addItems({"No", "1px", "2px", "4px"});
    const QString label = qtText(CommonField::Feathering);
    static_cast<QFormLayout*>(layout())->addRow(label, box);
    fields_.addChoice(label, box);
    readers_.emplace_back(CommonField::Feathering, [box] { return box->currentIndex(); });
    connect(box, &QComboBox::currentIndexChanged, this, &ImageEditCommandDialog::changed);
    selectionOnly_.push_back(box);
}

void ImageEditCommandDialog::setSelectionAvailable(bool available) {
    for (QWidget* w : selectionOnly_) w->setEnabled(available);
}

bool ImageEditCommandDialog::previewOn() const {
    return preview_ && preview_->isChecked();
}

void ImageEditCommandDialog::changed() {
    if (previewDelay_) previewDelay_->start();
}

CommandValues ImageEditCommandDialog::values() const {
    CommandValues v;
    for (const auto& [label, read] : readers_) v[label] = read();
    return v;
}

} // namespace zx
