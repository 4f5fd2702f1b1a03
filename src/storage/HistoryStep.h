#pragma once
// One undo entry: what a command changed, with the pictures, mask, animation data
// and settings needed to put it back, and the label shown in the Edit menu.

#include "storage/AnimationMode.h"
#include "storage/CameraValues.h"
#include "storage/PackedImage.h"
#include "storage/RunLengthImage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zx {

enum class StepKind : int32_t {
    ImageEdit = 0, // steps recorded by a mode's panel carry the mode's number
    ImageAlign = 1,
    Animate = 2,
    Movie = 3,
    Project = 8,  // images added, removed, moved, loaded; mode and selection changes
    Timeline = 9, // durations
};

// Types of project-level (kind 8) and timeline (kind 9) steps. Panel steps use −1 or
// their own numbers (11 and up).
struct StepType {
    static constexpr int32_t Panel = -1;
    static constexpr int32_t LoadProjectImage = 0;
    static constexpr int32_t LoadVideoData = 1;
    static constexpr int32_t AddImage = 2;
    static constexpr int32_t RemoveImage = 3;
    static constexpr int32_t MoveImage = 4;
    static constexpr int32_t AddCopy = 5;
    static constexpr int32_t ModeChange = 6;
    static constexpr int32_t SelectImage = 7;
    static constexpr int32_t ExtendBackground = 8;
    static constexpr int32_t Duration = 10;
};

inline constexpr std::string_view kLoadProjectImageLabel = "Load Project Image";
inline constexpr std::string_view kLoadVideoDataLabel = "Load Video Data";
inline constexpr std::string_view kRemoveImageLabel = "Remove Image";
inline constexpr std::string_view kMoveImageLabel = "Move Image on Timeline";
inline constexpr std::string_view kAddCopyLabel = "Add a Copy";
inline constexpr std::string_view kSelectImageLabel = "Select Image";
inline constexpr std::string_view kImageDurationLabel = "Image Duration";
inline constexpr std::string_view kAllDurationsLabel = "All Images Durations";

// What a step keeps beyond its pictures, mask and animation data; which one depends
// on the step.
namespace step_payload {
// "Load Video Data": the camera values the loaded file held.
struct CameraBlock {
    CameraValueBlock values;
    bool operator==(const CameraBlock&) const = default;
};
// Duration steps: the durations before the change, one per image when it applied to
// all, else the changed image's alone.
struct Durations {
    std::vector<int32_t> frames;
    bool operator==(const Durations&) const = default;
};
// Steps that add or remove an image: the whole image, packed.
struct ImageSnapshot {
    std::vector<uint8_t> bytes;
    bool operator==(const ImageSnapshot&) const = default;
};
// Whole animation-record steps: the record after the change (none when the change
// removed it; the record before is the step's animation data).
struct RecordAfter {
    std::optional<std::vector<uint32_t>> words;
    bool operator==(const RecordAfter&) const = default;
};
// Selection and masking steps: what undo puts back (the step's own mask and
// picture B hold the state after the change, which is what redo puts back).
struct SelectionBefore {
    std::optional<RunLengthImage> mask;
    std::optional<PackedImage> background;
    std::string backgroundName;
    bool operator==(const SelectionBefore&) const = default;
};
// Image edits (adjustments, paint strokes, geometry, backgrounds): each image the
// edit changed, whole and packed, as it was before and after.
struct ImageStates {
    std::vector<int32_t> images;
    std::vector<std::vector<uint8_t>> before;
    std::vector<std::vector<uint8_t>> after;
    bool operator==(const ImageStates&) const = default;
};
// Edits that keep the image's size (adjustments, strokes, merges): for each layer
// changed, the smallest rectangle holding the changes, packed, before and after.
struct LayerPatch {
    int32_t image = -1;
    int32_t layer = 0;
    int32_t left = 0, top = 0;
    PackedImage before;
    PackedImage after;
    bool operator==(const LayerPatch&) const = default;
};
struct ImagePatches {
    std::vector<LayerPatch> patches;
    bool operator==(const ImagePatches&) const = default;
};
} // namespace step_payload

using StepPayload =
    std::variant<std::monostate, step_payload::CameraBlock, step_payload::Durations,
                 step_payload::ImageSnapshot, step_payload::RecordAfter,
                 step_payload::SelectionBefore, step_payload::ImageStates,
                 step_payload::ImagePatches>;

struct HistoryStep {
    StepKind kind = StepKind::Project;
    // For kinds 8 and 9 the mode active when the step was recorded; for panel steps
    // the Image-Edit panel word that the project file's KEYF chunk stores first.
    int32_t modeWord = 0;
    int32_t image = -1;
    // Move and background steps keep image indexes here.
    int32_t indexWord = -1;
    int32_t indexWord2 = -1;
    std::string label;
    bool backgroundSelected = false;
    int32_t duration = 0;
    // Timeline steps: 1 when the change applied to all images.
    int32_t word = 0;
    int32_t type = StepType::Panel;
    std::optional<PackedImage> pictureA;
    std::optional<PackedImage> pictureB;
    std::optional<RunLengthImage> mask;
    std::string nameA;
    std::string nameB;
    std::optional<std::vector<uint32_t>> animation;
    StepPayload payload;

    // The payload when it is of type T, else null.
    template <typename T> const T* payloadAs() const { return std::get_if<T>(&payload); }

    bool isProjectLevel() const { return kind == StepKind::Project || kind == StepKind::Timeline; }
    bool isLoadStep() const {
        return kind == StepKind::Project &&
               (type == StepType::LoadProjectImage || type == StepType::LoadVideoData);
    }
    // The mode the step belongs to.
    AnimationMode mode() const {
        return isProjectLevel() ? AnimationMode(modeWord) : AnimationMode(int32_t(kind));
    }

    // A project-level or timeline step of the given type.
    static HistoryStep projectStep(StepKind kind, int32_t type, std::string_view label,
                                   AnimationMode activeMode, int image, bool backgroundSelected);
    // A step recorded by a mode's panel (type −1 unless the panel gives its own).
    static HistoryStep panelStep(AnimationMode mode, std::string_view label, int image,
                                 bool backgroundSelected, int32_t panelWord,
                                 int32_t type = StepType::Panel);
};

} // namespace zx
