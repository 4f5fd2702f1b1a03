#pragma once
// The movie frame builder: renders the movie's frames in the background, one worker per
// project image, and keeps each block-coded in its record so that playback, scrubbing
// and export only decode. Frames are coded against their image's frame 0. Everything
// here runs on the main thread, which owns the project; workers see only their scene
// and the records.

#include "anim/LibraryFile.h"
#include "platform/Status.h"
#include "render/BuilderEntry.h"
#include "render/MovieFrameList.h"

#include <memory>
#include <optional>
#include <vector>

namespace zx {

class Project;

class MovieFrameBuilder {
public:
    // `workersPerImage` workers build each image's frames, each with a scene of its own.
    explicit MovieFrameBuilder(LibraryLoadOptions library = {}, int workersPerImage = 1);
    ~MovieFrameBuilder(); // destroyAll
    MovieFrameBuilder(const MovieFrameBuilder&) = delete;
    MovieFrameBuilder& operator=(const MovieFrameBuilder&) = delete;

    MovieFrameList& frames() { return list_; }
    const MovieFrameList& frames() const { return list_; }
    const FrameLayoutSettings& layout() const { return layout_; }

    // After every change of images, durations, movie size or frame rate: stops every
    // worker, lays the records out anew under `layout` (camera values interpolated
    // from the project's tags) and prepares every image's scene. Nothing is built yet.
    Status rebuildMovieFrameList(const Project& project, const FrameLayoutSettings& layout);
    // Loads a fresh scene for image `image` (masked subject, background, animation),
    // lit by the Movie panel; its worker is left idle.
    Status prepareImage(const Project& project, int image);
    void stopImage(int image);
    // Snapshots the current settings into every unbuilt record and sets each worker
    // with unbuilt frames building. Pass `layout` to change the settings first.
    void buildAll(const Project& project);
    void buildAll(const Project& project, const FrameLayoutSettings& layout);
    // The same for image `image` alone; its workers build frame 0 and the frames from
    // `fromFrame` on.
    void buildImage(const Project& project, int image, int fromFrame = 0);
    // True when every frame of image `image` from `fromFrame` on is coded.
    bool imageBuilt(int image, int fromFrame = 0) const;
    // True while a worker of image `image` is inside a build and not paused.
    bool imageBuilding(int image);
    void pauseAll();
    void resumeAll();
    void quitImage(int image);
    // Quits and joins every worker, then frees the entries.
    void destroyAll();

    // Renders frame `frame` of image `image` on the calling thread with that image's
    // scene; the image's worker must be idle or paused. None when it cannot be rendered.
    std::optional<RasterImage> renderNow(const Project& project, int image, int frame);
    // The record's coded picture, built on the spot (with the worker paused) when no
    // worker has built it yet. None when it cannot be built or when called re-entrantly.
    const PackedImage* getCodedFrame(const Project& project, int index);
    // The record's picture as rendered (decoded against its image's frame 0).
    std::optional<RasterImage> decodeMovieFrame(const Project& project, int index);
    // The same, opaque: every pixel's alpha 255. Movie export and Copy use it.
    std::optional<RasterImage> getMovieFrameImage(const Project& project, int index);

    // Images that have workers, and the first worker of an image.
    int entryCount() const { return int(entries_.size()) / lanes_; }
    BuilderEntry* entry(int image) { return entry(image, 0); }
    BuilderEntry* entry(int image, int lane);
    int workersPerImage() const { return lanes_; }
    // Given to every worker, now and later: called on the worker once it stored a frame.
    void setBuiltHook(BuilderEntry::BuiltHook hook);

private:
    BuilderEntry& ensureEntry(int image, int lane);
    void post(int image, BuilderCommand command);
    void applyRenderSettings(const Project& project, BuilderEntry& entry, RenderQuality quality);
    const PackedImage* codedFrame(const Project& project, int index);
    const RasterImage* decodedReference(const PackedImage& coded);

    LibraryLoadOptions library_;
    int lanes_ = 1;
    FrameLayoutSettings layout_;
    MovieFrameList list_;
    std::vector<std::unique_ptr<BuilderEntry>> entries_;
    BuilderEntry::BuiltHook built_;
    bool inGetCodedFrame_ = false, inDecode_ = false;
    // The last frame 0 decoded as a reference, with its coding.
    struct DecodedReference {
        PackedImage coded;
        RasterImage picture;
    };
    std::optional<DecodedReference> reference_;
};

} // namespace zx
