#pragma once
// One undo entry: what a command changed, with the pictures, mask, animation data
// and settings needed to put it back, and the label shown in the Edit menu.

#include "storage/AnimationMode.h"
#include "storage/PackedImage.h"
#include "storage/RunLengthImage.h"

#include <cstdint>
#include <optional>
#include <string>
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
namespace StepType {
inline constexpr int32_t Panel = -1;
inline constexpr int32_t LoadProjectImage = 0;
inline constexpr int32_t LoadVideoData = 1;
inline constexpr int32_t AddImage = 2;
inline constexpr int32_t RemoveImage = 3;
inline constexpr int32_t MoveImage = 4;
inline constexpr int32_t AddCopy = 5;
inline constexpr int32_t ModeChange = 6;
inline constexpr int32_t SelectImage = 7;
inline constexpr int32_t ExtendBackground = 8;
inline constexpr int32_t Duration = 10;
} // namespace StepType

inline constexpr const char* kLoadProjectImageLabel = "Load Project Image";
inline constexpr const char* kLoadVideoDataLabel = "Load Video Data";
inline constexpr const char* kRemoveImageLabel = "Remove Image";
inline constexpr const char* kMoveImageLabel = "Move Image on Timeline";
inline constexpr const char* kAddCopyLabel = "Add a Copy";
inline constexpr const char* kSelectImageLabel = "Select Image";
inline constexpr const char* kImageDurationLabel = "Image Duration";
inline constexpr const char* kAllDurationsLabel = "All Images Durations";

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
    // Camera-value steps: the whole camera block as the VTAG chunk stores it.
    std::optional<std::vector<uint8_t>> extra;

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
    static HistoryStep projectStep(StepKind kind, int32_t type, std::string label,
                                   AnimationMode activeMode, int image, bool backgroundSelected);
    // A step recorded by a mode's panel (type −1 unless the panel gives its own).
    static HistoryStep panelStep(AnimationMode mode, std::string label, int image,
                                 bool backgroundSelected, int32_t panelWord,
                                 int32_t type = StepType::Panel);
};

} // namespace zx
