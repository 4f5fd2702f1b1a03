#pragma once
// The Animate mode's commands on one object of the editable model: dots, bones,
// spin, visibility, bindings, removal. Each changes the model and returns the label
// of the undo step it calls for; a refusal (no such object, dot or bone, a value out
// of range, nothing to change) leaves the model exactly as it was and carries the
// user's message, empty when the command simply does not apply. Recomputing the
// frame and recording the step belong to the caller (the AnimateEditor).

#include "anim/AnimationModel.h"
#include "platform/Status.h"

#include <optional>
#include <string>
#include <string_view>

namespace zx {

class Prompter;

inline constexpr std::string_view kAddDotLabel = "Add Dot";
inline constexpr std::string_view kMoveDotLabel = "Move Dot";
inline constexpr std::string_view kDotTrajectoryLabel = "Dot Trajectory";
inline constexpr std::string_view kAddBoneLabel = "Add Bone";
inline constexpr std::string_view kZModificationLabel = "Z Modification";
inline constexpr std::string_view kValueOutOfRange = "Value out of range";
// Dot and object z values are kept within this many pixels of the image plane.
inline constexpr double kMaxZ = 4096;

using EditResult = Result<std::string>; // the undo label

enum class CurveChoice { Linear, Reverse, Alternate };

bool validObject(const AnimationModel& model, int slot);
bool validUserDot(const AnimationModel& model, int slot, int point);
bool validBone(const AnimationModel& model, int slot, int bone);

// A user dot with texture, start and end positions; bones and vertex assignment are
// brought up to date. Refused on a conductor box or a library object.
Result<int> addUserDot(AnimationModel& model, int slot, Vec3 texture, Vec3 start, Vec3 end,
                       bool smoothAction);
// Brings the object's bones, vertex assignment and end pose up to date after its dots
// moved or changed.
void refreshObjectPose(AnimationModel& model, int slot);

EditResult clearDot(AnimationModel& model, int slot, int point);
EditResult resetDot(AnimationModel& model, int slot, int point);
EditResult clearUserDots(AnimationModel& model, int slot);
EditResult toggleSmoothAction(AnimationModel& model, int slot, int point);
// Refused outside −4096 … 4096 with "Value out of range".
EditResult setDotZ(AnimationModel& model, int slot, int point, double z);
EditResult setObjectZ(AnimationModel& model, int slot, double z);
EditResult setJointValue(AnimationModel& model, int slot, int point, double value);

EditResult addBone(AnimationModel& model, int slot, int dotA, int dotB, bool fixed);
EditResult toggleBoneType(AnimationModel& model, int slot, int bone);
// False when another bone already starts at the dot this bone would start from.
bool canChangeBoneOrientation(const AnimationModel& model, int slot, int bone);
EditResult changeBoneOrientation(AnimationModel& model, int slot, int bone);
EditResult removeBone(AnimationModel& model, int slot, int bone);

EditResult toggleInvertLight(AnimationModel& model, int slot);
// Spin mode with `value`, or tracked mode when the object has exactly one bone.
EditResult setSpin(AnimationModel& model, int slot, double value);
EditResult cancelSpin(AnimationModel& model, int slot);
EditResult setOriginalSize(AnimationModel& model, int slot);
EditResult cloneObject(AnimationModel& model, int slot, Prompter& prompter);
// `toStartImage`: start positions go back to the texture positions first.
EditResult resetAnimation(AnimationModel& model, int slot, bool toStartImage = false);
EditResult toggleHidden(AnimationModel& model, int slot);
EditResult showAllObjects(AnimationModel& model);
// The pose at normalised time t becomes the start pose of the object and of every
// object bound to it, directly or through a chain of bindings.
EditResult setAsStartImage(AnimationModel& model, int slot, double t, Prompter& prompter);
EditResult removeObjectCommand(AnimationModel& model, int slot);
EditResult clearAllRegions(AnimationModel& model);
EditResult removeBinding(AnimationModel& model, int slot);
EditResult bindObject(AnimationModel& model, int child, int childDot, int parent, int parentDot);
EditResult setTimeCurve(AnimationModel& model, int slot, CurveChoice choice);
// Selects the next slot, wrapping to 0; false with fewer than two objects.
bool selectNextObject(AnimationModel& model);

// Which of the curve commands the object's curve is, if any.
std::optional<CurveChoice> currentCurveChoice(const AnimObject& object);
bool isBound(const AnimObject& object);
bool isTracked(const AnimObject& object);
bool canSpin(const AnimObject& object);
// The object cancelling its spin reads "Cancel Spin" in 3D, "Cancel Track/Spin" flat.
std::string_view cancelSpinLabel(const AnimObject& object);

} // namespace zx
