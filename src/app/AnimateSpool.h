#pragma once
// The frame spool as the Animate view uses it: it keeps the spool in step with the
// image shown (its animation, its pictures, its duration and the preview quality),
// hands out spooled frames while there are any, and brings the workers' news of
// written frames to the user-interface thread.

#include "app/AppLayer.h"

#include "render/FrameSpool.h"
#include "storage/Settings.h"

#include <QObject>

#include <functional>
#include <optional>

namespace zx {

// The "Screen Preview Rendering Quality" of the movie settings, at which the Animate
// view renders and spools its frames.
RenderQuality screenPreviewQuality(const Settings& settings);

class AnimateSpool : public QObject {
    Q_OBJECT
public:
    // Called on the user-interface thread once frame `frame` of image `image` is spooled.
    using FrameReady = std::function<void(int image, int frame)>;

    // `enabled` is the "Allow Multi-Thread Cache" setting read at start; without it the
    // spool never runs and the view renders every frame itself.
    AnimateSpool(bool enabled, FrameReady frameReady, QObject* parent = nullptr);
    ~AnimateSpool() override; // stopAll

    // The spooled picture of frame `frame` of image `image` at `quality`, submitting the
    // image first when anything its frames are made of changed; none while the frame is
    // not spooled yet or the image has no animation (the view renders or composes it).
    std::optional<RasterImage> frame(const Project& project, int image, int frame,
                                     RenderQuality quality);
    // Submits every image, so that all of them are spooled in parallel.
    void submitAll(const Project& project, RenderQuality quality);
    // Ends every worker (leaving Animate mode, closing the window).
    void stopAll() { spool_.stopAll(); }

    FrameSpool& spool() { return spool_; }
    // Frames handed out by frame() since the start.
    long long framesShown() const { return framesShown_; }

private:
    FrameSpool::Options spoolOptions();

    FrameReady frameReady_;
    FrameSpool spool_;
    long long framesShown_ = 0;
};

} // namespace zx
