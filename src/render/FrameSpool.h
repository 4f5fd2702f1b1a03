#pragma once
// The frame spool: every frame of every project image rendered ahead in the
// background, block-coded against the image's frame 0, one nameless temporary file and
// one worker per image, so that Animate playback decodes frames instead of rendering
// them. Entries are indexed like the project's images and made on demand; every
// operation here runs on the main thread, which owns the project.

#include "anim/LibraryFile.h"
#include "render/RenderQuality.h"
#include "render/SpoolEntry.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zx {

class Project;
class ProjectImage;

struct SpoolProgress {
    int64_t frames = 0;     // frames every entry's job has to produce
    int64_t framesDone = 0; // frames written so far
    bool complete = true;   // every entry's job is complete
};

class FrameSpool {
public:
    // Called on a worker thread once frame `frame` of image `image` can be read.
    using FrameWritten = std::function<void(int image, int frame)>;
    // The picture every frame of an image without animated objects shows.
    using StillPicture = std::function<RasterImage(const ProjectImage&)>;

    struct Options {
        LibraryLoadOptions library;
        std::filesystem::path folder; // for the spool files; the temporary folder when empty
        FrameWritten frameWritten;
        StillPicture stillPicture; // the subject layer when not given
    };

    explicit FrameSpool(Options options = {});
    ~FrameSpool(); // stopAll
    FrameSpool(const FrameSpool&) = delete;
    FrameSpool& operator=(const FrameSpool&) = delete;

    // An inactive spool ignores submit and resizeAll.
    void setActive(bool on) { active_ = on; }
    bool active() const { return active_; }

    // (Re)starts the job of image `image` at `quality` after anything it is made of
    // changed. The same source as the job's (animation, layers, duration, quality and
    // light) leaves a running or complete job alone.
    void submit(const Project& project, int image, RenderQuality quality);
    // After durations changed: restarts only the jobs whose frame count changed.
    void resizeAll(const Project& project);

    bool isComplete(int image);
    // Whether the job of image `image` renders an animation (not a still picture).
    bool isAnimated(int image) const;
    // Frame `frame` of image `image` as rendered, or none while the spool has no such
    // frame of the current job (not written yet, another frame count, a wrong size).
    std::optional<RasterImage> getFrame(int image, int frame);
    SpoolProgress progress() const;

    void cancel(int image);
    // Ends the worker of image `image` and drops its file; a later submit starts anew.
    void stop(int image);
    // Ends every worker and frees the entries.
    void stopAll();

    int entryCount() const { return int(entries_.size()); }
    const SpoolEntry* entry(int image) const;

private:
    SpoolEntry& ensureEntry(int image);
    SpoolSource sourceOf(const Project& project, int image, RenderQuality quality) const;
    void start(SpoolEntry& entry, SpoolJob job, SpoolSource source);
    SpoolJob animatedJob(const Project& project, int image, RenderQuality quality) const;
    SpoolJob stillJob(const ProjectImage& image) const;
    const RasterImage* referenceFrame(SpoolEntry& entry, uint64_t generation);

    Options options_;
    bool active_ = true;
    std::vector<std::unique_ptr<SpoolEntry>> entries_;
};

} // namespace zx
