#include "imaging/ObjectPostEffects.h"

#include "anim/AnimObject.h"
#include "anim/EffectTables.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zx {

namespace {

constexpr double kMaxBlurRadius = 37.5;

int roundToInt(double x) {
    return x > 0 ? int(x + 0.5) : int(x - 0.49999);
}

uint8_t clampByte(double v) {
    if (!(v > 0)) return 0;
    if (v >= 255) return 255;
    return uint8_t(roundToInt(v));
}

int clampCoordinate(double v) {
    if (v < -1e9) return -1000000000;
    if (v > 1e9) return 1000000000;
    return roundToInt(v);
}

// The pixel grid the effects visit: every step-th column and row of the clip box,
// on multiples of the step as the preview filler draws them.
struct Grid {
    int x0 = 0, y0 = 0, width = 0, height = 0, step = 1;
};

Grid gridOf(const RasterImage& layer, const PixelRect& clip, int step) {
    Grid g;
    g.step = step < 1 ? 1 : step;
    const int left = std::max(clip.left, 0), top = std::max(clip.top, 0);
    const int right = std::min(clip.right, layer.width());
    const int bottom = std::min(clip.bottom, layer.height());
    g.x0 = (left + g.step - 1) / g.step * g.step;
    g.y0 = (top + g.step - 1) / g.step * g.step;
    if (right > g.x0) g.width = (right - g.x0 + g.step - 1) / g.step;
    if (bottom > g.y0) g.height = (bottom - g.y0 + g.step - 1) / g.step;
    return g;
}

using ByteTable = std::array<uint8_t, 256>;

ByteTable offsetTable(float value) {
    ByteTable t;
    for (int c = 0; c < 256; ++c) t[size_t(c)] = clampByte(c + double(value) * 200);
    return t;
}

ByteTable brightnessContrastTable(float brightness, float contrast) {
    ByteTable t;
    for (int c = 0; c < 256; ++c)
        t[size_t(c)] =
            clampByte(double(brightness) * 200 + (double(contrast) + 1) * (c - 128) + 128);
    return t;
}

// Hue and saturation in fixed point: hue in 1/4096 of a 60-degree sector (0 … 6·4096),
// saturation in 1/65536.
constexpr int kSector = 4096;
constexpr int kHueTurn = 6 * kSector;

void shiftHueSaturation(int& r, int& g, int& b, int hueShift, int saturationShift) {
    const int hi = std::max({r, g, b});
    const int lo = std::min({r, g, b});
    const int delta = hi - lo;
    int hue = 0, saturation = 0;
    if (delta > 0) {
        saturation = (delta << 16) / hi;
        if (hi == r)
            hue = ((g - b) * kSector) / delta;
        else if (hi == g)
            hue = 2 * kSector + ((b - r) * kSector) / delta;
        else
            hue = 4 * kSector + ((r - g) * kSector) / delta;
        if (hue < 0) hue += kHueTurn;
    }
    hue = (hue + hueShift) % kHueTurn;
    saturation = std::clamp(saturation + saturationShift, 0, 65536);

    const int value = hi;
    const int chroma = (value * saturation + 32768) >> 16;
    const int low = value - chroma;
    const int sector = hue / kSector;
    const int rising = (chroma * (hue % kSector) + kSector / 2) / kSector;
    const int falling = chroma - rising;
    switch (sector) {
    case 0:
        r = value, g = low + rising, b = low;
        break;
    case 1:
        r = low + falling, g = value, b = low;
        break;
    case 2:
        r = low, g = value, b = low + rising;
        break;
    case 3:
        r = low, g = low + falling, b = value;
        break;
    case 4:
        r = low + rising, g = low, b = value;
        break;
    default:
        r = value, g = low, b = low + falling;
        break;
    }
}

void applyColourEffects(RasterImage& layer, const PostEffectValues& v, const Grid& grid) {
    const bool offsets = v.red != 0 || v.green != 0 || v.blue != 0;
    const bool hueSat = v.hue != 0 || v.saturation != 0;
    const bool levels = v.brightness != 0 || v.contrast != 0;
    if (!offsets && !hueSat && !levels) return;

    ByteTable red = offsetTable(v.red), green = offsetTable(v.green), blue = offsetTable(v.blue);
    const ByteTable bc = brightnessContrastTable(v.brightness, v.contrast);
    if (!hueSat && levels) {
        // Without the hue step between them the two table lookups fold into one.
        for (auto* t : {&red, &green, &blue})
            for (uint8_t& e : *t) e = bc[e];
    }
    // Whole turns drop out before the conversion, so no effect value can overflow it.
    double turns = std::fmod(double(v.hue) * 180 / 60 * kSector, double(kHueTurn));
    if (!std::isfinite(turns)) turns = 0;
    int hueShift = roundToInt(turns) % kHueTurn;
    if (hueShift < 0) hueShift += kHueTurn;
    const double saturation =
        std::isnan(v.saturation) ? 0 : std::clamp(double(v.saturation), -2.0, 2.0);
    const int satShift = roundToInt(saturation * 65536);

    for (int j = 0; j < grid.height; ++j) {
        uint32_t* row = layer.row(grid.y0 + j * grid.step).data();
        for (int i = 0; i < grid.width; ++i) {
            uint32_t& px = row[grid.x0 + i * grid.step];
            if ((px >> 24) == 0) continue;
            int r = red[(px >> 16) & 0xFF], g = green[(px >> 8) & 0xFF], b = blue[px & 0xFF];
            if (hueSat) {
                shiftHueSaturation(r, g, b, hueShift, satShift);
                if (levels) {
                    r = bc[size_t(r)];
                    g = bc[size_t(g)];
                    b = bc[size_t(b)];
                }
            }
            px = (px & 0xFF000000u) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
        }
    }
}

// ---------------------------------------------------------------- blur
//
// The blur works on premultiplied 16-bit planes, four values per pixel: alpha · 255 and
// each channel · alpha (both at most 65025), so transparent surroundings lend no colour
// and the object's edge softens instead of darkening.

using Taps = std::array<uint32_t, 5>;

Taps gaussianTaps(double radius) {
    Taps taps = {0, 0, 65536, 0, 0};
    if (!(radius > 0)) return taps;
    const double b = 2.5 * 2.35482 / radius;
    std::array<double, 5> w{};
    double sum = 0;
    for (int i = 0; i < 5; ++i) {
        const double x = b * (2 * i - 4) / 5;
        w[size_t(i)] = std::exp(-0.5 * x * x);
        sum += w[size_t(i)];
    }
    uint32_t total = 0;
    for (int i = 0; i < 5; ++i) {
        taps[size_t(i)] = uint32_t(roundToInt(w[size_t(i)] / sum * 65536));
        total += taps[size_t(i)];
    }
    taps[2] += 65536 - total; // the rounding rest goes to the centre: the sum stays 65536
    return taps;
}

// Horizontal then vertical 5-tap pass. Samples beyond the plane repeat its border: the
// clip box is grown past the object, so its border is transparent anyway, except where
// the box meets the frame's edge, which must not fade the object.
void filterPlanes(std::vector<uint16_t>& plane, int w, int h, const Taps& taps,
                  std::vector<uint16_t>& tmp) {
    if (taps[2] == 65536) return;
    // The taps are symmetric: three products per value.
    const uint32_t t0 = taps[0], t1 = taps[1], t2 = taps[2];
    tmp.resize(plane.size());
    for (int y = 0; y < h; ++y) {
        const uint16_t* src = plane.data() + size_t(y) * size_t(w) * 4;
        uint16_t* dst = tmp.data() + size_t(y) * size_t(w) * 4;
        auto at = [&](int x) { return src + size_t(std::clamp(x, 0, w - 1)) * 4; };
        for (int x = 0; x < w; ++x) {
            const uint16_t *a = at(x - 2), *b = at(x - 1), *c = src + size_t(x) * 4, *d = at(x + 1),
                           *e = at(x + 2);
            for (int ch = 0; ch < 4; ++ch)
                dst[size_t(x) * 4 + size_t(ch)] =
                    uint16_t((t0 * (uint32_t(a[ch]) + e[ch]) + t1 * (uint32_t(b[ch]) + d[ch]) +
                              t2 * c[ch] + 32768) >>
                             16);
        }
    }
    const size_t stride = size_t(w) * 4;
    for (int y = 0; y < h; ++y) {
        auto row = [&](int yy) { return tmp.data() + size_t(std::clamp(yy, 0, h - 1)) * stride; };
        const uint16_t *a = row(y - 2), *b = row(y - 1), *c = row(y), *d = row(y + 1),
                       *e = row(y + 2);
        uint16_t* dst = plane.data() + size_t(y) * stride;
        for (size_t i = 0; i < stride; ++i)
            dst[i] = uint16_t(
                (t0 * (uint32_t(a[i]) + e[i]) + t1 * (uint32_t(b[i]) + d[i]) + t2 * c[i] + 32768) >>
                16);
    }
}

// Mean of every factor × factor block (over the pixels the block really has).
void reducePlanes(const std::vector<uint16_t>& src, int w, int h, int factor,
                  std::vector<uint16_t>& out, int& rw, int& rh) {
    rw = (w + factor - 1) / factor;
    rh = (h + factor - 1) / factor;
    out.assign(size_t(rw) * size_t(rh) * 4, 0);
    for (int by = 0; by < rh; ++by) {
        const int y1 = std::min(h, (by + 1) * factor);
        for (int bx = 0; bx < rw; ++bx) {
            const int x1 = std::min(w, (bx + 1) * factor);
            uint32_t sum[4] = {0, 0, 0, 0};
            uint32_t count = 0;
            for (int y = by * factor; y < y1; ++y) {
                const uint16_t* p = src.data() + (size_t(y) * size_t(w) + size_t(bx) * factor) * 4;
                for (int x = bx * factor; x < x1; ++x, p += 4, ++count)
                    for (int c = 0; c < 4; ++c) sum[c] += p[c];
            }
            uint16_t* o = out.data() + (size_t(by) * size_t(rw) + size_t(bx)) * 4;
            for (int c = 0; c < 4; ++c) o[c] = uint16_t((sum[c] + count / 2) / count);
        }
    }
}

// Bilinear enlargement of a reduced plane back to w × h, sampling block centres.
void enlargePlanes(const std::vector<uint16_t>& src, int rw, int rh, int factor, int w, int h,
                   std::vector<uint16_t>& out, std::vector<uint32_t>& columns) {
    out.resize(size_t(w) * size_t(h) * 4);
    auto place = [&](int i, int limit, int& i0, int& i1, uint32_t& frac) {
        // Position of pixel i in reduced coordinates, in 1/256: (i + ½) / factor − ½.
        const int pos = ((2 * i + 1) * 256) / (2 * factor) - 128;
        i0 = pos >> 8; // floor
        frac = uint32_t(pos - i0 * 256);
        i1 = i0 + 1;
        if (i0 < 0) i0 = 0, frac = 0;
        if (i1 > limit - 1) i1 = limit - 1;
        if (i0 > limit - 1) i0 = limit - 1;
    };
    columns.resize(size_t(w) * 3);
    for (int x = 0; x < w; ++x) {
        int x0, x1;
        uint32_t fx;
        place(x, rw, x0, x1, fx);
        columns[size_t(x) * 3] = uint32_t(x0);
        columns[size_t(x) * 3 + 1] = uint32_t(x1);
        columns[size_t(x) * 3 + 2] = fx;
    }
    for (int y = 0; y < h; ++y) {
        int y0, y1;
        uint32_t fy;
        place(y, rh, y0, y1, fy);
        const uint16_t* top = src.data() + size_t(y0) * size_t(rw) * 4;
        const uint16_t* bottom = src.data() + size_t(y1) * size_t(rw) * 4;
        uint16_t* o = out.data() + size_t(y) * size_t(w) * 4;
        for (int x = 0; x < w; ++x, o += 4) {
            const size_t a = columns[size_t(x) * 3] * 4, b = columns[size_t(x) * 3 + 1] * 4;
            const uint32_t fx = columns[size_t(x) * 3 + 2];
            for (int c = 0; c < 4; ++c) {
                const uint32_t t = top[a + size_t(c)] * (256 - fx) + top[b + size_t(c)] * fx;
                const uint32_t u = bottom[a + size_t(c)] * (256 - fx) + bottom[b + size_t(c)] * fx;
                o[c] = uint16_t((t * (256 - fy) + u * fy + 32768) >> 16);
            }
        }
    }
}

// The blur of the source planes with the filter running at 1/factor of the resolution.
void blurAtFactor(const std::vector<uint16_t>& source, int w, int h, int factor, double radius,
                  std::vector<uint16_t>& out, PostEffectScratch& s) {
    const Taps taps = gaussianTaps(radius / factor);
    if (factor <= 1) {
        out = source;
        filterPlanes(out, w, h, taps, s.filtered);
        return;
    }
    int rw = 0, rh = 0;
    reducePlanes(source, w, h, factor, s.reduced, rw, rh);
    filterPlanes(s.reduced, rw, rh, taps, s.filtered);
    enlargePlanes(s.reduced, rw, rh, factor, w, h, out, s.rows);
}

struct BlurPlan {
    int factor = 1;       // the band's reduction
    int lowFactor = 0;    // the finer reduction blended in at the bottom of a band, 0 none
    double lowWeight = 0; // share of the finer result
};

BlurPlan planBlur(double r) {
    BlurPlan plan;
    double low = 0;
    if (r < 2.5) {
        plan.factor = 1;
        return plan;
    }
    if (r < 7.5) {
        plan.factor = 3;
        if (r < 5) plan.lowFactor = 1, low = (r - 2.5) * 0.4;
    } else if (r < 17.5) {
        plan.factor = 7;
        if (r < 15) plan.lowFactor = 3, low = (r - 7.5) * 0.13333334;
    } else {
        plan.factor = 15;
        if (r < 35) plan.lowFactor = 7, low = (r - 17.5) * 0.057142857;
    }
    // `low` runs from 0 at the bottom of the band to 1 where the band's own factor
    // takes over alone. The finer result therefore weighs 1 − low: at the bottom of a
    // band the blur matches the band below, at the top the band itself, so a blur
    // that grows over the frames never jumps at a band border.
    if (plan.lowFactor == 0) return plan;
    plan.lowWeight = std::clamp(1 - low, 0.0, 1.0);
    if (plan.lowWeight <= 0) plan.lowFactor = 0;
    if (plan.lowWeight >= 1) plan.factor = plan.lowFactor, plan.lowFactor = 0;
    return plan;
}

void applyBlur(RasterImage& layer, double radius, const Grid& grid, PostEffectScratch& s) {
    const int w = grid.width, h = grid.height;
    if (w <= 0 || h <= 0) return;
    const double r = radius / grid.step; // the filter runs on the visited pixels
    if (!(r > 0)) return;

    s.source.resize(size_t(w) * size_t(h) * 4);
    bool any = false;
    for (int j = 0; j < h; ++j) {
        const uint32_t* row = layer.row(grid.y0 + j * grid.step).data();
        uint16_t* o = s.source.data() + size_t(j) * size_t(w) * 4;
        for (int i = 0; i < w; ++i, o += 4) {
            const uint32_t px = row[grid.x0 + i * grid.step];
            const uint32_t a = px >> 24;
            any |= a != 0;
            o[0] = uint16_t(a * 255);
            o[1] = uint16_t(((px >> 16) & 0xFF) * a);
            o[2] = uint16_t(((px >> 8) & 0xFF) * a);
            o[3] = uint16_t((px & 0xFF) * a);
        }
    }
    if (!any) return;

    const BlurPlan plan = planBlur(r);
    blurAtFactor(s.source, w, h, plan.factor, r, s.first, s);
    if (plan.lowFactor > 0) {
        blurAtFactor(s.source, w, h, plan.lowFactor, r, s.second, s);
        const uint32_t wl = uint32_t(roundToInt(plan.lowWeight * 256));
        for (size_t i = 0; i < s.first.size(); ++i)
            s.first[i] = uint16_t((s.second[i] * wl + s.first[i] * (256 - wl) + 128) >> 8);
    }

    for (int j = 0; j < h; ++j) {
        uint32_t* row = layer.row(grid.y0 + j * grid.step).data();
        const uint16_t* p = s.first.data() + size_t(j) * size_t(w) * 4;
        for (int i = 0; i < w; ++i, p += 4) {
            uint32_t& px = row[grid.x0 + i * grid.step];
            if ((px >> 24) == 0) continue;
            const uint32_t a = p[0];
            if (a == 0) {
                px = 0;
                continue;
            }
            // Un-premultiply: channel = 255 · P / A, one reciprocal per pixel.
            const float inverse = 255.0f / float(a);
            auto channel = [&](uint32_t v) {
                const uint32_t c = uint32_t(float(v) * inverse + 0.5f);
                return c > 255 ? 255u : c;
            };
            px = (((a + 127) / 255) << 24) | (channel(p[1]) << 16) | (channel(p[2]) << 8) |
                 channel(p[3]);
        }
    }
}

} // namespace

