#include "render/FramePasses.h"

#include "render/PixelMath.h"
#include "render/Rasterizer.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zx {

uint32_t backgroundColour(int32_t mode) {
    switch (mode) {
    case 0:
        return 0xFF000000u;
    case 1:
        return 0xFF000080u;
    case 2:
        return 0xFF008000u;
    case 3:
        return 0xFFFFFFFFu;
    default:
        return 0xFFB0B0C0u;
    }
}

void drawBackground(const AnimationModel& model, const CameraFrame& frame, RasterImage& raster) {
    if (!model.background || model.background->empty() || model.background->isDescriptor()) return;
    const RasterImage& src = *model.background;
    const int fw = raster.width(), fh = raster.height();
    if (fw <= 0 || fh <= 0) return;
    const double W = model.startWidth, H = model.startHeight;
    const FrameWindow window = frameWindow(frame, W, H);
    const double side = std::max(W, H);
    double px = 0, py = 0;
    const double B = frame.backgroundField;
    if (B != 0 && std::isfinite(B)) {
        px = -(frame.camera.turn / B) * side;
        py = (frame.camera.tilt / B) * side;
    }
    const double w = fw / window.scale, h = fh / window.scale;
    const double x0 = window.left - px;
    const double y0 = window.top - py;
    if (!std::isfinite(x0) || !std::isfinite(y0)) return;
    const double sw = src.width(), sh = src.height();
    std::vector<double> columns(static_cast<size_t>(fw));
    for (int i = 0; i < fw; ++i) columns[size_t(i)] = x0 + double(i) * w / fw;
    const bool nearest = frame.quality == int32_t(RenderQuality::Low);

    for (int j = 0; j < fh; ++j) {
        const double sy = y0 + double(j) * h / fh;
        if (!(sy >= 0 && sy < sh)) continue;
        uint32_t* row = raster.row(j).data();
        const int ty = int(sy);
        for (int i = 0; i < fw; ++i) {
            const double sx = columns[size_t(i)];
            if (!(sx >= 0 && sx < sw)) continue;
            uint32_t sample;
            if (nearest)
                sample = src.at(int(sx), ty);
            else if (!sampleBilinear(src, sx, sy, sample))
                continue;
            row[i] = blendOver(row[i], sample);
        }
    }
}

void mergeLayer(const RasterImage& layerColour, const DepthRaster& layerDepth,
                RasterImage& frameColour, DepthRaster& frameDepth) {
    const int w = std::min(
        {layerColour.width(), layerDepth.width(), frameColour.width(), frameDepth.width()});
    const int h = std::min(
        {layerColour.height(), layerDepth.height(), frameColour.height(), frameDepth.height()});
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t lp = layerColour.at(x, y);
            if (alphaOf(lp) == 0) continue;
            const int32_t ld = layerDepth.at(x, y) & ~1;
            int32_t& fd = frameDepth.at(x, y);
            uint32_t& fp = frameColour.at(x, y);
            if (ld >= (fd & ~1)) {
                fd = ld;
                fp = blendOver(fp, lp);
            } else if (alphaOf(fp) < 255) {
                fp = blendUnder(fp, lp);
            }
        }
    }
}

void compositeOver(RasterImage& background, const RasterImage& objects) {
    const size_t n = std::min(background.pixelCount(), objects.pixelCount());
    uint32_t* b = background.pixels();
    const uint32_t* o = objects.pixels();
    for (size_t i = 0; i < n; ++i) {
        const uint32_t u = alphaOf(o[i]);
        if (u == 0) continue;
        b[i] = blendOver(b[i], o[i]);
    }
}

void smoothSilhouettes(RasterImage& raster, const EdgeMask& mask) {
    const int width = raster.width(), height = raster.height();
    if (mask.width() != width || mask.height() != height) return;
    for (int y = 2; y < height - 2; ++y) {
        for (int x = 2; x < width - 2; ++x) {
            const uint8_t e = mask.at(x, y);
            if (e == 0) continue;
            const float w = float(e) / 255.0f;
            for (int by = y - 1; by <= y + 1; ++by) {
                for (int bx = x - 1; bx <= x + 1; ++bx) {
                    uint32_t sr = 0, sg = 0, sb = 0;
                    for (int ny = by - 1; ny <= by + 1; ++ny) {
                        const uint32_t* row = raster.row(ny).data();
                        for (int nx = bx - 1; nx <= bx + 1; ++nx) {
                            sr += redOf(row[nx]);
                            sg += greenOf(row[nx]);
                            sb += blueOf(row[nx]);
                        }
                    }
                    uint32_t& p = raster.at(bx, by);
                    auto mix = [w](uint32_t channel, uint32_t sum) {
                        const float mean = float((sum + 3) / 9);
                        const int32_t v =
                            roundPixel(double((1.0f - w) * float(channel) + w * mean));
                        return uint32_t(std::min(v, 255));
                    };
                    p = makePixel(alphaOf(p), mix(redOf(p), sr), mix(greenOf(p), sg),
                                  mix(blueOf(p), sb));
                }
            }
        }
    }
}

RasterImage halveImage(RasterImage raster, int factor) {
    if (factor != 2) return raster;
    const int w = raster.width() / 2, h = raster.height() / 2;
    RasterImage out(w, h);
    for (int y = 0; y < h; ++y) {
        const uint32_t* r0 = raster.row(2 * y).data();
        const uint32_t* r1 = raster.row(2 * y + 1).data();
        uint32_t* dst = out.row(y).data();
        for (int x = 0; x < w; ++x) {
            const uint32_t a = r0[2 * x], b = r0[2 * x + 1], c = r1[2 * x], d = r1[2 * x + 1];
            dst[x] = makePixel(0, (redOf(a) + redOf(b) + redOf(c) + redOf(d)) >> 2,
                               (greenOf(a) + greenOf(b) + greenOf(c) + greenOf(d)) >> 2,
                               (blueOf(a) + blueOf(b) + blueOf(c) + blueOf(d)) >> 2);
        }
    }
    return out;
}

} // namespace zx
