#include "render/FrameSpool.h"

#include "render/ImageScene.h"
#include "render/ProjectFrame.h"
#include "storage/Project.h"

#include <algorithm>
#include <string_view>

namespace zx {

namespace {

uint64_t mix(uint64_t seed, uint64_t value) {
    return seed ^ (value + 0x9E3779B97F4A7C15ull + (seed << 6) + (seed >> 2));
}

// A fingerprint of what the image's pictures hold: enough to tell an edit from the
// same pictures submitted again without keeping a second copy of every layer.
uint64_t picturesFingerprint(const ProjectImage& image) {
    uint64_t seed = mix(uint64_t(image.width()), uint64_t(image.height()));
    for (int i = 0; i < image.layerCount(); ++i) {
        const RasterImage* picture = image.layerPicture(i);
        if (!picture) {
            seed = mix(seed, 0);
            continue;
        }
        const std::vector<uint32_t>& words = picture->pixelVector();
        const std::string_view bytes(reinterpret_cast<const char*>(words.data()),
                                     words.size() * sizeof(uint32_t));
        seed = mix(mix(seed, uint64_t(picture->width()) << 32 | uint32_t(picture->height())),
                   std::hash<std::string_view>{}(bytes));
    }
    return seed;
}

int spoolFrameCount(const ProjectImage& image) {
    return std::max(0, image.duration()) + 1;
}

} // namespace

FrameSpool::FrameSpool(Options options) : options_(std::move(options)) {}

FrameSpool::~FrameSpool() {
    stopAll();
}

const SpoolEntry* FrameSpool::entry(int image) const {
    return image >= 0 && image < entryCount() ? entries_[size_t(image)].get() : nullptr;
}

SpoolEntry& FrameSpool::ensureEntry(int image) {
    auto make = [this](int index) {
        SpoolEntry::FrameWritten hook;
        if (options_.frameWritten)
            hook = [written = options_.frameWritten, index](int frame) { written(index, frame); };
        return std::make_unique<SpoolEntry>(std::move(hook));
    };
    while (entryCount() <= image) entries_.push_back(make(entryCount()));
    std::unique_ptr<SpoolEntry>& e = entries_[size_t(image)];
    if (e->ended()) e = make(image); // stopped on its own: a new job needs a new worker
    return *e;
}

SpoolSource FrameSpool::sourceOf(const Project& project, int image, RenderQuality quality) const {
    const ProjectImage& projectImage = project.images[image];
    SpoolSource source;
    source.animation = projectImage.animation;
    source.pictures = picturesFingerprint(projectImage);
    source.frameCount = spoolFrameCount(projectImage);
    source.quality = quality;
    source.light = project.movieWords;
    return source;
}

void FrameSpool::submit(const Project& project, int image, RenderQuality quality) {
    if (!active_ || !project.images.at(image)) return;
    SpoolEntry& e = ensureEntry(image);
    SpoolSource source = sourceOf(project, image, quality);
    if (e.source == source) return;
    e.cancel();
    SpoolJob job = animatedJob(project, image, quality);
    if (job.empty()) job = stillJob(project.images[image]);
    start(e, std::move(job), std::move(source));
}

// The scene and the camera record of the image's own frames; an empty job when the
// image has no animated objects or its frames cannot be rendered.
SpoolJob FrameSpool::animatedJob(const Project& project, int image, RenderQuality quality) const {
    const ProjectImage& projectImage = project.images[image];
    SpoolJob job;
    if (!projectImage.animation || projectImage.animation->empty()) return job;
    auto scene = std::make_unique<AnimationModel>();
    LibraryLoadOptions library = options_.library;
    if (library.projectFolder.empty()) library.projectFolder = project.folder;
    (void)loadImageScene(projectImage, *scene, library); // a damaged record shows what it holds
    if (scene->objectCount == 0) return job;
    ProjectFrameRequest request;
    request.image = image;
    request.view = FrameView::Image;
    request.quality = quality;
    Result<CameraFrame> record = sceneCameraFrame(project, *scene, request);
    if (!record) return job;
    const int factor = quality == RenderQuality::Maximum ? 2 : 1;
    job.width = record->width / factor;
    job.height = record->height / factor;
    job.record = std::move(record).value();
    job.scene = std::move(scene);
    job.frameCount = spoolFrameCount(projectImage);
    return job;
}

SpoolJob FrameSpool::stillJob(const ProjectImage& image) const {
    SpoolJob job;
    if (options_.stillPicture) {
        job.still = options_.stillPicture(image);
    } else if (const RasterImage* subject = image.layerPicture(kSubjectLayer)) {
        job.still = *subject;
    }
    if (!job.still || job.still->empty() || job.still->isDescriptor()) {
        job.still.reset();
        return job;
    }
    job.width = job.still->width();
    job.height = job.still->height();
    job.frameCount = spoolFrameCount(image);
    return job;
}

// With the worker idle: takes the job, makes the file if the entry has none and wakes
// the worker. Without a file the job stays undone and reads find nothing.
void FrameSpool::start(SpoolEntry& e, SpoolJob job, SpoolSource source) {
    e.job = std::move(job);
    e.source = std::move(source);
    e.reference.reset();
    if (!e.file) {
        if (Result<std::unique_ptr<SpoolFile>> file = SpoolFile::create(options_.folder))
            e.file = std::move(file).value();
    }
    if (e.file) e.file->restart(e.job.frameCount);
    e.wake();
}

void FrameSpool::resizeAll(const Project& project) {
    if (!active_) return;
    for (int i = 0; i < std::min(entryCount(), project.imageCount()); ++i) {
        SpoolEntry& e = *entries_[size_t(i)];
        const int frameCount = spoolFrameCount(project.images[i]);
        if (e.ended() || e.job.empty() || e.job.frameCount == frameCount) continue;
        e.cancel();
        e.job.frameCount = frameCount;
        if (e.job.scene) e.job.scene->lastFrameIndex = std::max(1, frameCount - 1);
        if (e.source) e.source->frameCount = frameCount;
        if (e.file) e.file->restart(frameCount);
        e.reference.reset();
        e.wake();
    }
}

bool FrameSpool::isComplete(int image) {
    if (image < 0) return false;
    return ensureEntry(image).complete();
}

bool FrameSpool::isAnimated(int image) const {
    const SpoolEntry* e = entry(image);
    return e && e->job.scene;
}

const RasterImage* FrameSpool::referenceFrame(SpoolEntry& e, uint64_t generation) {
    if (e.reference && e.referenceGeneration == generation) return &*e.reference;
    e.reference.reset();
    Result<SpoolBytes> first = e.file->read(0, e.job.frameCount);
    if (!first || first->generation != generation) return nullptr;
    e.reference = unpackImage(first->bytes);
    e.referenceGeneration = generation;
    return e.reference ? &*e.reference : nullptr;
}

std::optional<RasterImage> FrameSpool::getFrame(int image, int frame) {
    SpoolEntry* e = image >= 0 && image < entryCount() ? entries_[size_t(image)].get() : nullptr;
    if (!e || !e->file || e->job.empty()) return std::nullopt;
    Result<SpoolBytes> coded = e->file->read(frame, e->job.frameCount);
    if (!coded) return std::nullopt;
    std::optional<RasterImage> picture;
    if (frame == 0) {
        picture = unpackImage(coded->bytes);
    } else if (const RasterImage* reference = referenceFrame(*e, coded->generation)) {
        picture = unpackImage(coded->bytes, reference);
    }
    if (!picture || picture->width() != e->job.width || picture->height() != e->job.height)
        return std::nullopt;
    return picture;
}

SpoolProgress FrameSpool::progress() const {
    SpoolProgress progress;
    for (const auto& e : entries_) {
        progress.frames += e->job.frameCount;
        progress.framesDone += e->framesDone();
        progress.complete = progress.complete && (e->complete() || e->job.empty());
    }
    return progress;
}

void FrameSpool::cancel(int image) {
    if (image >= 0 && image < entryCount()) entries_[size_t(image)]->cancel();
}

void FrameSpool::stop(int image) {
    if (image >= 0 && image < entryCount()) entries_[size_t(image)]->stop();
}

void FrameSpool::stopAll() {
    // A worker drops its job within a row of rendering or a piece of writing, so each
    // stop returns promptly.
    for (auto& e : entries_) e->stop();
    entries_.clear();
}

} // namespace zx
