#pragma once
// Movie mode's picture: the project's movie frame builder, one worker per image building
// the frames in the background, and the movie frame shown, decoded from it. A frame no
// worker has built yet is rendered on the spot; one that cannot be rendered leaves the
// previous picture on screen. The frames are laid out anew whenever the movie they were
// laid out for changed (images, durations, movie size, frame rate, camera, light,
// quality or the layers shown).

#include "app/AppLayer.h"

#include "render/MovieFrameBuilder.h"
#include "render/RenderQuality.h"
#include "storage/CameraValues.h"
#include "storage/Project.h"

#include <QImage>
#include <QObject>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace zx {

class MainFrame;

class MovieModeView : public QObject {
    Q_OBJECT
public:
    explicit MovieModeView(MainFrame& frame);
    ~MovieModeView() override; // every worker has ended when it returns

    // The picture of movie frame `index` at the movie size (null before any frame
    // could be shown). The builder is laid out first when the movie changed.
    const QImage& picture(int index);
    // The same as an opaque raster, for the clipboard; none when it cannot be built.
    std::optional<RasterImage> frameImage(int index);
    // Something the frames show changed: lay them out again before the next picture.
    void invalidate();
    // Follows the mode: workers resume in Movie mode and are paused outside it.
    void followMode(AnimationMode mode);
    // Quits and joins every worker (the project is closed or the window goes).
    void shutDown();

    // The builder laid out for the project as it is now, workers building.
    MovieFrameBuilder& builder();
    bool running() const { return builder_ != nullptr; }
    // Frames the workers finished since the last layout, as the window heard of them.
    int framesBuilt() const { return framesBuilt_; }

signals:
    // Record `index` was built by a worker (delivered on the window's thread).
    void frameBuilt(int index);

private:
    // What the frames depend on, compared to notice a change nobody reported.
    struct MovieShape {
        const Project* project = nullptr;
        std::vector<std::pair<const ProjectImage*, int>> images; // and their durations
        int width = 0, height = 0, fps = 0;
        RenderQuality quality = RenderQuality::Low;
        bool showBackground = true, showObjects = true;
        MoviePanelWords light;
        std::optional<CameraValueBlock> cameras;
        bool operator==(const MovieShape&) const = default;
    };

    MovieShape currentShape() const;
    void layOut();
    void onFrameBuilt(int index);

    MainFrame& frame_;
    std::unique_ptr<MovieFrameBuilder> builder_;
    int generation_ = 0;              // of the layout; news of frames of an older one is dropped
    std::optional<MovieShape> shape_; // what the builder was laid out for
    bool paused_ = false;
    int framesBuilt_ = 0;
    int shownIndex_ = -1;  // the frame `shown_` is
    int wantedIndex_ = -1; // the frame last asked for
    QImage shown_;
};

} // namespace zx
