#pragma once
// A private scene for rendering one project image: the subject picture with the
// image's mask applied as start image, a copy of the background picture, and the
// image's animation loaded from its record with its library objects. What every
// renderer of project frames works on (the views, the command line, the movie), and
// what Save As Object computes its frames from.

#include "anim/AnimationModel.h"
#include "anim/LibraryFile.h"
#include "platform/Status.h"
#include "storage/ProjectImage.h"
#include "storage/RasterImage.h"

#include <cstdint>
#include <span>

namespace zx {

// The subject with the mask applied: where the mask's low byte m is 0 the pixel
// becomes transparent black; otherwise a visible pixel's alpha becomes
// alpha × m / 255. Unchanged when the mask is missing or of another size.
RasterImage maskedSubject(const RasterImage& subject, const RasterImage* mask);

// Reads an animation record into `model`, each library object taking its mesh from
// the file it names (found as `library` says: relative to its project folder, in the
// library folder, through the relocations, or by asking). Failed with "Animation data
// corrupted" (shown on library.prompter) when the record is corrupted; the objects
// read before the fault stay in the model.
Status loadAnimationRecord(AnimationModel& model, std::span<const uint32_t> record,
                           const LibraryLoadOptions& library = {});

// Loads `scene` for image `image`: masked subject, background (unless empty), the
// animation record as loadAnimationRecord reads it, and the last frame index = the
// image's duration, so that frame k of the image is at time k / duration. The scene
// is usable even when the record is found corrupted: it holds what was read.
Status loadImageScene(const ProjectImage& image, AnimationModel& scene,
                      const LibraryLoadOptions& library = {});

} // namespace zx
