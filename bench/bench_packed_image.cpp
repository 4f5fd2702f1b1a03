// The block coder against libpng (default compression) and QOI on the same pixels,
// in the same run: the two sample photographs and a cut-out (the astronaut with
// everything outside a central ellipse transparent, the usual layer of a project).
// Speeds are MB/s of raw 32-bit pixels; the ratios are printed at the end.
//
// QOI reads its input as R, G, B, A bytes; our pixels are B, G, R, A in memory.
// The channel order does not change QOI's work, so it codes our buffer as is.

#include "storage/ImageFile.h"
#include "storage/PackedImage.h"

#include <benchmark/benchmark.h>

#define QOI_IMPLEMENTATION
#include <qoi.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using zx::RasterImage;

struct Picture {
    std::string name;
    RasterImage image;
};

RasterImage loadSample(const char* name) {
    auto image = zx::loadImage(std::string(ZX_SAMPLES_DIR) + "/" + name, nullptr);
    if (!image) {
        std::fprintf(stderr, "cannot load sample %s\n", name);
        std::exit(1);
    }
    return *image;
}

RasterImage cutOut(RasterImage image) {
    const double cx = image.width() / 2.0, cy = image.height() / 2.0;
    const double rx = image.width() * 0.3, ry = image.height() * 0.42;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const double dx = (x - cx) / rx, dy = (y - cy) / ry;
            if (dx * dx + dy * dy > 1) image.at(x, y) = 0;
        }
    return image;
}

const std::vector<Picture>& pictures() {
    static const std::vector<Picture> all = [] {
        std::vector<Picture> p;
        p.push_back({"astronaut", loadSample("astronaut.png")});
        p.push_back({"chelsea", loadSample("chelsea.png")});
        p.push_back({"cutout", cutOut(loadSample("astronaut.png"))});
        return p;
    }();
    return all;
}

double rawBytes(const RasterImage& image) {
    return double(image.pixelCount()) * 4;
}

void finish(benchmark::State& state, const RasterImage& image, size_t codedBytes) {
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(rawBytes(image)));
    state.counters["coded%"] = 100.0 * double(codedBytes) / rawBytes(image);
}

qoi_desc qoiDesc(const RasterImage& image) {
    qoi_desc d{};
    d.width = unsigned(image.width());
    d.height = unsigned(image.height());
    d.channels = 4;
    d.colorspace = QOI_SRGB;
    return d;
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

void packedEncode(benchmark::State& state, const Picture* p) {
    size_t size = 0;
    for (auto _ : state) {
        auto coded = zx::packImage(p->image);
        size = coded->bytes.size();
        benchmark::DoNotOptimize(coded);
    }
    finish(state, p->image, size);
}

void packedDecode(benchmark::State& state, const Picture* p) {
    const auto coded = *zx::packImage(p->image);
    for (auto _ : state) {
        auto image = zx::unpackImage(coded);
        benchmark::DoNotOptimize(image);
    }
    finish(state, p->image, coded.bytes.size());
}

void pngEncode(benchmark::State& state, const Picture* p) {
    size_t size = 0;
    for (auto _ : state) {
        auto coded = zx::encodePng(p->image);
        size = coded->size();
        benchmark::DoNotOptimize(coded);
    }
    finish(state, p->image, size);
}

void pngDecode(benchmark::State& state, const Picture* p) {
    const auto coded = *zx::encodePng(p->image);
    for (auto _ : state) {
        auto image = zx::decodePng(coded);
        benchmark::DoNotOptimize(image);
    }
    finish(state, p->image, coded.size());
}

void qoiEncode(benchmark::State& state, const Picture* p) {
    const qoi_desc desc = qoiDesc(p->image);
    int size = 0;
    for (auto _ : state) {
        std::unique_ptr<void, FreeDeleter> coded(qoi_encode(p->image.pixels(), &desc, &size));
        benchmark::DoNotOptimize(coded.get());
    }
    finish(state, p->image, size_t(size));
}

void qoiDecode(benchmark::State& state, const Picture* p) {
    const qoi_desc desc = qoiDesc(p->image);
    int size = 0;
    std::unique_ptr<void, FreeDeleter> coded(qoi_encode(p->image.pixels(), &desc, &size));
    for (auto _ : state) {
        qoi_desc out{};
        std::unique_ptr<void, FreeDeleter> pixels(qoi_decode(coded.get(), size, &out, 4));
        benchmark::DoNotOptimize(pixels.get());
    }
    finish(state, p->image, size_t(size));
}

// Collects MB/s per benchmark name while the console reporter prints as usual.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            auto it = run.counters.find("bytes_per_second");
            if (it != run.counters.end()) speed[run.benchmark_name()] = it->second.value / 1e6;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> speed;
};

void printRatios(const RatioReporter& r) {
    auto get = [&](const std::string& n) {
        auto it = r.speed.find(n);
        return it == r.speed.end() ? 0.0 : it->second;
    };
    std::printf("\n%-10s %-7s %10s %10s %10s %9s %9s\n", "picture", "", "packed", "libpng", "qoi",
                "x libpng", "x qoi");
    bool met = true;
    int compared = 0;
    for (const Picture& p : pictures()) {
        for (const char* op : {"encode", "decode"}) {
            const double packed = get(std::string("packed/") + op + "/" + p.name);
            const double png = get(std::string("libpng/") + op + "/" + p.name);
            const double qoi = get(std::string("qoi/") + op + "/" + p.name);
            if (packed == 0 || png == 0 || qoi == 0) continue;
            ++compared;
            std::printf("%-10s %-7s %8.0f MB/s %6.0f MB/s %6.0f MB/s %8.1fx %8.2fx\n",
                        p.name.c_str(), op, packed, png, qoi, packed / png, packed / qoi);
            const bool encode = std::string(op) == "encode";
            met = met && packed / png >= (encode ? 10.0 : 3.0) &&
                  (encode ? packed > qoi : packed >= qoi);
        }
    }
    std::printf("targets (encode >= 10x libpng and faster than qoi; decode >= 3x libpng and "
                "at least qoi): %s\n",
                compared < 6 ? "not all measured"
                : met        ? "met"
                             : "NOT met");
}

} // namespace

int main(int argc, char** argv) {
    for (const Picture& p : pictures()) {
        // Speed means nothing if the coding is not exact.
        auto back = zx::unpackImage(*zx::packImage(p.image));
        if (!back || !(*back == p.image)) {
            std::fprintf(stderr, "%s does not survive the block coder\n", p.name.c_str());
            return 1;
        }
        const Picture* pp = &p;
        benchmark::RegisterBenchmark(("packed/encode/" + p.name).c_str(), packedEncode, pp);
        benchmark::RegisterBenchmark(("libpng/encode/" + p.name).c_str(), pngEncode, pp);
        benchmark::RegisterBenchmark(("qoi/encode/" + p.name).c_str(), qoiEncode, pp);
        benchmark::RegisterBenchmark(("packed/decode/" + p.name).c_str(), packedDecode, pp);
        benchmark::RegisterBenchmark(("libpng/decode/" + p.name).c_str(), pngDecode, pp);
        benchmark::RegisterBenchmark(("qoi/decode/" + p.name).c_str(), qoiDecode, pp);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatios(reporter);
    benchmark::Shutdown();
    return 0;
}
