#pragma once
// An edit of one image's animation made through a dialog. The session reads the
// image's record into a model the dialog changes, shows every change by writing the
// model back into the image (the views reload their scene when the record changes),
// and ends in one of two ways: keep, which records one whole-record undo step with
// the record as it was and as it is now, or cancel, which puts the record back word
// for word.

#include "anim/AnimationModel.h"
#include "platform/Status.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace zx {

class Workspace;

class AnimationEditSession {
public:
    // Refused when the workspace has no selected image, or failed when its record is
    // damaged (nothing is then changed).
    static Result<std::unique_ptr<AnimationEditSession>> open(Workspace& workspace);
    // An empty session on `image`; `open` fills it.
    AnimationEditSession(Workspace& workspace, int image);

    AnimationModel& model() { return *model_; }
    int image() const { return image_; }

    // Writes the model into the image so the views show the change.
    void preview();
    // The frame the views show (0 … the image's duration), for the model and the image.
    void setFrame(int frame);
    // Keeps the change: the record is written and the step `label` recorded. Nothing
    // is recorded when the record did not change. True when a step was recorded.
    bool keep(std::string_view label);
    // Puts the record back as it was when the session opened.
    void cancel();

private:
    Workspace& workspace_;
    int image_;
    std::optional<std::vector<uint32_t>> before_;
    std::unique_ptr<AnimationModel> model_;
};

} // namespace zx
