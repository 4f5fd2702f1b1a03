#pragma once
// Movie export's frames from the movie frame builder: frame i is the builder's opaque
// picture of record i, built by the image workers or, when missing, on the spot. The
// workers of an image that are not building start when one of its frames is asked for,
// from that frame on, and those of the next image once the rest of it is built, so that
// they run ahead of the export without building frames it never reaches.

#include "output/MovieFrameSource.h"
#include "render/MovieFrameBuilder.h"

namespace zx {

class Project;

class BuilderFrameSource : public MovieFrameSource {
public:
    // The builder's list must have been rebuilt from `project`.
    BuilderFrameSource(const Project& project, MovieFrameBuilder& builder);
    ~BuilderFrameSource() override; // resumes the workers allFramesTaken paused
    BuilderFrameSource(const BuilderFrameSource&) = delete;
    BuilderFrameSource& operator=(const BuilderFrameSource&) = delete;

    int frameCount() const override;
    Result<RasterImage> frame(int index) override;
    // Lays the movie out again at Maximum (twice the movie size, halved by the
    // renderer) and sets the workers building.
    bool switchToMaximumQuality() override;
    void restoreQuality() override;
    // Pauses the workers, so that they leave the processor to the encoder.
    void allFramesTaken() override;

private:
    void relayout(RenderQuality quality);
    void startBuilding(const CameraFrame& record);
    void awaitWorkers(int index);

    const Project& project_;
    MovieFrameBuilder& builder_;
    RenderQuality replaced_ = RenderQuality::Low;
    bool paused_ = false;
};

} // namespace zx
