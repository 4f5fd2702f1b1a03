#pragma once
// The history steps of Image Edit commands that change pictures: adjustments, paint
// strokes, image geometry and the background commands. A step keeps every image the
// edit changed, whole and packed, before and after, so that undo and redo put the
// pictures back byte for byte whatever the edit did to their sizes or animation.

#include "storage/HistoryStep.h"
#include "storage/Project.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

// History names of edits on the background picture take this prefix.
inline constexpr std::string_view kBackgroundPrefix = "Background ";

// `name`, with the background prefix when the background picture is edited.
std::string editLabel(std::string_view name, bool background);

// The picture an edit changes in place: the layer's working picture, else its stored
// one; null when the layer has none or is out of range. Marks the layer changed.
RasterImage* editablePicture(ProjectImage& image, int layer);

// An edit under way: keeps the state of each image before its first change and, at
// the end, records one step for everything that changed.
class ImageEditRecorder {
public:
    ImageEditRecorder(Project& project, std::string label, bool background);

    // Call before the image's first change; later calls for the same image do nothing.
    // The whole image is kept: for edits that change its size or its animation.
    void track(int image);
    // For edits that keep the image's size: copies of these layers' pictures, so that
    // the step keeps only the rectangle that changed.
    void trackLayers(int image, std::initializer_list<int> layers);
    // Records the step (a panel step of Image Edit mode unless a kind and type are
    // given); false, with nothing recorded, when no tracked image changed.
    bool record(StepKind kind = StepKind::ImageEdit, int32_t type = StepType::Panel);

private:
    Project& project_;
    std::string label_;
    bool background_;
    // A layer's picture as it was, with the layer it belongs to.
    struct KeptLayer {
        int image = -1;
        int layer = 0;
        RasterImage picture;
    };
    std::optional<step_payload::ImageStates> changedImages();
    std::optional<step_payload::ImagePatches> changedLayers();

    step_payload::ImageStates states_;
    std::vector<KeptLayer> layers_;
};

// Puts back the images of an image-edit step as they were before it (undo) or after
// it (redo); false when the step is not one.
bool applyImageEditStep(Project& project, const HistoryStep& step, bool undo);

} // namespace zx
