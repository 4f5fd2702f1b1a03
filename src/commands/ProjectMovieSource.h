#pragma once
// The frames of a project's movie for the movie export, the still export and the
// frame files of a render farm: movie frame i is frame k of image j (every frame of
// image 0 first), seen through the camera the movie gives it, rendered at the movie
// size with the project's light. The same frame comes out whatever frames were asked
// for before it, so frames rendered in separate runs put together make the same movie.
//
// Frames are built one after another on the calling thread, each image's scene loaded
// once and kept while its frames are asked for. The movie frame builder's
// BuilderFrameSource makes the same frames on worker threads.

#include "anim/AnimationModel.h"
#include "anim/LibraryFile.h"
#include "output/MovieFrameSource.h"
#include "render/CameraTags.h"
#include "render/RenderQuality.h"
#include "render/RenderScratch.h"

#include <memory>

namespace zx {

class Project;

struct ProjectMovieOptions {
    RenderQuality quality = RenderQuality::Medium; // the Movie preview quality setting
    bool showBackground = true;
    bool showObjects = true;
    // Workers that build each image's frames where the movie frame builder makes them
    // (export-movie, render-movie); this source itself builds on the calling thread.
    int workers = 1;
    // How the images' library objects are found (prompter, project folder, …).
    LibraryLoadOptions library;
};

class ProjectMovieSource : public MovieFrameSource {
public:
    // The project must stay unchanged while the source is used.
    ProjectMovieSource(const Project& project, ProjectMovieOptions options);
    ~ProjectMovieSource() override;

    int frameCount() const override;
    Result<RasterImage> frame(int index) override;
    bool switchToMaximumQuality() override;
    void restoreQuality() override;

    RenderQuality quality() const { return options_.quality; }

private:
    AnimationModel& sceneOf(int image);

    const Project& project_;
    ProjectMovieOptions options_;
    RenderQuality replacedQuality_ = RenderQuality::Medium;
    MovieFrames cameras_;
    int sceneImage_ = -1; // the image `scene_` holds
    std::unique_ptr<AnimationModel> scene_;
    RenderScratch scratch_;
};

} // namespace zx
