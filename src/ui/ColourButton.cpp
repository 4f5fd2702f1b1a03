#include "ui/ColourButton.h"

#include "ui/QtText.h"

#include <QColorDialog>

namespace zx {

ColourButton::ColourButton(QWidget* parent) : QPushButton(parent) {
    setText(qtText(colour_.text()));
    connect(this, &QPushButton::clicked, this, [this] {
        const QColor picked = QColorDialog::getColor(
            QColor(colour_.red(), colour_.green(), colour_.blue()), this, "Color");
        if (picked.isValid())
            setColour(PaintColour::rgb(picked.red(), picked.green(), picked.blue()));
    });
}

void ColourButton::setColour(PaintColour colour) {
    if (colour == colour_) return;
    colour_ = colour;
    setText(qtText(colour.text()));
    if (changed) changed(colour);
}

} // namespace zx
