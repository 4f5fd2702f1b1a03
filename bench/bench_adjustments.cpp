// The colour adjustments, the blur and Image Size on the 512 x 512 sample photograph
// and on a 4096 x 4096 picture, each against a plain per-pixel loop measured in the
// same run: one pass adding a constant to every channel (what any per-pixel edit must
// at least cost), and for Image Size a plain bilinear loop that ignores alpha. The
// table at the end gives each operation in multiples of its peer, and the time of a
// preview (the 1280 x 800 visible part, every pixel, then zoomed out to every 4th)
// that a dialog computes after each slider change.

#include "imaging/Adjustments.h"
#include "imaging/LightingEffects.h"
#include "imaging/PixelChannels.h"
#include "storage/ImageFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace zx;

struct Picture {
    std::string name;
    RasterImage image;
};

RasterImage loadSample(const char* name) {
    auto image = loadImage(std::string(ZX_SAMPLES_DIR) + "/" + name, nullptr);
    if (!image) {
        std::fprintf(stderr, "cannot load sample %s\n", name);
        std::exit(1);
    }
    return *image;
}

// The sample photograph tiled up to 4096 x 4096.
RasterImage large(const RasterImage& tile) {
    RasterImage p(4096, 4096);
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
            p.at(x, y) = tile.at(x % tile.width(), y % tile.height());
    return p;
}

const std::vector<Picture>& pictures() {
    static const std::vector<Picture> all = [] {
        const RasterImage photo = loadSample("astronaut.png");
        return std::vector<Picture>{{"512", photo}, {"4096", large(photo)}};
    }();
    return all;
}

// ---- the peers ------------------------------------------------------------------

void plainLoop(const RasterImage& src, RasterImage& out) {
    const uint32_t* s = src.pixels();
    uint32_t* d = out.pixels();
    for (size_t i = 0; i < src.pixelCount(); ++i) {
        const uint32_t p = s[i];
        d[i] = makePixel(alphaOf(p), redOf(p) + 10, greenOf(p) + 10, blueOf(p) + 10);
    }
}

RasterImage plainBilinear(const RasterImage& src, int w, int h) {
    RasterImage out(w, h);
    const double sx = double(src.width()) / w, sy = double(src.height()) / h;
    for (int y = 0; y < h; ++y) {
        const double v = std::max(0.0, y * sy - 0.5);
        const int y0 = int(v), y1 = std::min(y0 + 1, src.height() - 1);
        const double fv = v - y0;
        for (int x = 0; x < w; ++x) {
            const double u = std::max(0.0, x * sx - 0.5);
            const int x0 = int(u), x1 = std::min(x0 + 1, src.width() - 1);
            const double fu = u - x0;
            uint32_t result = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                const auto c = [&](int px, int py) { return (src.at(px, py) >> shift) & 0xFF; };
                const double top = c(x0, y0) * (1 - fu) + c(x1, y0) * fu;
                const double bottom = c(x0, y1) * (1 - fu) + c(x1, y1) * fu;
                result |= uint32_t(top * (1 - fv) + bottom * fv + 0.5) << shift;
            }
            out.at(x, y) = result;
        }
    }
    return out;
}

// ---- the operations -------------------------------------------------------------

using Operation =
    std::function<void(const RasterImage& src, RasterImage& out, const AdjustTarget&)>;

const std::vector<std::pair<std::string, Operation>>& operations() {
    static const std::vector<std::pair<std::string, Operation>> all = {
        {"auto-levels", [](const RasterImage& s, RasterImage& o,
                           const AdjustTarget& t) { autoLevels(s, o, pictureStatistics(s), t); }},
        {"brightness", [](const RasterImage& s, RasterImage& o,
                          const AdjustTarget& t) { brightnessContrast(s, o, 20, 30, 128, t); }},
        {"color", [](const RasterImage& s, RasterImage& o,
                     const AdjustTarget& t) { colorBalance(s, o, 10, 10, 10, t); }},
        {"hue-sat", [](const RasterImage& s, RasterImage& o,
                       const AdjustTarget& t) { hueSaturation(s, o, 30, 20, 10, t); }},
        {"blur", [](const RasterImage& s, RasterImage& o,
                    const AdjustTarget& t) { blurSharpen(s, o, -60, t); }},
        {"sharpen", [](const RasterImage& s, RasterImage& o,
                       const AdjustTarget& t) { blurSharpen(s, o, 60, t); }},
        {"lighting",
         [](const RasterImage& s, RasterImage& o, const AdjustTarget& t) {
             lightingEffects(s, o, LightEllipse::openingCircle({0, 0, s.width(), s.height()}), {},
                             128, t);
         }},
    };
    return all;
}

