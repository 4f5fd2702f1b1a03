#include "ui/SimpleDialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QMessageBox>
#include <QSpinBox>

namespace zx {

BlankImageDialog::BlankImageDialog(int w, int h, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Add Blank Image");
    auto* form = new QFormLayout(this);
    width_ = new QSpinBox(this);
    width_->setRange(8, 4096);
    width_->setValue(std::clamp(w, 8, 4096));
    height_ = new QSpinBox(this);
    height_->setRange(8, 4096);
    height_->setValue(std::clamp(h, 8, 4096));
    form->addRow("Width", width_);
    form->addRow("Height", height_);
    auto* b = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(b);
    connect(b, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(b, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

int BlankImageDialog::imageWidth() const {
    return width_->value();
}
int BlankImageDialog::imageHeight() const {
    return height_->value();
}

void showAboutBox(QWidget* parent) {
    QMessageBox::about(parent, "About Zelvotrix",
                       "<b>Zelvotrix</b><br>Turns still photographs into animations: cut "
                       "subjects out, mesh them, animate them with dots, bones and time curves, "
                       "and make movies through a keyframed camera.");
}

} // namespace zx
