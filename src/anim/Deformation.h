#pragma once
// The deformation solver: writes, for a frame, the current position of every point of
// every object. User dots travel along their trajectories at the pace of their object's
// time curve; mesh vertices follow the dots through bones, through a single dot's
// displacement or along the outline (spin mode); library objects replay their recorded
// motion and take their geometric effects; bound objects then move rigidly with one or
// two dots of a parent object.
//
// The solver keeps no state between calls. Everything per frame works in place on the
// model's arrays without allocating, so a worker that owns a model may call it for
// every frame it renders.

#include "anim/AnimPoint.h"

#include <string_view>

namespace zx {

class AnimationModel;
struct AnimObject;
class Prompter;

struct ComputeOptions {
    bool ignoreBinding = false;
    bool selectedOnly = false; // update only points with the selected flag (dragging)
    bool skipEffects = false;  // leave out a library object's geometric effects
};

// The position that marks a trajectory evaluated outside 0 … 1.
inline constexpr Vec3 kNoPosition = {-1, -1, 0};

inline constexpr std::string_view kBindingLoopMessage = "Endless binding loop!";

// Computes every object for normalised time t (frame / last frame). The prompter hears
// about a chain of bindings that closes on itself (a SilentPrompter where no user is
// present).
void computeFrame(AnimationModel& model, double t, Prompter& prompter);

// Computes one object for time t.
void computeObject(AnimationModel& model, int slot, double t, const ComputeOptions& options,
                   Prompter& prompter);

// The position of one point of an object at time t without touching the model: the
// trajectory position for an ordinary object, the recorded position with the geometric
// effects for a library object. {0, 0, 0} for a slot or point that does not exist.
Vec3 pointPositionAtTime(const AnimationModel& model, int slot, int point, double t);

// Position of a dot on its trajectory at progress p (0 … 1); kNoPosition outside.
Vec3 trajectoryPosition(const AnimPoint& dot, double p);

// Refreshes every bone's rest length and angle from its dots, solves the mesh at
// progress 1 and makes the result the mesh vertices' end positions. Used after bones
// change.
void computeRestPose(AnimationModel& model, int slot);

// The recorded position of a library object's point at progress p (its start position
// when the library does not move it).
Vec3 recordedPosition(const AnimObject& object, int point, double p);

} // namespace zx
