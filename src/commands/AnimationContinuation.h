#pragma once
// "Add a Continuation": a new image after the current one, with copies of its layers
// and its animation, whose objects start where the current frame has brought them,
// so that playing the two images one after the other continues the motion.

#include "platform/Status.h"

#include <string>
#include <string_view>

namespace zx {

class AnimationModel;
class Prompter;
class Workspace;

inline constexpr std::string_view kContinuationLabel = "Set as continuation";

// The continuation's name: `imageName` without its extension and without an earlier
// "[Copy_…" suffix, then "[Copy_" + newImageCount + "]".
std::string continuationName(const std::string& imageName, int newImageCount);

// Makes the pose the model's points hold now (as computeFrame left them) the start
// pose of the object in `slot`: every point starts where it stands, drawn trajectories
// go (a dot then travels straight on to its end), spin is cancelled and the bones'
// rest pose follows. A library object has its effects reset instead.
void makeCurrentPoseStart(AnimationModel& model, int slot);

// Adds the continuation of the current image and selects it, recording one step.
// Refused outside Animate mode or without a selected image; failed when the image's
// animation is damaged (nothing is then added).
Status addContinuation(Workspace& workspace);

} // namespace zx
