// Per-frame cost of the deformation solver and of the object pixel effects.
//
// Compute frame: eight boned objects of about 600 vertices each (some 5 000 vertices,
// half of them on two bones with a joint correction), against a plain two-matrix
// linear-blend skinning loop over the same vertices with precomputed matrices — the
// least any bone solver has to do per vertex.
//
// Blur: the banded blur on an object of 600 × 400 pixels in a 1280 × 720 layer, against
// a direct full-resolution separable Gaussian (floating point, taps out to 3σ) of the
// same radius on the same box.

#include "anim/AnimationModel.h"
#include "anim/BoneAssignment.h"
#include "anim/BoneTransform.h"
#include "anim/Deformation.h"
#include "imaging/ObjectPostEffects.h"
#include "platform/Prompter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace zx;

AnimPoint pointAt(double x, double y, int32_t flags) {
    AnimPoint p;
    p.flags = flags;
    p.texture = p.start = p.end = p.current = {x, y, 0};
    return p;
}

// An arm-like object: a 40 × 15 vertex grid over 200 × 60 pixels, three bones along it
// whose far dot swings up by the end of the animation.
void addArm(AnimationModel& model, double ox, double oy) {
    SilentPrompter silent;
    const int slot = model.addObject(silent);
    AnimObject& o = model.object(slot);
    for (int j = 0; j < 15; ++j)
        for (int i = 0; i < 40; ++i)
            o.points.push_back(pointAt(ox + i * 5.0, oy + j * 4.0, PointFlag::MeshVertex));
    o.vertexCount = int(o.points.size());
    const int first = o.vertexCount;
    for (int k = 0; k < 4; ++k) {
        AnimPoint dot = pointAt(ox + k * 66.0, oy + 30, 0);
        if (k >= 2) dot.end = {dot.start.x - 20.0 * (k - 1), dot.start.y - 40.0 * (k - 1), 0};
        o.points.push_back(dot);
    }
    for (int k = 0; k < 3; ++k) {
        Bone b;
        b.dotA = first + k;
        b.dotB = first + k + 1;
        o.bones.push_back(b);
    }
    o.skinFill = 0.5f;
    assignVerticesToBones(model, slot);
}

std::unique_ptr<AnimationModel> armModel() {
    auto model = std::make_unique<AnimationModel>();
    model->lastFrameIndex = 100;
    for (int k = 0; k < 8; ++k) addArm(*model, 20 + (k % 4) * 300, 40 + (k / 4) * 300);
    return model;
}

void BM_ComputeFrame(benchmark::State& state) {
    auto model = armModel();
    int frame = 0;
    SilentPrompter silent;
    for (auto _ : state) {
        computeFrame(*model, (frame++ % 101) / 100.0, silent);
        benchmark::DoNotOptimize(model->object(0).points[0].current);
    }
}

void BM_PlainSkinning(benchmark::State& state) {
    auto model = armModel();
    struct Work {
        Vec3 rest;
        const Matrix4* m1;
        const Matrix4* m2;
        double w;
        Vec3* out;
    };
    std::vector<Matrix4> matrices;
    for (int s = 0; s < model->objectCount; ++s)
        for (const Bone& b : model->object(s).bones) matrices.push_back(b.transform);
    std::vector<Work> work;
    size_t base = 0;
    for (int s = 0; s < model->objectCount; ++s) {
        AnimObject& o = model->object(s);
        for (int v = 0; v < o.vertexCount; ++v) {
            AnimPoint& p = o.points[size_t(v)];
            const int b1 = p.bone1 < 0 ? 0 : p.bone1, b2 = p.bone2 < 0 ? b1 : p.bone2;
            work.push_back({p.texture, &matrices[base + size_t(b1)], &matrices[base + size_t(b2)],
                            p.bone2 < 0 ? 1.0 : double(p.boneWeight), &p.current});
        }
        base += o.bones.size();
    }
    for (auto _ : state) {
        for (const Work& k : work) {
            const Vec3 a = transformPoint(*k.m1, k.rest), b = transformPoint(*k.m2, k.rest);
            *k.out = {b.x + (a.x - b.x) * k.w, b.y + (a.y - b.y) * k.w, b.z + (a.z - b.z) * k.w};
        }
        benchmark::DoNotOptimize(work.front().out->x);
    }
}

constexpr int kLayerW = 1280, kLayerH = 720;
const PixelRect kBox{300, 150, 900, 550};

