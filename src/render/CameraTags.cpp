#include "render/CameraTags.h"

#include "storage/Project.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zx {

namespace {

constexpr double kDegrees = 180.0 / std::numbers::pi;

double toDegrees(double radians) {
    return radians * kDegrees;
}
float toRadians(double degrees) {
    return float(degrees / kDegrees);
}

bool sameCamera(const CameraValues& a, const CameraValues& b) {
    return a.lookX == b.lookX && a.lookY == b.lookY && a.zoom == b.zoom && a.turn == b.turn &&
           a.tilt == b.tilt && a.distance == b.distance;
}

bool validFrame(const MovieFrames& frames, int f) {
    return f >= 0 && f < int(frames.size());
}

CameraTagStep stepBefore(const MovieFrames& frames, const TagCurveShapes& shapes,
                         std::string label) {
    return {std::move(label), snapshotCameraValues(frames), shapes};
}

// Applies `edit` to frame f, tags it with `kind` and interpolates. The frame loses its
// picture when its values change.
template <class Edit>
std::optional<CameraTagStep> editTagged(MovieFrames& frames, const TagCurveShapes& shapes, int f,
                                        int32_t bits, std::string label, Edit edit) {
    if (!validFrame(frames, f)) return std::nullopt;
    CameraTagStep step = stepBefore(frames, shapes, std::move(label));
    CameraFrame& frame = frames[size_t(f)];
    const CameraValues old = frame.camera;
    edit(frame);
    frame.camera.tagBits |= bits;
    if (!sameCamera(old, frame.camera)) invalidateFrame(frames, f);
    interpolateCameraTags(frames, shapes);
    return step;
}

void resetFirstFrame(CameraFrame& f) {
    f.camera.tagBits = kAllCameraTags;
    f.camera.zoom = 1.0f;
    f.camera.lookX = f.camera.lookY = 0;
    f.camera.turn = f.camera.tilt = 0;
    f.setRelativeDistance(kDefaultRelativeDistance);
}

float finiteOr(float v, float fallback) {
    return std::isfinite(v) ? v : fallback;
}

} // namespace

double shapeFraction(TagCurveShape shape, double L) {
    switch (shape) {
    case TagCurveShape::Linear:
        return L;
    case TagCurveShape::FastSlow:
        return std::sqrt(L);
    case TagCurveShape::SlowFast:
        return L * L;
    case TagCurveShape::SlowFastSlow:
        return (3 - 2 * L) * L * L;
    }
    return L;
}

MovieFrames layoutMovieFrames(const Project& project, const FrameLayoutSettings& settings) {
    MovieFrames frames;
    const int factor = settings.quality == RenderQuality::Maximum ? 2 : 1;
    for (int j = 0; j < project.imageCount(); ++j) {
        const ProjectImage* image = project.images.at(j);
        if (!image) continue;
        for (int k = 0; k < image->duration(); ++k)
            frames.push_back(makeCameraFrame(project.movieWidth * factor,
                                             project.movieHeight * factor, image->width(),
                                             image->height(), j, k, settings));
    }
    return frames;
}

int movieFrameIndex(const MovieFrames& frames, int image, int frame) {
    for (size_t i = 0; i < frames.size(); ++i)
        if (frames[i].imageIndex == image && frames[i].frameIndex == frame) return int(i);
    return -1;
}

CameraValueBlock snapshotCameraValues(const MovieFrames& frames) {
    CameraValueBlock block;
    block.reserve(frames.size());
    for (const CameraFrame& f : frames) block.push_back(f.camera);
    return block;
}