void runOperation(benchmark::State& state, const Picture* p, const Operation* op,
                  AdjustTarget target) {
    RasterImage out = p->image;
    for (auto _ : state) {
        (*op)(p->image, out, target);
        benchmark::DoNotOptimize(out.pixels());
    }
}

void runPlain(benchmark::State& state, const Picture* p) {
    RasterImage out = p->image;
    for (auto _ : state) {
        plainLoop(p->image, out);
        benchmark::DoNotOptimize(out.pixels());
    }
}

void runResize(benchmark::State& state, const Picture* p, bool plain) {
    const int w = p->image.width() * 3 / 4, h = p->image.height() * 3 / 4;
    for (auto _ : state) {
        RasterImage out = plain ? plainBilinear(p->image, w, h) : resizeImage(p->image, w, h);
        benchmark::DoNotOptimize(out.pixels());
    }
}

// Collects the processor time of every benchmark (ms) while the console reporter
// prints; wall time says little on a machine shared with other work.
class TimeReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                ms[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> ms;
};

void printTable(const TimeReporter& r) {
    const auto get = [&](const std::string& n) {
        auto it = r.ms.find(n);
        return it == r.ms.end() ? 0.0 : it->second;
    };
    std::printf("\n%-12s %-6s %10s %10s %9s %12s %12s\n", "operation", "size", "ms", "peer ms",
                "x peer", "preview ms", "preview/4 ms");
    for (const Picture& p : pictures()) {
        const double plain = get("plain/" + p.name);
        for (const auto& [name, op] : operations())
            std::printf("%-12s %-6s %10.2f %10.2f %9.1f %12.2f %12.2f\n", name.c_str(),
                        p.name.c_str(), get(name + "/" + p.name), plain,
                        plain > 0 ? get(name + "/" + p.name) / plain : 0.0,
                        get(name + "/preview/" + p.name), get(name + "/preview4/" + p.name));
        const double ours = get("image-size/" + p.name), peer = get("plain-bilinear/" + p.name);
        std::printf("%-12s %-6s %10.2f %10.2f %9.1f\n", "image-size", p.name.c_str(), ours, peer,
                    peer > 0 ? ours / peer : 0.0);
    }
}

} // namespace

int main(int argc, char** argv) {
    for (const Picture& p : pictures()) {
        const Picture* pp = &p;
        benchmark::RegisterBenchmark(("plain/" + p.name).c_str(), runPlain, pp)
            ->Unit(benchmark::kMillisecond);
        AdjustTarget preview, thinned;
        preview.area = thinned.area = PixelRect{0, 0, 1280, 800};
        thinned.step = 4;
        for (const auto& [name, op] : operations()) {
            benchmark::RegisterBenchmark((name + "/" + p.name).c_str(), runOperation, pp, &op,
                                         AdjustTarget{})
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark((name + "/preview/" + p.name).c_str(), runOperation, pp,
                                         &op, preview)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark((name + "/preview4/" + p.name).c_str(), runOperation, pp,
                                         &op, thinned)
                ->Unit(benchmark::kMillisecond);
        }
        benchmark::RegisterBenchmark(("image-size/" + p.name).c_str(), runResize, pp, false)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("plain-bilinear/" + p.name).c_str(), runResize, pp, true)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    TimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printTable(reporter);
    benchmark::Shutdown();
    return 0;
}
