#include "ui/ImageAlignWizardDialog.h"

#include "commands/ImageAlign.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zx {

ImageAlignWizardDialog::ImageAlignWizardDialog(ImageAlign& align, QWidget* parent)
    : QDialog(parent), engine_(align) {
    setWindowTitle("Image Align Wizard");
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    auto* warning = new QLabel("WARNING: Images should already be roughly aligned!", this);
    warning->setStyleSheet("font-weight: bold;");
    layout->addWidget(warning);
    layout->addWidget(new QLabel("Drag the two boxes to contrasted areas of images which should "
                                 "match",
                                 this));
    layout->addWidget(new QLabel("and press ALIGN, press OK when done.", this));
    align_ = new QPushButton("ALIGN", this);
    layout->addWidget(align_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addWidget(buttons);
    connect(align_, &QPushButton::clicked, this, [this] { (void)engine_.align(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

void ImageAlignWizardDialog::done(int result) {
    if (engine_.wizardOpen()) engine_.closeWizard();
    QDialog::done(result);
}

} // namespace zx
