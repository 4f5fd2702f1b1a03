#include "app/MovieModeView.h"

#include "app/ImageComposer.h"
#include "app/MainFrame.h"
#include "render/ProjectFrame.h"

namespace zx {

MovieModeView::MovieModeView(MainFrame& frame) : QObject(&frame), frame_(frame) {}

MovieModeView::~MovieModeView() {
    shutDown();
}

void MovieModeView::shutDown() {
    builder_.reset(); // stops, quits and joins every worker
    shape_.reset();
    shownIndex_ = -1;
    shown_ = QImage();
}

void MovieModeView::invalidate() {
    shape_.reset();
    shownIndex_ = -1;
}

MovieModeView::MovieShape MovieModeView::currentShape() const {
    const Project& project = frame_.project();
    MovieShape shape;
    shape.project = &project;
    for (int j = 0; j < project.imageCount(); ++j) {
        const ProjectImage* image = project.images.at(j);
        shape.images.emplace_back(image, image ? image->duration() : 0);
    }
    shape.width = project.movieWidth;
    shape.height = project.movieHeight;
    shape.fps = project.fps;
    shape.quality =
        renderQualityFromInt(frame_.settings().videoRender).value_or(RenderQuality::Medium);
    shape.showBackground = frame_.showBackground();
    shape.showObjects = frame_.showSubject();
    shape.light = project.movieWords;
    shape.cameras = project.cameraValues;
    return shape;
}

void MovieModeView::layOut() {
    shutDown();
    const Project& project = frame_.project();
    const MovieShape shape = currentShape();
    LibraryLoadOptions library;
    library.projectFolder = project.folder;
    builder_ = std::make_unique<MovieFrameBuilder>(std::move(library));
    const int generation = ++generation_;
    builder_->setBuiltHook([this, generation](int index) {
        QMetaObject::invokeMethod(
            this,
            [this, generation, index] {
                if (generation == generation_) onFrameBuilt(index);
            },
            Qt::QueuedConnection);
    });
    FrameLayoutSettings layout = movieFrameLayout(project, shape.quality);
    layout.showBackground = shape.showBackground ? 1 : 0;
    layout.showObjects = shape.showObjects ? 1 : 0;
    // A damaged animation record renders what was read; the loader has said so.
    (void)builder_->rebuildMovieFrameList(project, layout);
    builder_->buildAll(project);
    shape_ = shape;
    framesBuilt_ = 0;
}

MovieFrameBuilder& MovieModeView::builder() {
    if (!shape_ || !(*shape_ == currentShape())) layOut();
    return *builder_;
}

const QImage& MovieModeView::picture(int index) {
    MovieFrameBuilder& movie = builder();
    wantedIndex_ = index;
    if (index == shownIndex_) return shown_;
    if (const std::optional<RasterImage> raster =
            movie.getMovieFrameImage(frame_.project(), index)) {
        shown_ = toQImage(*raster);
        shownIndex_ = index;
    }
    return shown_;
}

std::optional<RasterImage> MovieModeView::frameImage(int index) {
    return builder().getMovieFrameImage(frame_.project(), index);
}

void MovieModeView::followMode(AnimationMode mode) {
    // Another project: the workers of the one closed go now.
    if (shape_ && shape_->project != &frame_.project()) shutDown();
    const bool movie = mode == AnimationMode::Movie;
    if (builder_ && movie && paused_) builder_->resumeAll();
    if (builder_ && !movie && !paused_) builder_->pauseAll();
    paused_ = !movie;
}

void MovieModeView::onFrameBuilt(int index) {
    ++framesBuilt_;
    // The frame asked for could not be shown before: it can now.
    if (index == wantedIndex_ && shownIndex_ != wantedIndex_) frame_.refreshView();
    emit frameBuilt(index);
}

} // namespace zx
