#pragma once
// A private scene for rendering one project image: the subject picture with the
// image's mask applied as start image, a copy of the background picture, and the
// image's animation loaded from its record. What the background frame producers and
// the command-line renderer give the frame renderer.

#include "anim/AnimationModel.h"
#include "anim/AnimationRecord.h"
#include "storage/ProjectImage.h"
#include "storage/RasterImage.h"

namespace zx {

// The subject with the mask applied: where the mask's low byte m is 0 the pixel
// becomes transparent black; otherwise a visible pixel's alpha becomes
// alpha × m / 255. Unchanged when the mask is missing or of another size.
RasterImage maskedSubject(const RasterImage& subject, const RasterImage* mask);

// Loads `scene` for image `image`: masked subject, background (unless empty), the
// animation record (objects read before a corrupt part stay, as the record reader
// keeps them) and the last frame index = the image's duration, so that frame k of
// the image is at time k / duration. False when the record was corrupted.
bool prepareImageScene(const ProjectImage& image, AnimationModel& scene,
                       const RecordReadOptions& options = {});

} // namespace zx
