#pragma once
// The Image Align mode without windows: the transform waiting to be applied to the
// current image (a move kept in eighths of a pixel, one scale and a turn about the
// image's centre), the wizard's two align boxes and ALIGN, the manual tools "Shift",
// "Scale" and "Rotate" fed with pointer events in image pixels, and "Apply [Enter]" /
// "Reset [Esc]". The app's view and panel and the command-line `apply` drive it alike.
//
// An image is aligned to the image before it on the timeline; the first image is
// aligned to the second. ALIGN looks for the patch under each box in that reference
// near the same place (block matching, so the images must already be roughly
// aligned) and takes the similarity that moves the picture so that what lies under
// the boxes lands where the reference shows it. Read the other way, the map the
// resampling uses (aligned position to picture position) carries the two reference
// positions onto the two boxes.

#include "commands/ModePanel.h"
#include "commands/PointerEvent.h"
#include "imaging/SimilarityTransform.h"
#include "platform/Status.h"

#include <array>
#include <functional>
#include <optional>
#include <string_view>

namespace zx {

class Workspace;
class ProjectImage;
class RasterImage;

inline constexpr std::string_view kAlignTooSmallMessage =
    "Sorry, image is too small, min size = 192x192";
inline constexpr std::string_view kAlignBoxesTooCloseMessage = "Align boxes are too close";
inline constexpr std::string_view kApplyTransformQuestion = "Apply geometry transform?";
inline constexpr std::string_view kAlignNoReferenceMessage =
    "There is no other image on the timeline to align to";
inline constexpr std::string_view kAlignNoMatchMessage =
    "The align boxes cannot be found in the reference image";
inline constexpr std::string_view kAlignStepLabel = "Image Align";
inline constexpr int kAlignMinSide = 192;
inline constexpr int kAlignBoxInset = 64; // the boxes start this far in from two corners
inline constexpr int kAlignBoxHalf = 16;  // a box is 2·16 + 1 pixels square
inline constexpr int kAlignSearchRadius = 32;
inline constexpr int kEighths = 8;
inline constexpr double kAlignMinDistance = 0.00001;

enum class AlignTool { Shift, Scale, Rotate };
std::string_view alignToolName(AlignTool tool); // "Shift", "Scale", "Rotate"
std::optional<AlignTool> alignToolFromName(std::string_view name);

struct AlignTransform {
    int shiftX = 0, shiftY = 0; // eighths of a pixel
    double scale = 1;
    double degrees = 0; // clockwise on the screen

    bool identity() const { return *this == AlignTransform{}; }
    bool operator==(const AlignTransform&) const = default;
    // Where positions of a width x height image go: turned and scaled about its
    // centre, then moved.
    PixelMap map(int width, int height) const;
};

// An align box: the pixel at its centre, on the picture being aligned.
struct AlignBox {
    int x = 0, y = 0;
    bool operator==(const AlignBox&) const = default;
};

class ImageAlign : public ModePanel {
public:
    explicit ImageAlign(Workspace& workspace);

    // ---- the mode protocol: leaving with a pending transform asks "Apply geometry
    // transform?" (Yes applies, No drops it, Cancel stays) ------------------------------
    bool canLeave(Prompter& prompter) override;
    void leave() override;
    bool busy() const override { return drag_.has_value(); }
    void undo(const HistoryStep&) override { drop(); }
    void redo(const HistoryStep&) override { drop(); }
    void imageChanged() override { drop(); }

    // ---- the wizard ---------------------------------------------------------------
    // Puts the boxes in their corners; refused (and said) for an image below 192 x 192.
    Status openWizard();
    // "OK": the boxes go, the transform ALIGN found stays pending.
    void closeWizard();
    bool wizardOpen() const { return boxes_.has_value(); }
    const std::optional<std::array<AlignBox, 2>>& boxes() const { return boxes_; }
    Status align();
    // The image the current one is aligned to, or −1.
    int referenceImage() const;

    // ---- the transform ------------------------------------------------------------
    const AlignTransform& transform() const { return transform_; }
    void setTransform(const AlignTransform& t);
    bool pending() const { return !transform_.identity(); }
    // Where the current image's positions go under the transform.
    PixelMap pictureMap() const;
    // The pictures of all three layers resampled as one history step.
    Status apply();
    // Drops the transform.
    void reset();
    // One step of the chosen tool: an eighth of a pixel, a thousandth of the size or
    // a tenth of a degree each way.
    void nudge(int dx, int dy);
    // Enter applies, Escape resets; false for other keys.
    bool keyPress(EditorKey key);

    AlignTool tool() const { return tool_; }
    void setTool(AlignTool tool) { tool_ = tool; }

    // ---- the pointer, in image pixels of the view (which shows the transformed
    // picture): a press on a box drags it, elsewhere the chosen tool -----------------
    void pointerPress(const PointerEvent& e);
    void pointerMove(const PointerEvent& e);
    void pointerRelease(const PointerEvent& e);
    // The box under the position shown, or −1.
    int boxAt(double x, double y) const;

    // Run after every change the view and the panel must show.
    std::function<void()> changed;

private:
    struct Drag {
        int box = -1; // −1: the tool's drag
        PointF start;
        PointF grab; // the pointer's offset from the box, on the picture
        AlignTransform before;
    };
    ProjectImage* image() const;
    const RasterImage* picture(int index) const;
    void drop();
    void notify();
    void dragBox(const Drag& d, PointF at);
    void dragTool(const Drag& d, PointF at);
    // The box moved to a picture position, kept where its patch fits.
    AlignBox clampedBox(double x, double y) const;

    Workspace& workspace_;
    AlignTransform transform_;
    std::optional<std::array<AlignBox, 2>> boxes_;
    AlignTool tool_ = AlignTool::Shift;
    std::optional<Drag> drag_;
};

} // namespace zx