RasterImage objectLayer() {
    RasterImage layer(kLayerW, kLayerH);
    for (int y = kBox.top + 20; y < kBox.bottom - 20; ++y)
        for (int x = kBox.left + 20; x < kBox.right - 20; ++x) {
            const double dx = (x - 600) / 280.0, dy = (y - 350) / 180.0;
            if (dx * dx + dy * dy <= 1)
                layer.at(x, y) = 0xFF000000u | uint32_t((x * 7) & 0xFF) << 16 |
                                 uint32_t((y * 5) & 0xFF) << 8 | uint32_t((x ^ y) & 0xFF);
        }
    return layer;
}

void BM_BandedBlur(benchmark::State& state) {
    const RasterImage source = objectLayer();
    RasterImage layer = source;
    PostEffectValues v;
    v.blur = float(state.range(0) / 37.5);
    PostEffectScratch scratch;
    for (auto _ : state) {
        state.PauseTiming();
        layer = source;
        state.ResumeTiming();
        applyObjectPostEffects(layer, v, kBox, 1, &scratch);
        benchmark::DoNotOptimize(layer.pixels()[0]);
    }
}

// Direct separable Gaussian with σ = radius / 2.35482 (the same full width at half
// maximum as the banded blur), premultiplied, in floating point.
void BM_DirectGaussian(benchmark::State& state) {
    const RasterImage source = objectLayer();
    RasterImage layer = source;
    const double sigma = double(state.range(0)) / 2.35482;
    const int reach = int(std::ceil(3 * sigma));
    std::vector<float> taps(size_t(2 * reach + 1));
    float sum = 0;
    for (int i = -reach; i <= reach; ++i)
        sum += taps[size_t(i + reach)] = float(std::exp(-0.5 * i * i / (sigma * sigma)));
    for (float& t : taps) t /= sum;
    const int w = kBox.width(), h = kBox.height();
    std::vector<float> planes(size_t(w) * size_t(h) * 4), tmp(planes.size());
    for (auto _ : state) {
        state.PauseTiming();
        layer = source;
        state.ResumeTiming();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint32_t px = layer.at(kBox.left + x, kBox.top + y);
                const float a = float(px >> 24);
                float* p = &planes[(size_t(y) * size_t(w) + size_t(x)) * 4];
                p[0] = a;
                p[1] = float((px >> 16) & 0xFF) * a;
                p[2] = float((px >> 8) & 0xFF) * a;
                p[3] = float(px & 0xFF) * a;
            }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 4; ++c) {
                    float acc = 0;
                    for (int k = -reach; k <= reach; ++k) {
                        const int xx = std::clamp(x + k, 0, w - 1);
                        acc += taps[size_t(k + reach)] *
                               planes[(size_t(y) * size_t(w) + size_t(xx)) * 4 + size_t(c)];
                    }
                    tmp[(size_t(y) * size_t(w) + size_t(x)) * 4 + size_t(c)] = acc;
                }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                float acc[4] = {0, 0, 0, 0};
                for (int k = -reach; k <= reach; ++k) {
                    const int yy = std::clamp(y + k, 0, h - 1);
                    const float* p = &tmp[(size_t(yy) * size_t(w) + size_t(x)) * 4];
                    for (int c = 0; c < 4; ++c) acc[c] += taps[size_t(k + reach)] * p[c];
                }
                uint32_t& px = layer.at(kBox.left + x, kBox.top + y);
                if ((px >> 24) == 0 || acc[0] <= 0) continue;
                auto ch = [&](float v) { return uint32_t(std::min(255.0f, v / acc[0] + 0.5f)); };
                px =
                    uint32_t(acc[0] + 0.5f) << 24 | ch(acc[1]) << 16 | ch(acc[2]) << 8 | ch(acc[3]);
            }
        benchmark::DoNotOptimize(layer.pixels()[0]);
    }
}

} // namespace

BENCHMARK(BM_ComputeFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainSkinning)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BandedBlur)->Arg(2)->Arg(6)->Arg(12)->Arg(30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectGaussian)->Arg(2)->Arg(6)->Arg(12)->Arg(30)->Unit(benchmark::kMillisecond);

namespace {

// Keeps every run's time so that the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration)
                times[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nratios (lower is faster):\n");
        ratio("BM_ComputeFrame", "BM_PlainSkinning");
        for (const char* r : {"/2", "/6", "/12", "/30"})
            ratio(std::string("BM_BandedBlur") + r, std::string("BM_DirectGaussian") + r);
    }
    std::map<std::string, double> times;

private:
    void ratio(const std::string& ours, const std::string& peer) {
        auto a = times.find(ours), b = times.find(peer);
        if (a == times.end() || b == times.end() || b->second <= 0) return;
        std::printf("  %-20s %10.3f  vs %-22s %10.3f  ratio %.2f\n", ours.c_str(), a->second,
                    peer.c_str(), b->second, a->second / b->second);
    }
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
