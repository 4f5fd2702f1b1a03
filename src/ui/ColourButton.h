#pragma once
// A button showing a paint colour as its red, green and blue values; a click opens the
// colour dialog and a colour picked there becomes the button's.

#include "imaging/PaintTools.h"

#include <QPushButton>

#include <functional>

namespace zx {

class ColourButton : public QPushButton {
    Q_OBJECT
public:
    explicit ColourButton(QWidget* parent);
    PaintColour colour() const { return colour_; }
    // A colour other than the button's becomes its colour and is reported.
    void setColour(PaintColour colour);
    // Called when the colour changes.
    std::function<void(PaintColour)> changed;

private:
    PaintColour colour_;
};

} // namespace zx
