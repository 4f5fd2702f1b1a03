#include "render/MovieFrameBuilder.h"

#include "render/FrameRenderer.h"
#include "render/ImageScene.h"
#include "render/ProjectFrame.h"
#include "storage/Project.h"

#include <algorithm>

namespace zx {

namespace {

// Clears a flag when leaving the scope it guards.
struct ReentryGuard {
    bool& flag;
    explicit ReentryGuard(bool& f) : flag(f) { flag = true; }
    ~ReentryGuard() { flag = false; }
};

} // namespace

MovieFrameBuilder::MovieFrameBuilder(LibraryLoadOptions library, int workersPerImage)
    : library_(std::move(library)), lanes_(std::max(1, workersPerImage)) {}

MovieFrameBuilder::~MovieFrameBuilder() {
    destroyAll();
}

// The workers of image j are entries j × lanes … j × lanes + lanes − 1.
BuilderEntry* MovieFrameBuilder::entry(int image, int lane) {
    if (image < 0 || lane < 0 || lane >= lanes_ || image >= entryCount()) return nullptr;
    return entries_[size_t(image) * size_t(lanes_) + size_t(lane)].get();
}

BuilderEntry& MovieFrameBuilder::ensureEntry(int image, int lane) {
    while (entryCount() <= image) {
        auto e = std::make_unique<BuilderEntry>(list_);
        e->lane = int(entries_.size()) % lanes_;
        e->lanes = lanes_;
        e->setBuiltHook(built_);
        entries_.push_back(std::move(e));
    }
    return *entry(image, lane);
}

// Only idle workers take the hook: a building one reads it.
void MovieFrameBuilder::setBuiltHook(BuilderEntry::BuiltHook hook) {
    built_ = std::move(hook);
    for (auto& e : entries_)
        if (e->idle) e->setBuiltHook(built_);
}

void MovieFrameBuilder::post(int image, BuilderCommand command) {
    for (int lane = 0; lane < lanes_; ++lane)
        if (BuilderEntry* e = entry(image, lane)) e->post(command, image);
}

void MovieFrameBuilder::applyRenderSettings(const Project& project, BuilderEntry& entry,
                                            RenderQuality quality) {
    if (entry.scene) applyProjectLight(project, *entry.scene, quality);
}

Status MovieFrameBuilder::rebuildMovieFrameList(const Project& project,
                                                const FrameLayoutSettings& layout) {
    for (int j = 0; j < entryCount(); ++j) stopImage(j);
    layout_ = layout;
    list_.assign(makeMovieFrameList(project, layout));
    Status status = Status::ok();
    for (int j = 0; j < project.imageCount(); ++j) {
        if (!project.images.at(j)) continue;
        if (Status s = prepareImage(project, j); !s && status) status = s;
        const AnimationModel& scene = *entry(j)->scene;
        for (int i = list_.firstFrame(j); i < list_.size() && list_[i].imageIndex == j; ++i) {
            list_[i].imageWidth = scene.startWidth;
            list_[i].imageHeight = scene.startHeight;
        }
    }
    return status;
}

Status MovieFrameBuilder::prepareImage(const Project& project, int image) {
    ensureEntry(image, 0);
    stopImage(image);
    const ProjectImage* projectImage = project.images.at(image);
    if (!projectImage) return Status::refused("there is no image " + std::to_string(image));
    Status status = Status::ok();
    for (int lane = 0; lane < lanes_; ++lane) {
        BuilderEntry& e = *entry(image, lane);
        e.scene = std::make_unique<AnimationModel>();
        status = loadImageScene(*projectImage, *e.scene, library_);
        e.frameCount = std::max(0, projectImage->duration());
        applyRenderSettings(project, e, layout_.quality);
    }
    return status;
}

void MovieFrameBuilder::stopImage(int image) {
    for (int lane = 0; lane < lanes_; ++lane) {
        BuilderEntry* e = entry(image, lane);
        if (!e || e->idle) continue;
        e->post(BuilderCommand::Stop, image);
        e->idle = true;
    }
}

void MovieFrameBuilder::buildAll(const Project& project, const FrameLayoutSettings& layout) {
    layout_.backgroundField = layout.backgroundField;
    layout_.showBackground = layout.showBackground;
    layout_.showObjects = layout.showObjects;
    layout_.quality = layout.quality;
    buildAll(project);
}

void MovieFrameBuilder::buildAll(const Project& project) {
    for (int image = 0; image < std::min(entryCount(), list_.imageCount()); ++image)
        buildImage(project, image);
}

void MovieFrameBuilder::buildImage(const Project& project, int image, int fromFrame) {
    if (image < 0 || image >= std::min(entryCount(), list_.imageCount())) return;
    if (!entry(image)->scene) return;
    // A running worker reads the records and its scene: hold it while they change.
    std::vector<BuilderEntry*> running;
    for (int lane = 0; lane < lanes_; ++lane)
        if (BuilderEntry* e = entry(image, lane); !e->idle) running.push_back(e);
    for (BuilderEntry* e : running) e->post(BuilderCommand::Pause, image);
    bool unbuilt = false;
    for (int i = list_.firstFrame(image); i < list_.size() && list_[i].imageIndex == image; ++i) {
        if (list_.coded(i)) continue;
        CameraFrame& record = list_[i];
        record.backgroundField = layout_.backgroundField;
        record.showBackground = layout_.showBackground;
        record.showObjects = layout_.showObjects;
        record.quality = int32_t(layout_.quality);
        unbuilt = true;
    }
    for (int lane = 0; unbuilt && lane < lanes_; ++lane)
        applyRenderSettings(project, *entry(image, lane), layout_.quality);
    for (BuilderEntry* e : running) e->post(BuilderCommand::Resume, image);
    for (int lane = 0; unbuilt && lane < lanes_; ++lane) {
        BuilderEntry& e = *entry(image, lane);
        e.from = fromFrame;
        e.post(BuilderCommand::Build, image);
        e.idle = false;
    }
}

bool MovieFrameBuilder::imageBuilding(int image) {
    for (int lane = 0; lane < lanes_; ++lane) {
        const BuilderEntry* e = entry(image, lane);
        if (e && (e->state() == WorkerState::Running || e->state() == WorkerState::Resumed))
            return true;
    }
    return false;
}

bool MovieFrameBuilder::imageBuilt(int image, int fromFrame) const {
    if (image < 0 || image >= list_.imageCount()) return false;
    for (int i = list_.firstFrame(image); i < list_.size() && list_[i].imageIndex == image; ++i)
        if (list_[i].frameIndex >= fromFrame && !list_.coded(i)) return false;
    return true;
}

void MovieFrameBuilder::pauseAll() {
    for (int j = 0; j < entryCount(); ++j) post(j, BuilderCommand::Pause);
}

void MovieFrameBuilder::resumeAll() {
    for (int j = 0; j < entryCount(); ++j) post(j, BuilderCommand::Resume);
}

void MovieFrameBuilder::quitImage(int image) {
    for (int lane = 0; lane < lanes_; ++lane) {
        BuilderEntry* e = entry(image, lane);
        if (!e) continue;
        e->quit();
        e->idle = true;
        e->scene.reset();
    }
}

void MovieFrameBuilder::destroyAll() {
    // Stopping first cuts short the frames being rendered; quitting then waits for none.
    for (int j = 0; j < entryCount(); ++j) stopImage(j);
    for (int j = 0; j < entryCount(); ++j) quitImage(j);
    entries_.clear();
}

std::optional<RasterImage> MovieFrameBuilder::renderNow(const Project& project, int image,
                                                        int frame) {
    BuilderEntry* e = entry(image);
    const int index = list_.indexOf(image, frame);
    if (!e || !e->scene || index < 0) return std::nullopt;
    const CameraFrame& record = list_[index];
    applyRenderSettings(project, *e, RenderQuality(record.quality));
    const std::atomic<int32_t> neverStopped{0};
    return renderFrame(*e->scene, record, e->frameCount, &neverStopped);
}

const PackedImage* MovieFrameBuilder::getCodedFrame(const Project& project, int index) {
    if (inGetCodedFrame_ || index < 0 || index >= list_.size()) return nullptr;
    ReentryGuard guard(inGetCodedFrame_);
    return codedFrame(project, index);
}

const PackedImage* MovieFrameBuilder::codedFrame(const Project& project, int index) {
    if (const PackedImage* coded = list_.coded(index)) return coded;
    const CameraFrame& record = list_[index];
    const int image = record.imageIndex;
    const PackedImage* reference = nullptr;
    if (record.frameIndex > 0) {
        reference = codedFrame(project, list_.firstFrame(image));
        if (!reference) return nullptr;
    }
    post(image, BuilderCommand::Pause);
    const PackedImage* coded = list_.coded(index);
    if (!coded) {
        if (std::optional<RasterImage> picture = renderNow(project, image, record.frameIndex)) {
            PackOptions options;
            options.allowTransparentBlocks = false;
            options.padToWords = false;
            options.reference = reference;
            if (std::optional<PackedImage> packed = packImage(*picture, options))
                coded = list_.storeCoded(index, std::move(*packed));
        }
    }
    post(image, BuilderCommand::Resume);
    return coded;
}

std::optional<RasterImage> MovieFrameBuilder::decodeMovieFrame(const Project& project, int index) {
    if (inDecode_ || index < 0 || index >= list_.size()) return std::nullopt;
    ReentryGuard guard(inDecode_);
    const PackedImage* coded = getCodedFrame(project, index);
    if (!coded) return std::nullopt;
    const int first = list_.firstFrame(list_[index].imageIndex);
    if (index == first) return unpackImage(*coded);
    const PackedImage* firstCoded = getCodedFrame(project, first);
    const RasterImage* reference = firstCoded ? decodedReference(*firstCoded) : nullptr;
    if (!reference) return std::nullopt;
    return unpackImage(*coded, reference);
}

// Frames are shown and exported in order, so one frame 0 serves many frames; it is
// recognised by its coding, which stays right whatever happened to the records.
const RasterImage* MovieFrameBuilder::decodedReference(const PackedImage& coded) {
    if (!reference_ || !(reference_->coded == coded)) {
        reference_.reset();
        std::optional<RasterImage> picture = unpackImage(coded);
        if (!picture) return nullptr;
        reference_ = DecodedReference{coded, std::move(*picture)};
    }
    return &reference_->picture;
}

std::optional<RasterImage> MovieFrameBuilder::getMovieFrameImage(const Project& project,
                                                                 int index) {
    std::optional<RasterImage> picture = decodeMovieFrame(project, index);
    if (picture)
        for (uint32_t& p : picture->pixelVector()) p |= 0xFF000000u;
    return picture;
}

} // namespace zx
