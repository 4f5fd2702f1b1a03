#pragma once
// Small dialogs: the size of a blank image, and the about box.

#include <QDialog>

class QSpinBox;

namespace zx {

class BlankImageDialog : public QDialog {
    Q_OBJECT
public:
    BlankImageDialog(int width, int height, QWidget* parent = nullptr);
    int imageWidth() const;
    int imageHeight() const;

private:
    QSpinBox* width_;
    QSpinBox* height_;
};

void showAboutBox(QWidget* parent);

} // namespace zx
