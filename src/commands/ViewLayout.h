#pragma once
// How the main view is divided: the zoom level, the Animate view's panes and
// captions, and the 3D builder's three panes. The app paints what these say.

#include <string>
#include <string_view>
#include <vector>

namespace zx {

inline constexpr int kMinZoom = -4;
inline constexpr int kMaxZoom = 4;
inline constexpr int kCaptionHeight = 16;
inline constexpr unsigned kCaptionColour = 0xE0E0D0; // RGB (224, 224, 208) as 0xRRGGBB

int zoomIn(int level);  // +1, stopping at 4
int zoomOut(int level); // −1, stopping at −4
// The scale factor 2^level.
double zoomFactor(int level);
// Every how many pixels a preview is worked out at a zoom level: 1 at 100 % and
// above, 2 at 50 %, … (each screen pixel shows one).
int previewStep(int level);

enum class AnimateViewMode { Full = 0, StartImage = 1, CurrentFrame = 3 };

struct ViewRect {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const ViewRect&) const = default;
};

struct ViewPane {
    ViewRect picture; // where the picture is drawn (its top-left; size is the room it has)
    int captionX = 0; // where its caption starts in the strip above
    int captionY = 0; // the strip's top
    std::string caption;
    bool operator==(const ViewPane&) const = default;
};

struct ViewLayoutResult {
    std::vector<ViewRect> strips; // caption strips (and separators), caption colour
    std::vector<ViewPane> panes;
};

// What is selected in the Animate panel, for the captions.
struct CaptionState {
    std::string selectedObject; // name of the selected object, empty when none
    std::string selectedRegion; // name of the selected region when only a region is
    bool imageModified = false;
    bool mouseSelectLocked = false;
};

std::string startImageCaption(const CaptionState& s);
std::string currentFrameCaption(const CaptionState& s);

ViewLayoutResult animateViewLayout(AnimateViewMode mode, int width, int height,
                                   const CaptionState& captions);

// The 3D builder: two views side by side, the 3D preview centred below.
ViewLayoutResult builderViewLayout(int width, int height, std::string_view leftView,
                                   std::string_view rightView);

// The builder's view names, in the order the builder numbers them.
const std::vector<std::string>& builderViewNames();

} // namespace zx
