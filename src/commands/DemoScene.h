#pragma once
// The built-in demo animation: a photograph turned into a moving picture the way a
// user would do it, by the engine's own tools. Two elliptical selections cut the
// subjects out (the upper middle, where a portrait has its head, and the upper right);
// the selections become the mask; each region becomes an object with its mesh, the
// first inflated to a 3D volume by the shape builder. The head gets two user dots
// joined by a bone, the upper dot swaying on a drawn trajectory, so the head rocks on
// its neck; the right-hand subject gets one dot that lifts it and sets it down again
// under a smooth forward-and-reverse time curve. The holes the subjects leave are
// filled from their surroundings into the background layer, so that what moves
// uncovers wall rather than a copy of itself.
//
// `zelvotrix-cli demo`, the bundled sample project, the System Information speed
// test and the tests all build it through these functions.

#include "storage/Project.h"
#include "storage/ProjectImage.h"
#include "storage/RasterImage.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

class AnimationModel;
class Prompter;
class Progress;
struct Settings;

inline constexpr std::string_view kDemoPictureName = "[Demo]";
inline constexpr std::string_view kDemoPictureTooSmall =
    "The demo needs a picture of at least 16 x 16 pixels";
inline constexpr std::string_view kDemoNothingToAnimate =
    "The demo found nothing to animate in this picture";

// Where the demo cuts, as fractions of the picture's size (centre and radii of each
// ellipse). Chosen for a portrait with an object standing to the right, as in the
// bundled astronaut photograph; any other picture still gets two moving pieces.
struct DemoEllipse {
    double cx, cy, rx, ry;
};
inline constexpr DemoEllipse kDemoHead = {0.44, 0.20, 0.16, 0.18};
inline constexpr DemoEllipse kDemoSide = {0.80, 0.27, 0.11, 0.27};

struct DemoOptions {
    int durationFrames = 90;
    int meshDefinition = 1;    // 0 low, 1 medium, 2 high
    bool fixedBones = true;    // the bone keeps its length in 3D, else it is elastic
    bool smoothAction = false; // the dots get the smooth-action flag
    double swayDegrees = 12;
    double liftFraction = 0.30; // of the picture's height
};

// The slots of the demo's objects in the image's animation, −1 when missing.
struct DemoObjects {
    int head = -1; // 3D, two dots and a bone
    int side = -1; // flat, one dot
};

// A picture to animate when the user gives none: a sky, a sun where a portrait has
// its head, a rocket on the right and green ground. Deterministic.
RasterImage demoPicture(int width = 512, int height = 384);

// Cuts the demo's two subjects out of the image's subject picture: both ellipses
// selected, the mask set to their inside (feathered by one pixel), the background
// layer filled with the surroundings where they were. False for an image without a
// subject picture.
bool cutDemoSubjects(ProjectImage& image);

// Fills every pixel where `region` (same size) is non-zero from the pixels left and
// right of it on its row, then softens the fill vertically so the rows do not show.
void fillFromSurroundings(RasterImage& picture, const std::vector<uint8_t>& region);

// Builds the animation of a cut image into `model` (which it prepares from the
// image): the objects with their meshes, dots, bone, trajectories and time curves.
// Returns the slots; both −1 when the regions gave no objects.
DemoObjects animateDemoImage(const ProjectImage& image, AnimationModel& model,
                             const DemoOptions& options, Progress* progress, Prompter& prompter);

// The whole demo image from a photograph: imported as a new image, cut, animated, its
// animation record written. None when the picture is unusable or nothing could be
// meshed (the prompter has said why).
std::unique_ptr<ProjectImage> buildDemoImage(const RasterImage& photo, const std::string& name,
                                             const DemoOptions& options, Progress* progress,
                                             Prompter& prompter);

// A demo project: the demo image made from the first picture, then the further
// pictures as plain images; it opens in Animate mode on the demo image. The regions,
// bones and dots follow the settings' defaults for new ones (mesh definition, fixed
// length bones, smooth action).
struct DemoPicture {
    RasterImage picture;
    std::string name;
};
std::unique_ptr<Project> buildDemoProject(const std::vector<DemoPicture>& pictures,
                                          const Settings& settings, Progress* progress,
                                          Prompter& prompter);

// ---- the processor speed test of "System Information" -------------------------------

// Renders the demo animation frame after frame into a 1024 × 768 picture. The score
// is the number of frames per second at Medium quality; `PCSpeed` keeps it in
// hundredths. Below kSlowFramesPerSecond (SystemCheck.h) playback of a full-screen
// movie would stutter, and the dialog says "Animation may be slow...".
class RenderSpeedTest {
public:
    using Clock = std::function<double()>; // seconds, monotonic
    explicit RenderSpeedTest(Clock clock = {});
    ~RenderSpeedTest();

    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;
    static constexpr int kFrames = 12;       // frames rendered at most
    static constexpr double kMaxSeconds = 3; // or until this much time has been spent

    // Renders the next frame (building the scene first); false once the test is over.
    bool step();
    bool finished() const { return finished_; }
    int framesRendered() const { return frames_; }
    // Frames per second over the frames rendered (0 before the first).
    double framesPerSecond() const;
    // The stored form of the score.
    static int pcSpeed(double framesPerSecond);

private:
    Clock clock_;
    std::unique_ptr<AnimationModel> scene_;
    int duration_ = 1;
    int frames_ = 0;
    double seconds_ = 0;
    bool finished_ = false;
};

} // namespace zx