void applyCameraValues(MovieFrames& frames, const CameraValueBlock& block,
                       const TagCurveShapes& shapes) {
    const size_t n = std::min(frames.size(), block.size());
    for (size_t i = 0; i < n; ++i) {
        CameraFrame& f = frames[i];
        const CameraValues& v = block[i];
        const CameraValues old = f.camera;
        f.camera.tagBits = v.tagBits & kAllCameraTags;
        f.camera.lookX = finiteOr(v.lookX, 0);
        f.camera.lookY = finiteOr(v.lookY, 0);
        f.camera.zoom = finiteOr(v.zoom, 1);
        f.camera.turn = finiteOr(v.turn, 0);
        f.camera.tilt = finiteOr(v.tilt, 0);
        f.camera.distance = finiteOr(v.distance, float(kDefaultRelativeDistance * f.imageSide()));
        f.camera.reserved = v.reserved;
        if (!sameCamera(old, f.camera)) invalidateFrame(frames, int(i));
    }
    ensureFirstFrameTags(frames);
    interpolateCameraTags(frames, shapes);
}

void ensureFirstFrameTags(MovieFrames& frames) {
    if (frames.empty()) return;
    CameraFrame& first = frames.front();
    if (first.camera.tagBits == 0)
        resetFirstFrame(first);
    else
        first.camera.tagBits = kAllCameraTags;
}

void invalidateFrame(MovieFrames& frames, int index) {
    if (!validFrame(frames, index)) return;
    CameraFrame& f = frames[size_t(index)];
    f.cachedFrame.reset();
    if (!f.firstFrame) return;
    for (size_t j = size_t(index) + 1; j < frames.size() && frames[j].imageIndex == f.imageIndex;
         ++j)
        frames[j].cachedFrame.reset();
}

std::vector<int> interpolateCameraTags(MovieFrames& frames, const TagCurveShapes& shapes) {
    std::vector<int> changed;
    if (frames.empty()) return changed;
    const CameraValueBlock before = snapshotCameraValues(frames);
    const int count = int(frames.size());
    for (CameraTagKind kind : kCameraTagKinds) {
        const int32_t bit = tagBit(kind);
        const TagCurveShape shape = shapes[size_t(tagKindIndex(kind))];
        int i = 0; // frame 0 counts as tagged for every kind
        while (i < count) {
            int n = i + 1;
            while (n < count && !(frames[size_t(n)].camera.tagBits & bit)) ++n;
            const CameraFrame& a = frames[size_t(i)];
            const CameraFrame* b = n < count ? &frames[size_t(n)] : nullptr;
            const int end = b ? n : count;
            for (int j = i; j < end; ++j) {
                CameraFrame& f = frames[size_t(j)];
                const double L = b ? shapeFraction(shape, double(j - i) / double(n - i)) : 0.0;
                auto mix = [L](double from, double to) { return from + (to - from) * L; };
                const CameraFrame& to = b ? *b : a;
                switch (kind) {
                case CameraTagKind::LookAt:
                    f.camera.lookX = float(mix(a.camera.lookX, to.camera.lookX));
                    f.camera.lookY = float(mix(a.camera.lookY, to.camera.lookY));
                    break;
                case CameraTagKind::MoveCamera:
                    f.camera.turn =
                        toRadians(mix(toDegrees(a.camera.turn), toDegrees(to.camera.turn)));
                    f.camera.tilt =
                        toRadians(mix(toDegrees(a.camera.tilt), toDegrees(to.camera.tilt)));
                    break;
                case CameraTagKind::Zoom:
                    f.camera.zoom = float(mix(a.camera.zoom, to.camera.zoom));
                    break;
                case CameraTagKind::Distance:
                    f.setRelativeDistance(mix(a.relativeDistance(), to.relativeDistance()));
                    break;
                }
            }
            i = end;
        }
    }
    for (int j = 0; j < count; ++j) {
        if (sameCamera(before[size_t(j)], frames[size_t(j)].camera)) continue;
        changed.push_back(j);
        invalidateFrame(frames, j);
    }
    return changed;
}

std::optional<CameraTagStep> setLookAtTag(MovieFrames& frames, const TagCurveShapes& shapes, int f,
                                          double x, double y) {
    return editTagged(frames, shapes, f, tagBit(CameraTagKind::LookAt), kCameraTagLabels[0],
                      [&](CameraFrame& fr) {
                          fr.camera.lookX = float(x);
                          fr.camera.lookY = float(y);
                      });
}