PostEffectValues postEffectValues(const AnimObject& object, double t, double zoom) {
    const EffectValues e = evaluateEffects(object, t);
    PostEffectValues v;
    v.red = e[EffectSlot::Red];
    v.green = e[EffectSlot::Green];
    v.blue = e[EffectSlot::Blue];
    v.hue = e[EffectSlot::Hue];
    v.saturation = e[EffectSlot::Saturation];
    v.brightness = e[EffectSlot::Brightness];
    v.contrast = e[EffectSlot::Contrast];
    v.blur = e[EffectSlot::Blur];
    const double startScale = object.effects[EffectSlot::Scale].startValue;
    const double ratio = startScale != 0 ? double(e[EffectSlot::Scale]) / startScale : 1.0;
    v.blurScale = ratio * zoom;
    return v;
}

bool hasPostEffects(const PostEffectValues& v) {
    return v.red != 0 || v.green != 0 || v.blue != 0 || v.hue != 0 || v.saturation != 0 ||
           v.brightness != 0 || v.contrast != 0 || blurRadius(v) > 0;
}

double blurRadius(const PostEffectValues& v) {
    if (!(v.blur > 0)) return 0;
    const double k = std::min(1.0, double(v.blur) * v.blurScale);
    return k > 0 ? k * kMaxBlurRadius : 0; // a negative or NaN scale blurs nothing
}

