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

MovieFrameBuilder::MovieFrameBuilder(LibraryLoadOptions library) : library_(std::move(library)) {}

MovieFrameBuilder::~MovieFrameBuilder() {
    destroyAll();
}

BuilderEntry* MovieFrameBuilder::entry(int image) {
    return image >= 0 && image < entryCount() ? entries_[size_t(image)].get() : nullptr;
}

BuilderEntry& MovieFrameBuilder::ensureEntry(int image) {
    while (entryCount() <= image) {
        entries_.push_back(std::make_unique<BuilderEntry>(list_));
        entries_.back()->setBuiltHook(built_);
    }
    return *entries_[size_t(image)];
}

// Only idle workers take the hook: a building one reads it.
void MovieFrameBuilder::setBuiltHook(BuilderEntry::BuiltHook hook) {
    built_ = std::move(hook);
    for (auto& e : entries_)
        if (e->idle) e->setBuiltHook(built_);
}

void MovieFrameBuilder::post(int image, BuilderCommand command) {
    if (BuilderEntry* e = entry(image)) e->post(command, image);
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
        const AnimationModel& scene = *entries_[size_t(j)]->scene;
        for (int i = list_.firstFrame(j); i < list_.size() && list_[i].imageIndex == j; ++i) {
            list_[i].imageWidth = scene.startWidth;
            list_[i].imageHeight = scene.startHeight;
        }
    }
    return status;
}

Status MovieFrameBuilder::prepareImage(const Project& project, int image) {
    BuilderEntry& e = ensureEntry(image);
    stopImage(image);
    const ProjectImage* projectImage = project.images.at(image);
    if (!projectImage) return Status::refused("there is no image " + std::to_string(image));
    e.scene = std::make_unique<AnimationModel>();
    Status status = loadImageScene(*projectImage, *e.scene, library_);
    e.frameCount = std::max(0, projectImage->duration());
    applyRenderSettings(project, e, layout_.quality);
    return status;
}

void MovieFrameBuilder::stopImage(int image) {
    BuilderEntry* e = entry(image);
    if (!e || e->idle) return;
    e->post(BuilderCommand::Stop, image);
    e->idle = true;
}

void MovieFrameBuilder::buildAll(const Project& project, const FrameLayoutSettings& layout) {
    layout_.backgroundField = layout.backgroundField;
    layout_.showBackground = layout.showBackground;
    layout_.showObjects = layout.showObjects;
    layout_.quality = layout.quality;
    buildAll(project);
}

void MovieFrameBuilder::buildAll(const Project& project) {
    for (int image = 0; image < std::min(entryCount(), list_.imageCount()); ++image) {
        BuilderEntry& e = *entries_[size_t(image)];
        if (!e.scene) continue;
        // A running worker reads the records and its scene: hold it while they change.
        const bool running = !e.idle;
        if (running) e.post(BuilderCommand::Pause, image);
        bool unbuilt = false;
        for (int i = list_.firstFrame(image); i < list_.size() && list_[i].imageIndex == image;
             ++i) {
            if (list_.coded(i)) continue;
            CameraFrame& record = list_[i];
            record.backgroundField = layout_.backgroundField;
            record.showBackground = layout_.showBackground;
            record.showObjects = layout_.showObjects;
            record.quality = int32_t(layout_.quality);
            unbuilt = true;
        }
        if (unbuilt) applyRenderSettings(project, e, layout_.quality);
        if (running) e.post(BuilderCommand::Resume, image);
        if (unbuilt) {
            e.post(BuilderCommand::Build, image);
            e.idle = false;
        }
    }
}

void MovieFrameBuilder::pauseAll() {
    for (int j = 0; j < entryCount(); ++j) post(j, BuilderCommand::Pause);
}

void MovieFrameBuilder::resumeAll() {
    for (int j = 0; j < entryCount(); ++j) post(j, BuilderCommand::Resume);
}

void MovieFrameBuilder::quitImage(int image) {
    BuilderEntry* e = entry(image);
    if (!e) return;
    e->quit();
    e->idle = true;
    e->scene.reset();
}

void MovieFrameBuilder::destroyAll() {
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
    if (!firstCoded) return std::nullopt;
    std::optional<RasterImage> reference = unpackImage(*firstCoded);
    if (!reference) return std::nullopt;
    return unpackImage(*coded, &*reference);
}

std::optional<RasterImage> MovieFrameBuilder::getMovieFrameImage(const Project& project,
                                                                 int index) {
    std::optional<RasterImage> picture = decodeMovieFrame(project, index);
    if (picture)
        for (uint32_t& p : picture->pixelVector()) p |= 0xFF000000u;
    return picture;
}

} // namespace zx