std::optional<CameraTagStep> setOrbitTag(MovieFrames& frames, const TagCurveShapes& shapes, int f,
                                         double turnDegrees, double tiltDegrees) {
    return editTagged(frames, shapes, f, tagBit(CameraTagKind::MoveCamera), kCameraTagLabels[1],
                      [&](CameraFrame& fr) {
                          fr.camera.turn = toRadians(turnDegrees);
                          fr.camera.tilt = toRadians(tiltDegrees);
                      });
}

std::optional<CameraTagStep> setZoomTag(MovieFrames& frames, const TagCurveShapes& shapes, int f,
                                        double zoom) {
    return editTagged(frames, shapes, f, tagBit(CameraTagKind::Zoom), kCameraTagLabels[2],
                      [&](CameraFrame& fr) { fr.camera.zoom = float(zoom); });
}

std::optional<CameraTagStep> setDistanceTag(MovieFrames& frames, const TagCurveShapes& shapes,
                                            int f, double relativeDistance) {
    return editTagged(frames, shapes, f, tagBit(CameraTagKind::Distance), kCameraTagLabels[3],
                      [&](CameraFrame& fr) { fr.setRelativeDistance(relativeDistance); });
}

LookAtPoint dragLookAt(LookAtPoint start, double dx, double dy, double zoom) {
    if (!(zoom > 0)) zoom = 1;
    return {start.x + dx / zoom, start.y + dy / zoom};
}

OrbitAngles dragOrbit(OrbitAngles start, double dx, double dy) {
    return {start.turnDegrees - dx * 0.25, start.tiltDegrees + dy * 0.25};
}

double dragZoom(double start, double dy) {
    return std::clamp(start - dy * 0.001, kMinCameraZoom, kMaxCameraZoom);
}

double dragDolly(double startRelative, double dx) {
    return std::clamp(startRelative - dx / (40 - startRelative), kMinRelativeDistance,
                      kMaxRelativeDistance);
}

double zoomInValue(double zoom) {
    return std::min(zoom * 1.01, kMaxCameraZoom);
}
double zoomOutValue(double zoom) {
    return std::max(zoom * 0.990099, kMinCameraZoom);
}
double dollyInValue(double d) {
    return std::max(d * 0.990099, kMinRelativeDistance);
}
double dollyOutValue(double d) {
    return std::min(d * 1.01, kMaxRelativeDistance);
}

LookAtPoint arrowLookAt(LookAtPoint p, ArrowDirection d, int imageWidth, int imageHeight) {
    const double across = imageWidth / 64.0, down = imageHeight / 64.0;
    switch (d) {
    case ArrowDirection::Left:
        p.x -= across;
        break;
    case ArrowDirection::Right:
        p.x += across;
        break;
    case ArrowDirection::Up:
        p.y -= down;
        break;
    case ArrowDirection::Down:
        p.y += down;
        break;
    }
    return p;
}

OrbitAngles arrowOrbit(OrbitAngles a, ArrowDirection d) {
    // The same sense as dragging: moving left turns the scene the other way round.
    switch (d) {
    case ArrowDirection::Left:
        a.turnDegrees += 1;
        break;
    case ArrowDirection::Right:
        a.turnDegrees -= 1;
        break;
    case ArrowDirection::Up:
        a.tiltDegrees -= 1;
        break;
    case ArrowDirection::Down:
        a.tiltDegrees += 1;
        break;
    }
    return a;
}

std::optional<CameraTagStep> resetZoom(MovieFrames& frames, const TagCurveShapes& shapes, int f) {
    return editTagged(frames, shapes, f, tagBit(CameraTagKind::Zoom), "Reset Zoom",
                      [](CameraFrame& fr) { fr.camera.zoom = 1.0f; });
}

