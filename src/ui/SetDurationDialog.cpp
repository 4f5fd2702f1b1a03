#include "ui/SetDurationDialog.h"

#include "commands/TimelineLayout.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

namespace zx {

SetDurationDialog::SetDurationDialog(int duration, int fps, QWidget* parent)
    : QDialog(parent), fps_(std::max(1, fps)) {
    setWindowTitle("Set Image Duration");
    auto* form = new QFormLayout(this);
    seconds_ = new QSpinBox(this);
    seconds_->setRange(0, 9999);
    seconds_->setValue(duration / fps_);
    frames_ = new QSpinBox(this);
    frames_->setRange(0, 9999);
    frames_->setValue(duration % fps_);
    all_ = new QCheckBox("Apply to All Images", this);
    form->addRow("Seconds", seconds_);
    form->addRow("Frames", frames_);
    form->addRow(all_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

int SetDurationDialog::frames() const {
    return durationFromSecondsFrames(seconds_->value(), frames_->value(), fps_);
}

bool SetDurationDialog::applyToAll() const {
    return all_->isChecked();
}

void SetDurationDialog::setValues(int seconds, int frames, bool all) {
    seconds_->setValue(seconds);
    frames_->setValue(frames);
    all_->setChecked(all);
}

} // namespace zx
