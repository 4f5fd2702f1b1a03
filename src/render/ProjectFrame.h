#pragma once
// renderProjectFrame: a frame of a project image, rendered the one way every part of
// the program renders one. The Animate view asks for the image's own frame at the
// image's size; the command line, Movie mode and the movie ask for the frame seen
// through the movie camera at the movie size, or at any other size (the framing
// follows the output, see frameWindow). Either view at any quality, lit by the
// project's Movie-panel light. The scene comes from loadImageScene; callers keep it
// as long as they like (a view until the image changes, a builder for every frame).

#include "anim/AnimationModel.h"
#include "platform/Status.h"
#include "render/CameraFrame.h"
#include "render/CameraTags.h"
#include "render/CancelFlag.h"
#include "render/RenderQuality.h"
#include "render/RenderScratch.h"
#include "storage/CameraValues.h"
#include "storage/RasterImage.h"

#include <optional>

namespace zx {

class Project;

enum class FrameView {
    Image, // the image's own frame, straight on, at the image's size
    Movie, // through the movie camera of that frame, at the movie size
};

struct ProjectFrameRequest {
    int image = 0;
    int frame = 0; // 0 … the image's duration; the duration is the end pose
    FrameView view = FrameView::Movie;
    RenderQuality quality = RenderQuality::Low;
    // Output size; 0 × 0 takes the movie size (Movie) or the image size (Image).
    int width = 0, height = 0;
    bool showBackground = true;
    bool showObjects = true;
    // The camera of a Movie frame when the caller keeps the movie's camera records
    // itself (the movie frame builder while tags are edited); otherwise the camera
    // values stored in the project.
    std::optional<CameraValues> camera;
};

// A frame of the whole movie as a frame of one image.
struct ImageFrame {
    int image = 0;
    int frame = 0;
};
// Where frame `movieFrame` of the movie lies (every frame of image 0 first, then
// those of image 1, …); none past the end.
std::optional<ImageFrame> locateMovieFrame(const Project& project, int movieFrame);

// The movie's camera records: one per frame of every image, with the camera values
// stored in the project (frame 0 tagged; untagged frames interpolated between tags).
MovieFrames projectMovieFrames(const Project& project, const FrameLayoutSettings& layout = {});

// How the movie's frames are laid out when the project's movie is shown or exported:
// at `quality`, with the Movie panel's background field and both layers shown.
FrameLayoutSettings movieFrameLayout(const Project& project, RenderQuality quality);

// The camera values the movie gives frame `frame` of image `image`. The end pose has
// no movie frame of its own and keeps the camera of the image's last frame; an image
// without frames sees through the camera at rest.
CameraValues movieCamera(const Project& project, int image, int frame);

// Refused, with the reason, when the project has no such image, the image no such
// frame, or the output size is not one a movie can have.
Status checkFrameRequest(const Project& project, const ProjectFrameRequest& request);

// The camera record a request is rendered through: output size (doubled at
// Maximum), camera, the image's canvas colour, the Movie panel's background field
// and the request's show flags.
Result<CameraFrame> projectCameraFrame(const Project& project, const ProjectFrameRequest& request);

// Gives the scene's render settings the light of the project's Movie panel, with
// smooth shading above Low.
void applyProjectLight(const Project& project, AnimationModel& scene, RenderQuality quality);

// The camera record `scene` renders the request through, with the scene's own picture
// size and the project's light applied to the scene: what renderSceneFrame needs to
// render the request away from the project (a spool worker keeps it for every frame).
Result<CameraFrame> sceneCameraFrame(const Project& project, AnimationModel& scene,
                                     const ProjectFrameRequest& request);

// Renders `scene` through a record from sceneCameraFrame at normalised time t: the
// picture renderProjectFrame gives for that time. Reads nothing but its arguments.
Result<RasterImage> renderSceneFrame(AnimationModel& scene, const CameraFrame& record, double t,
                                     CancelFlag cancel = nullptr, RenderScratch* scratch = nullptr);

// The normalised time of frame `frame` of image `image` (frame ÷ duration).
double imageFrameTime(const Project& project, int image, int frame);

// Renders the request with `scene`, the scene loadImageScene loaded for the request's
// image, after applyProjectLight. The picture is opaque, of the requested output
// size. Cancelled when `cancel` was set; a caller rendering many frames passes its
// own `scratch`. It reads the project, so it runs where the project may be read; a
// worker thread renders records that projectCameraFrame prepared there, with a scene
// lit there, through renderFrame.
Result<RasterImage> renderProjectFrame(const Project& project, AnimationModel& scene,
                                       const ProjectFrameRequest& request,
                                       CancelFlag cancel = nullptr,
                                       RenderScratch* scratch = nullptr);

} // namespace zx