std::optional<CameraTagStep> resetCameraDistance(MovieFrames& frames, const TagCurveShapes& shapes,
                                                 int f) {
    return editTagged(frames, shapes, f, tagBit(CameraTagKind::Distance), "Reset Camera Distance",
                      [](CameraFrame& fr) { fr.setRelativeDistance(kDefaultRelativeDistance); });
}

std::optional<CameraTagStep> lookAtImageCenter(MovieFrames& frames, const TagCurveShapes& shapes,
                                               int f) {
    return editTagged(frames, shapes, f, tagBit(CameraTagKind::LookAt), "Look At Image Center",
                      [](CameraFrame& fr) { fr.camera.lookX = fr.camera.lookY = 0; });
}

std::optional<CameraTagStep> resetMoveCamera(MovieFrames& frames, const TagCurveShapes& shapes,
                                             int f) {
    return editTagged(frames, shapes, f, tagBit(CameraTagKind::MoveCamera), "Reset Move Camera",
                      [](CameraFrame& fr) { fr.camera.turn = fr.camera.tilt = 0; });
}

std::optional<CameraTagStep> copyPreviousTag(MovieFrames& frames, const TagCurveShapes& shapes,
                                             int f) {
    if (!validFrame(frames, f) || f == 0) return std::nullopt;
    int source = f - 1;
    while (source > 0 && frames[size_t(source)].camera.tagBits == 0) --source;
    const CameraFrame& from = frames[size_t(source)];
    const double relative = from.relativeDistance();
    const CameraValues v = from.camera;
    // The distance goes over as relative distance, so that a tag copied into an image
    // of another size keeps its perspective.
    return editTagged(frames, shapes, f, kAllCameraTags, "Copy previous Tag", [&](CameraFrame& fr) {
        fr.camera.lookX = v.lookX;
        fr.camera.lookY = v.lookY;
        fr.camera.zoom = v.zoom;
        fr.camera.turn = v.turn;
        fr.camera.tilt = v.tilt;
        fr.setRelativeDistance(relative);
    });
}

std::optional<CameraTagStep> eraseTag(MovieFrames& frames, const TagCurveShapes& shapes, int f) {
    if (!validFrame(frames, f) || f == 0) return std::nullopt;
    CameraTagStep step = stepBefore(frames, shapes, "Erase Tag");
    frames[size_t(f)].camera.tagBits = 0;
    interpolateCameraTags(frames, shapes);
    return step;
}

std::optional<CameraTagStep> eraseAllTags(MovieFrames& frames, const TagCurveShapes& shapes) {
    if (frames.empty()) return std::nullopt;
    CameraTagStep step = stepBefore(frames, shapes, "Erase All Tags");
    for (size_t j = 1; j < frames.size(); ++j) frames[j].camera.tagBits = 0;
    const CameraValues old = frames[0].camera;
    resetFirstFrame(frames[0]);
    if (!sameCamera(old, frames[0].camera)) invalidateFrame(frames, 0);
    interpolateCameraTags(frames, shapes);
    return step;
}

std::optional<CameraTagStep> setTagBit(MovieFrames& frames, const TagCurveShapes& shapes, int f,
                                       CameraTagKind kind, bool on) {
    if (!validFrame(frames, f) || f == 0) return std::nullopt;
    const int k = tagKindIndex(kind);
    CameraTagStep step = stepBefore(
        frames, shapes, on ? kCameraTagLabels[size_t(k)] : kRemoveCameraTagLabels[size_t(k)]);
    int32_t& bits = frames[size_t(f)].camera.tagBits;
    bits = on ? (bits | tagBit(kind)) : (bits & ~tagBit(kind));
    interpolateCameraTags(frames, shapes);
    return step;
}

std::optional<CameraTagStep> setTagCurveShape(MovieFrames& frames, TagCurveShapes& shapes,
                                              CameraTagKind kind, TagCurveShape shape) {
    CameraTagStep step = stepBefore(frames, shapes, "Tags curves shapes");
    shapes[size_t(tagKindIndex(kind))] = shape;
    interpolateCameraTags(frames, shapes);
    return step;
}

} // namespace zx
