#pragma once
// The camera tags of Movie mode as engine operations on the movie frame list: the
// interpolation of untagged frames, the tag setters, the mouse and button arithmetic
// of the movie view, and the tag commands. Each editing operation returns what the
// caller records as its undo step (the label and the camera values as they were), or
// nothing when it changed nothing.

#include "render/CameraFrame.h"
#include "render/CameraTagKind.h"
#include "render/TagCurveShape.h"
#include "storage/CameraValues.h"

#include <optional>
#include <string>
#include <vector>

namespace zx {

class Project;

using MovieFrames = std::vector<CameraFrame>;

struct CameraTagStep {
    std::string label;
    CameraValueBlock before;     // every frame's camera values before the command
    TagCurveShapes shapesBefore; // the curve shapes before the command
};

inline constexpr double kMinRelativeDistance = 0.5, kMaxRelativeDistance = 20;

// --- frame list

// One record per frame of every image, in movie order, with the defaults of a new
// record; output size = movie size, doubled at Maximum.
MovieFrames layoutMovieFrames(const Project& project, const FrameLayoutSettings& settings);

// Index of frame `frame` of image `image` in the list, or −1.
int movieFrameIndex(const MovieFrames& frames, int image, int frame);

// The camera values of every frame, as the project file keeps them.
CameraValueBlock snapshotCameraValues(const MovieFrames& frames);
// Puts stored camera values back (as many records as both have; values that are not
// numbers take the defaults), then gives frame 0 its tags and interpolates.
void applyCameraValues(MovieFrames& frames, const CameraValueBlock& block,
                       const TagCurveShapes& shapes);

// What entering Movie mode does: frame 0 always carries all four tags; without any it
// gets zoom 1, look-at (0, 0), turn and tilt 0 and relative distance 4.
void ensureFirstFrameTags(MovieFrames& frames);

// Recomputes the values of every untagged frame from the tags around it; frames whose
// values change lose their coded picture. Returns the indices of the changed frames.
std::vector<int> interpolateCameraTags(MovieFrames& frames, const TagCurveShapes& shapes);

// Drops a frame's coded picture; a first frame takes those of its image's later frames
// with it, since they are coded against it.
void invalidateFrame(MovieFrames& frames, int index);

// --- tag setters on frame f (angles in degrees)

std::optional<CameraTagStep> setLookAtTag(MovieFrames& frames, const TagCurveShapes& shapes, int f,
                                          double x, double y);
std::optional<CameraTagStep> setOrbitTag(MovieFrames& frames, const TagCurveShapes& shapes, int f,
                                         double turnDegrees, double tiltDegrees);
std::optional<CameraTagStep> setZoomTag(MovieFrames& frames, const TagCurveShapes& shapes, int f,
                                        double zoom);
std::optional<CameraTagStep> setDistanceTag(MovieFrames& frames, const TagCurveShapes& shapes,
                                            int f, double relativeDistance);

// --- mouse drags (dx, dy since the button went down; start values from that moment)

struct LookAtPoint {
    double x = 0, y = 0;
};
struct OrbitAngles {
    double turnDegrees = 0, tiltDegrees = 0;
};
LookAtPoint dragLookAt(LookAtPoint start, double dx, double dy, double zoom);
OrbitAngles dragOrbit(OrbitAngles start, double dx, double dy);
double dragZoom(double start, double dy);          // 0.001 … 20
double dragDolly(double startRelative, double dx); // 0.5 … 20

// --- buttons

double zoomInValue(double zoom);               // × 1.01, at most 20
double zoomOutValue(double zoom);              // × 0.990099, at least 0.001
double dollyInValue(double relativeDistance);  // × 0.990099, at least 0.5
double dollyOutValue(double relativeDistance); // × 1.01, at most 20

enum class ArrowDirection { Left, Right, Up, Down };
// Look-at moves by a 64th of the image width (across) or height (up and down).
LookAtPoint arrowLookAt(LookAtPoint p, ArrowDirection d, int imageWidth, int imageHeight);
// Turn or tilt changes by one degree.
OrbitAngles arrowOrbit(OrbitAngles a, ArrowDirection d);

// "Reset Zoom", "Reset Camera Distance", "Look At Image Center", "Reset Move Camera".
std::optional<CameraTagStep> resetZoom(MovieFrames& frames, const TagCurveShapes& shapes, int f);
std::optional<CameraTagStep> resetCameraDistance(MovieFrames& frames, const TagCurveShapes& shapes,
                                                 int f);
std::optional<CameraTagStep> lookAtImageCenter(MovieFrames& frames, const TagCurveShapes& shapes,
                                               int f);
std::optional<CameraTagStep> resetMoveCamera(MovieFrames& frames, const TagCurveShapes& shapes,
                                             int f);

// --- tag commands

std::optional<CameraTagStep> copyPreviousTag(MovieFrames& frames, const TagCurveShapes& shapes,
                                             int f);
std::optional<CameraTagStep> eraseTag(MovieFrames& frames, const TagCurveShapes& shapes, int f);
std::optional<CameraTagStep> eraseAllTags(MovieFrames& frames, const TagCurveShapes& shapes);
// The "Look At", "Move Cam", "Zoom" and "Cam Dist" check boxes (frames after the
// first only).
std::optional<CameraTagStep> setTagBit(MovieFrames& frames, const TagCurveShapes& shapes, int f,
                                       CameraTagKind kind, bool on);
// The "Camera Control - Curve Shapes" dialog: step "Tags curves shapes".
std::optional<CameraTagStep> setTagCurveShape(MovieFrames& frames, TagCurveShapes& shapes,
                                              CameraTagKind kind, TagCurveShape shape);

} // namespace zx
