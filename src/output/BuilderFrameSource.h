#pragma once
// Movie export's frames from the movie frame builder: frame i is the builder's opaque
// picture of record i, built by the image workers or, when missing, on the spot.

#include "output/MovieFrameSource.h"
#include "render/MovieFrameBuilder.h"

namespace zx {

class Project;

class BuilderFrameSource : public MovieFrameSource {
public:
    // The builder's list must have been rebuilt from `project`.
    BuilderFrameSource(const Project& project, MovieFrameBuilder& builder);

    int frameCount() const override;
    Result<RasterImage> frame(int index) override;
    // Lays the movie out again at Maximum (twice the movie size, halved by the
    // renderer) and sets the workers building.
    bool switchToMaximumQuality() override;
    void restoreQuality() override;

private:
    void relayout(RenderQuality quality);

    const Project& project_;
    MovieFrameBuilder& builder_;
    RenderQuality replaced_ = RenderQuality::Low;
};

} // namespace zx
