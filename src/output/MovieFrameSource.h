#pragma once
// Where the movie export takes its frames from: the movie frame builder in the app and
// the command-line tool, frames read from disk, or a test's own pictures.

#include "platform/Status.h"
#include "storage/RasterImage.h"

namespace zx {

class MovieFrameSource {
public:
    virtual ~MovieFrameSource() = default;

    virtual int frameCount() const = 0;
    // Movie frame `index` (0 … frameCount() - 1) at the movie size. A failure ends the
    // export with its status.
    virtual Result<RasterImage> frame(int index) = 0;

    // Renders the frames at Maximum quality from now on. False when it already does, in
    // which case restoreQuality is not called.
    virtual bool switchToMaximumQuality() { return false; }
    // Puts back the quality that switchToMaximumQuality replaced.
    virtual void restoreQuality() {}
    // The export has every frame it needs (the encoder runs next): a source that builds
    // frames ahead may stop using the processor.
    virtual void allFramesTaken() {}
};

} // namespace zx
