#pragma once
// The Text panel of Image Edit mode: "Text to display", its font ("Font...", "Bold",
// "Italic", "Underline"), colour and smoothing, and "APPLY". The text is drawn here with
// Qt's fonts into a picture whose alpha is its coverage; the panel's TextTool places it
// on the image and paints it.

#include "commands/ImageEditSelection.h"
#include "commands/TextTool.h"

#include <QFont>
#include <QGroupBox>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zx {

class ColourButton;

// The text in the font as coverage: alpha 255 where a glyph covers a pixel fully, none
// outside; antialiased edges with `smoothing`. Empty for empty text.
RasterImage drawTextCoverage(const QString& text, const QFont& font, bool smoothing);

class TextPanel : public QGroupBox {
    Q_OBJECT
public:
    // `selection` says whether the background is being edited.
    TextPanel(Workspace& workspace, const ImageEditSelection& selection, QWidget* parent);
    // Called after a change of the text, its settings or its place.
    std::function<void()> changed;
    // Called after "APPLY" recorded its step.
    std::function<void()> applied;
    // Called when the colour changes.
    std::function<void(PaintColour)> colourChanged;

    // The panel has the mouse: its page is shown and there is text. Off drops the
    // text's place; a change of the text or its settings while the page is shown puts
    // it on again.
    bool active() const { return active_ && !tool_.drawing().empty(); }
    void setActive(bool on);
    TextTool& tool() { return tool_; }
    const TextTool& tool() const { return tool_; }
    PaintColour colour() const;
    void setColour(PaintColour colour);
    void setText(const QString& text);
    void setFont(const QFont& font);
    QFont font() const;
    // "APPLY"; false when there was nothing to paint.
    bool apply();

private:
    void redraw();
    void report();

    TextTool tool_;
    const ImageEditSelection& selection_;
    bool active_ = false;
    QFont font_;
    QLineEdit* text_;
    QPushButton* fontButton_;
    QLabel* fontName_;
    QCheckBox* bold_;
    QCheckBox* italic_;
    QCheckBox* underline_;
    ColourButton* colour_;
    QCheckBox* smoothing_;
};

} // namespace zx
