#pragma once
// The hand tools of Image Edit mode as a state machine fed with pointer events in
// image coordinates: press and drag apply the tool at every pixel the pointer
// passes, release records one history step named after the tool. The view paints
// the area `changed()` reports. Shapes and text arrive already drawn, as coverage to
// paint in a colour or as a picture to lay over the image.

#include "commands/ImageEditStep.h"
#include "imaging/PaintTools.h"
#include "platform/Status.h"

#include <memory>
#include <optional>
#include <string_view>

namespace zx {

// "Eraser", "Revealer", "Brush/Pencil", "Paint Bucket", "Blur".
enum class PaintTool : int { Eraser = 0, Revealer = 1, Brush = 2, Bucket = 3, Blur = 4 };

// The panel's settings, with its defaults.
struct PaintSettings {
    PaintTool tool = PaintTool::Eraser;
    BrushShape shape = BrushShape::SolidSquare;
    int size = 12;
    int flow = 50; // the bucket's "Tolerance"
    int featherIndex = 1;
    BrushMode mode = BrushMode::Normal;
    bool applyToMask = true;
    PaintColour colour;
    bool background = false; // the background picture is being edited
};

struct PaintHistoryName {
    static constexpr std::string_view SubjectErase = "Subject Erase Tool";
    static constexpr std::string_view SubjectMaskErase = "Subject Mask Erase Tool";
    static constexpr std::string_view BackgroundErase = "Background Erase Tool";
    static constexpr std::string_view Reveal = "Reveal Tool";
    static constexpr std::string_view Brush = "Brush Tool";
    static constexpr std::string_view Fill = "Fill Tool";
    static constexpr std::string_view Blur = "Blur Tool";
    static constexpr std::string_view Shape = "Shape";
    static constexpr std::string_view Text = "Text";
};

// The history name of a stroke with these settings.
std::string paintHistoryName(const PaintSettings& settings);

// The status line of the hand tools: "Click on image to select color" while picking,
// the bucket's and the other tools' prompts otherwise.
std::string_view paintPrompt(const PaintSettings& settings, bool picking);

class PaintStroke {
public:
    PaintStroke(Project& project, int image, PaintSettings settings);

    // Starts a stroke at (x, y); false when the tool cannot work here (no picture,
    // the Revealer on the background).
    bool press(int x, int y);
    // Applies the tool along the way from the last position (the bucket ignores moves).
    void move(int x, int y);
    // Ends the stroke and records its step; false when it changed nothing.
    bool release();
    bool active() const { return recorder_ != nullptr; }
    // The pixels changed since the press (for the view to repaint).
    const PixelRect& changed() const { return changed_; }

private:
    void apply(int x, int y);
    bool editsMask() const;

    Project& project_;
    int image_;
    PaintSettings settings_;
    BrushKernel kernel_;
    std::unique_ptr<ImageEditRecorder> recorder_;
    int lastX_ = 0, lastY_ = 0;
    PixelRect changed_;
};

// A shape or text as coverage, painted in the colour the brush's way over the
// selection of the image's subject (or background) and recorded as one step named
// `name` (PaintHistoryName::Shape or Text); false when it changed no pixel.
bool paintDrawing(Project& project, int image, const Coverage& drawing, PaintColour colour,
                  bool background, std::string_view name);

// A shape or text already drawn into a picture, laid "over" the picture being edited
// with its top-left corner at (left, top); `name` is PaintHistoryName::Shape or Text.
Status applyDrawnPicture(Project& project, int image, const RasterImage& drawn, int left, int top,
                         bool background, std::string_view name);

} // namespace zx
