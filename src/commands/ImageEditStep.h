#pragma once
// The history steps of Image Edit commands that change pictures: adjustments, paint
// strokes, image geometry and the background commands. A step keeps every image the
// edit changed, whole and packed, before and after, so that undo and redo put the
// pictures back byte for byte whatever the edit did to their sizes or animation.

#include "storage/HistoryStep.h"
#include "storage/Project.h"

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
    void track(int image);
    // Records the step (a panel step of Image Edit mode unless a kind and type are
    // given); false, with nothing recorded, when no tracked image changed.
    bool record(StepKind kind = StepKind::ImageEdit, int32_t type = StepType::Panel);

private:
    Project& project_;
    std::string label_;
    bool background_;
    step_payload::ImageStates states_;
};

// Puts back the images of an image-edit step as they were before it (undo) or after
// it (redo); false when the step is not one.
bool applyImageEditStep(Project& project, const HistoryStep& step, bool undo);

} // namespace zx
