#include "output/BuilderFrameSource.h"

#include <chrono>
#include <string>
#include <thread>

namespace zx {

namespace {
// How often the export looks whether the workers have built the frame it waits for.
constexpr std::chrono::milliseconds kWorkerPoll{1};
} // namespace

BuilderFrameSource::BuilderFrameSource(const Project& project, MovieFrameBuilder& builder)
    : project_(project), builder_(builder) {}

BuilderFrameSource::~BuilderFrameSource() {
    if (paused_) builder_.resumeAll();
}

void BuilderFrameSource::allFramesTaken() {
    if (!paused_) builder_.pauseAll();
    paused_ = true;
}

int BuilderFrameSource::frameCount() const {
    return builder_.frames().size();
}

Result<RasterImage> BuilderFrameSource::frame(int index) {
    if (index < 0 || index >= frameCount())
        return Status::refused("the movie has no frame " + std::to_string(index));
    startBuilding(builder_.frames()[index]);
    awaitWorkers(index);
    std::optional<RasterImage> picture = builder_.getMovieFrameImage(project_, index);
    if (!picture)
        return Status::failed("movie frame " + std::to_string(index) + " could not be rendered");
    return std::move(*picture);
}

bool BuilderFrameSource::switchToMaximumQuality() {
    if (builder_.layout().quality == RenderQuality::Maximum) return false;
    replaced_ = builder_.layout().quality;
    relayout(RenderQuality::Maximum); // the workers start as the export reaches them
    return true;
}

void BuilderFrameSource::restoreQuality() {
    relayout(replaced_);
    builder_.buildAll(project_);
}

void BuilderFrameSource::relayout(RenderQuality quality) {
    FrameLayoutSettings layout = builder_.layout();
    layout.quality = quality;
    (void)builder_.rebuildMovieFrameList(project_, layout);
}

// While the image's workers build the frame, it is theirs to make: a frame made here
// would hold them all (they are paused meanwhile) and render on one thread.
void BuilderFrameSource::awaitWorkers(int index) {
    const CameraFrame& record = builder_.frames()[index];
    const BuilderEntry* e = builder_.entry(record.imageIndex);
    if (!e || (record.frameIndex != 0 && record.frameIndex < e->from)) return;
    while (!builder_.frames().coded(index) && builder_.imageBuilding(record.imageIndex))
        std::this_thread::sleep_for(kWorkerPoll);
}

void BuilderFrameSource::startBuilding(const CameraFrame& record) {
    const int image = record.imageIndex;
    if (const BuilderEntry* e = builder_.entry(image); e && e->idle)
        builder_.buildImage(project_, image, record.frameIndex);
    if (const BuilderEntry* next = builder_.entry(image + 1);
        next && next->idle && builder_.imageBuilt(image, record.frameIndex))
        builder_.buildImage(project_, image + 1);
}

} // namespace zx
