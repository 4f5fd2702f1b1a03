#pragma once
// The history steps of the selection and masking commands. A step keeps the mask
// (and, for "Send Masked Subject to Background", the background picture and its
// name) before the change in its payload and after the change in its own fields, so
// undo and redo put either back word for word.

#include "storage/History.h"
#include "storage/ProjectImage.h"

#include <optional>
#include <string>

namespace zx {

// The mask layer's words of an image for in-place edits; null when it has none.
RasterImage* editableMask(ProjectImage& image);
const RasterImage* maskOf(const ProjectImage& image);

// Panel step types; the history drops a step whose type, label and kept picture
// equal the previous step's (it changed nothing).
inline constexpr int32_t kMaskStepType = 14;       // compared by mask
inline constexpr int32_t kBackgroundStepType = 13; // compared by picture B

// Fills a panel step with a change of the mask from `before` to the image's mask.
void keepMaskChange(HistoryStep& step, const RasterImage& before, const ProjectImage& image);
// Fills a panel step with a change of the background from `before` (then named
// `beforeName`) to the image's background.
void keepBackgroundChange(HistoryStep& step, const RasterImage& before,
                          const std::string& beforeName, const ProjectImage& image);

// Puts back the state before (`undo`) or after a selection step on `image`; false
// for a step of another kind or one whose pictures do not fit the image.
bool applySelectionStep(ProjectImage& image, const HistoryStep& step, bool undo);

// The mask kept before the most recent done step on `image` that changed a
// selection ("Previous Selection"); none when there is none.
std::optional<RasterImage> previousSelection(const History& history, int image);

} // namespace zx