PixelRect postEffectClipBox(double minX, double minY, double maxX, double maxY, double radius,
                            int frameWidth, int frameHeight) {
    if (!(std::isfinite(minX) && std::isfinite(minY) && std::isfinite(maxX) && std::isfinite(maxY)))
        return {};
    PixelRect box{clampCoordinate(minX), clampCoordinate(minY), clampCoordinate(maxX) + 1,
                  clampCoordinate(maxY) + 1};
    if (radius > 0) {
        const int grow = radius >= 17.5 ? 40 : radius >= 7.5 ? 20 : radius >= 2.5 ? 10 : 2;
        box.left -= grow;
        box.top -= grow;
        box.right += grow;
        box.bottom += grow;
    }
    box.left = std::max(box.left, 0);
    box.top = std::max(box.top, 0);
    box.right = std::min(box.right, frameWidth);
    box.bottom = std::min(box.bottom, frameHeight);
    if (box.empty()) box = {};
    return box;
}

void applyObjectPostEffects(RasterImage& layer, const PostEffectValues& values,
                            const PixelRect& clip, int step, PostEffectScratch* scratch) {
    if (layer.isDescriptor() || layer.empty()) return;
    const Grid grid = gridOf(layer, clip, step);
    if (grid.width <= 0 || grid.height <= 0) return;
    applyColourEffects(layer, values, grid);
    const double radius = blurRadius(values);
    if (radius > 0) {
        PostEffectScratch local;
        applyBlur(layer, radius, grid, scratch ? *scratch : local);
    }
}

} // namespace zx
