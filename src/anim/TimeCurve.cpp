#include "anim/TimeCurve.h"

#include "anim/AnimObject.h"

#include <algorithm>
#include <cmath>

namespace zx {

namespace {

struct CurvePoint {
    int x;
    double y;
};

// The ratio a / b with the degenerate cases of non-increasing curves defined:
// a flat neighbour (a = 0) contributes nothing even when b is 0.
double ratioTerm(double a, double b) {
    if (a == 0) return 0;
    return a / b;
}

// Fills the cubic Hermite segments between consecutive points. For each segment the
// previous and next points shape the tangents; the first segment takes (x1 − 1, y0)
// as its previous point and the last one (x1 + 1, y1) as its next point. The next
// point's spread is measured from the segment's start (xn − x0), not over the next
// segment, which makes the end tangents half the chord slope of the end segments.
// That shape is what stored curves look like, so it is kept as it is.
template <class Sink> void hermiteSegments(const std::vector<CurvePoint>& p, Sink&& sink) {
    const size_t last = p.size() - 1;
    for (size_t k = 0; k < last; ++k) {
        const int x0 = p[k].x, x1 = p[k + 1].x;
        const double y0 = p[k].y, y1 = p[k + 1].y;
        if (x1 <= x0) continue;
        const double xp = k == 0 ? double(x1 - 1) : double(p[k - 1].x);
        const double yp = k == 0 ? y0 : p[k - 1].y;
        const double xn = k + 1 == last ? double(x1 + 1) : double(p[k + 2].x);
        const double yn = k + 1 == last ? y1 : p[k + 2].y;
        const int d = x1 - x0;
        const double r = (x0 - xp) / d;
        const double s = (xn - x0) / d;
        const double m0 = ratioTerm(y0 - yp, 2 * r) + (y1 - y0) / 2;
        const double m1 = ratioTerm(yn - y1, 2 * s) + (y1 - y0) / 2;
        const double c2 = 3 * (y1 - y0) - 2 * m0 - m1;
        const double c3 = 2 * (y0 - y1) + m0 + m1;
        for (int j = 1; j <= d; ++j) {
            const double c = double(j) / d;
            sink(x0 + j, y0 + m0 * c + c2 * c * c + c3 * c * c * c);
        }
    }
}

int32_t clampTruncate(double v) {
    if (!(v >= 0)) return 0; // also NaN from a degenerate curve
    if (v > kCurveGrid) return kCurveGrid;
    return int32_t(v);
}

bool isLinearKind(int32_t kind) {
    return kind != 0;
}

} // namespace

int roundHalfAway(double x) {
    return x > 0 ? int(x + 0.5) : int(x - 0.49999);
}

CurveTable sampleTimeCurve(const TimeCurve& curve, bool reverse, bool invert) {
    CurveTable table;
    const auto& pts = curve.points;
    if (pts.size() < 2) return table;
    if (curvePointX(pts[0]) != 0) return table;
    const int y0 = curvePointY(pts[0]);
    table.push_back(y0);

    if (!isLinearKind(curve.kind) && pts.size() == 2) {
        // Smoothstep between the two ordinates over the whole grid; the x of the
        // points plays no part.
        const int y1 = curvePointY(pts[1]);
        const double f = (y1 - y0) * 3 / 262144.0;
        const double h = -f / 768;
        table.clear();
        table.reserve(kCurveTableSize);
        for (int i = 0; i <= kCurveGrid; ++i) {
            const double di = i;
            table.push_back(int32_t(y0 + f * di * di + h * di * di * di));
        }
    } else if (!isLinearKind(curve.kind)) {
        std::vector<CurvePoint> p;
        p.reserve(pts.size());
        for (uint32_t w : pts) p.push_back({curvePointX(w), double(curvePointY(w))});
        hermiteSegments(p, [&](int, double v) { table.push_back(clampTruncate(v)); });
    } else {
        for (size_t k = 0; k + 1 < pts.size(); ++k) {
            const int x0 = curvePointX(pts[k]), x1 = curvePointX(pts[k + 1]);
            if (x1 <= x0) break;
            const int ya = curvePointY(pts[k]), yb = curvePointY(pts[k + 1]);
            const int n = x1 - x0;
            const double step = double(yb - ya) / n;
            double value = ya;
            for (int j = 0; j < n; ++j) {
                value += step;
                table.push_back(roundHalfAway(value));
            }
        }
    }

    if (reverse) std::reverse(table.begin(), table.end());
    if (invert)
        for (int32_t& v : table) v = kCurveGrid - v;
    return table;
}

double evaluateTimeCurve(std::span<const int32_t> table, double t) {
    if (table.size() != size_t(kCurveTableSize)) return t;
    double v = evaluateCompleteTimeCurve(table, t);
    return v > 1 ? 1 : v;
}

double evaluateCompleteTimeCurve(std::span<const int32_t> table, double t) {
    // Callers promise a complete table; one that is not still never gets read
    // outside its entries.
    if (table.size() < size_t(kCurveTableSize)) return t;
    if (!(t > 0)) t = 0; // negative time reads the first entry
    const double x = t * kCurveGrid;
    if (x >= kCurveGrid) return double(table[kCurveGrid] & 0x3FF) / kCurveGrid;
    const int i = int(x);
    const int a = table[i] & 0x3FF;
    const int b = table[i + 1] & 0x3FF;
    return (a + (x - i) * (b - a)) / kCurveGrid;
}

void sampleEffectCurve(std::span<const EffectPoint> points, int32_t kind,
                       std::vector<float>& table) {
    if (points.size() < 2 || points[0].x != 0 || table.empty()) return;
    const int size = int(table.size());
    auto put = [&](long long at, double v) {
        if (at >= 0 && at < size) table[size_t(at)] = float(v);
    };
    const double y0 = points[0].y;
    table[0] = float(y0);

    if (!isLinearKind(kind) && points.size() == 2) {
        const double y1 = points[1].y;
        for (int i = 0; i <= kCurveGrid; ++i) {
            const double u = double(i) / kCurveGrid;
            put(i, y0 + (y1 - y0) * (3 * u * u - 2 * u * u * u));
        }
    } else if (!isLinearKind(kind)) {
        std::vector<CurvePoint> p;
        p.reserve(points.size());
        for (const EffectPoint& e : points) p.push_back({e.x, double(e.y)});
        hermiteSegments(p, [&](long long at, double v) { put(at, v); });
    } else {
        for (size_t k = 0; k + 1 < points.size(); ++k) {
            const long long x0 = points[k].x, x1 = points[k + 1].x;
            if (x1 <= x0) continue;
            const float step = (points[k + 1].y - points[k].y) / float(x1 - x0);
            const long long from = std::max<long long>(x0 + 1, 1);
            const long long to = std::min<long long>(x1, size - 1);
            for (long long j = from; j <= to; ++j) table[j] = table[j - 1] + step;
        }
    }
}

float evaluateEffect(const ObjectEffect& effect, double t) {
    const auto& e = effect.table;
    // t = 0 gives the start value even with a table; negative t is treated alike.
    if (e.empty() || !(t > 0)) return effect.startValue;
    if (t >= 1) return e.back();
    if (e.size() == 1) return e[0];
    const double p = t * double(e.size() - 1);
    const size_t k = size_t(p);
    const double f = p - double(k);
    return float(e[k] * (1 - f) + e[k + 1] * f);
}

void resampleObjectCurve(AnimObject& object) {
    TimeCurve c{object.curveKind, object.curvePoints};
    object.curveTable = sampleTimeCurve(c, object.reverse != 0, object.invert != 0);
}

void setObjectCurve(AnimObject& object, const TimeCurve& curve) {
    object.curveKind = curve.kind;
    object.curvePoints = curve.points;
    object.reverse = 0;
    object.invert = 0;
    resampleObjectCurve(object);
}

TimeCurve linearCommandCurve() {
    return {1, {packCurvePoint(0, 0), packCurvePoint(512, 512)}};
}

TimeCurve reverseCommandCurve() {
    return {1, {packCurvePoint(0, 512), packCurvePoint(512, 0)}};
}

TimeCurve alternateCommandCurve() {
    return {1, {packCurvePoint(0, 0), packCurvePoint(256, 512), packCurvePoint(512, 0)}};
}

double frameTime(int frame, int lastFrame) {
    return lastFrame > 0 ? double(frame) / double(lastFrame) : 0.0;
}

double libraryLocalTime(const AnimObject& object, int modelLastFrame, double t) {
    // A recorded animation of a single frame has no time to map: every time shows it.
    if (object.ownLastFrame <= 0) return 0;
    double u = double(modelLastFrame) * double(object.speed) * t / double(object.ownLastFrame) +
               double(object.timeOffset);
    if (std::isnan(u)) return 0;
    if (u < 0) {
        if (object.loop) {
            // Whole turns backwards; far away the same as adding 1 step by step,
            // without looping for ever.
            if (u > -1e6)
                while (u < 0) u += 1;
            else
                u -= std::floor(u);
        } else {
            u = 0;
        }
    }
    if (!object.loop && u > 1) u = 1;
    if (u != 1) u -= std::floor(u);
    return std::isnan(u) ? 0 : u; // an infinite speed or offset lands here
}

double objectProgress(const AnimObject& object, int modelLastFrame, double t) {
    if (object.isLibrary()) t = libraryLocalTime(object, modelLastFrame, t);
    return evaluateTimeCurve(object.curveTable, t);
}

} // namespace zx
