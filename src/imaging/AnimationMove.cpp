#include "imaging/AnimationMove.h"

#include "anim/AnimationModel.h"
#include "anim/AnimationRecord.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zx {

namespace {
constexpr uint32_t kOutlineEnd = 0x80008000u;

void movePosition(Vec3& v, const PixelMap& m) {
    const double x = v.x, y = v.y;
    v.x = decltype(v.x)(m.mapX(x, y));
    v.y = decltype(v.y)(m.mapY(x, y));
}

int roundPixel(double v) {
    return int(v > 0 ? std::trunc(v + 0.5) : std::trunc(v - 0.49999));
}

IntRect moveRect(const IntRect& r, const PixelMap& m) {
    if (r == IntRect{}) return r;
    const double xs[2] = {double(r.left), double(r.right)};
    const double ys[2] = {double(r.top), double(r.bottom)};
    double l = 1e18, t = 1e18, rr = -1e18, b = -1e18;
    for (double x : xs)
        for (double y : ys) {
            l = std::min(l, m.mapX(x, y)), rr = std::max(rr, m.mapX(x, y));
            t = std::min(t, m.mapY(x, y)), b = std::max(b, m.mapY(x, y));
        }
    return {roundPixel(l), roundPixel(t), roundPixel(rr), roundPixel(b)};
}

// Packed x | y << 16 contour words, up to the end mark.
void moveOutline(std::vector<uint32_t>& words, const PixelMap& m) {
    for (uint32_t& w : words) {
        if (w == kOutlineEnd) break;
        const double x = int16_t(w & 0xFFFF), y = int16_t(w >> 16);
        w = uint32_t(uint16_t(roundPixel(m.mapX(x, y)))) |
            uint32_t(uint16_t(roundPixel(m.mapY(x, y)))) << 16;
    }
}

void moveBone(Bone& bone, const PixelMap& m) {
    const double ux = std::cos(bone.restAngle), uy = std::sin(bone.restAngle);
    const double vx = m.xx * ux + m.xy * uy, vy = m.yx * ux + m.yy * uy;
    bone.restLength *= std::hypot(vx, vy);
    double angle = std::atan2(vy, vx);
    if (angle < 0) angle += 2 * std::numbers::pi;
    bone.restAngle = angle;
}

void moveObject(AnimObject& o, const PixelMap& m) {
    for (AnimPoint& p : o.points) {
        movePosition(p.texture, m);
        movePosition(p.start, m);
        movePosition(p.end, m);
        movePosition(p.current, m);
        if (p.trajectory)
            for (TrajectorySample& s : *p.trajectory) {
                const double x = s.x, y = s.y;
                s.x = float(m.mapX(x, y));
                s.y = float(m.mapY(x, y));
            }
    }
    o.textureRect = moveRect(o.textureRect, m);
    o.secondRect = moveRect(o.secondRect, m);
    o.boxRect = moveRect(o.boxRect, m);
    moveOutline(o.outline, m);
    for (Bone& b : o.bones) moveBone(b, m);
}
} // namespace

void moveAnimation(AnimationModel& model, const PixelMap& map, int width, int height) {
    for (int slot = 0; slot < model.objectCount; ++slot) moveObject(model.object(slot), map);
    model.startWidth = width;
    model.startHeight = height;
    model.headerWords[19] = 4 * std::max(width, height);
}

std::optional<std::vector<uint32_t>>
moveAnimationRecord(std::span<const uint32_t> record, const PixelMap& map, int width, int height) {
    AnimationModel model;
    RecordReadOptions options;
    options.forRewrite = true; // library objects keep their stored form
    if (!readAnimationRecord(model, record, options)) return std::nullopt;
    moveAnimation(model, map, width, height);
    return writeAnimationRecord(model);
}

} // namespace zx
