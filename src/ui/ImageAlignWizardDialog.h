#pragma once
// "Image Align Wizard": a small window that stays open while the user drags the two
// align boxes in the view; "ALIGN" computes the transform, "OK" closes it with the
// transform kept for the panel's "Apply [Enter]" or "Reset [Esc]".

#include <QDialog>

class QPushButton;

namespace zx {

class ImageAlign;

class ImageAlignWizardDialog : public QDialog {
    Q_OBJECT
public:
    ImageAlignWizardDialog(ImageAlign& align, QWidget* parent = nullptr);
    QPushButton* alignButton() const { return align_; }

protected:
    // Closing by any means ends the wizard.
    void done(int result) override;

private:
    ImageAlign& engine_;
    QPushButton* align_;
};

} // namespace zx
