// Triangulation speed against CGAL's constrained Delaunay triangulation, on jittered
// point sets of 1 000, 10 000 and 100 000 points, with and without an outline
// contour. Prints each case's time and the ratio to CGAL measured in the same run.

#include "imaging/MaskLayer.h"
#include "imaging/SelectionCommands.h"
#include "mesh3d/ObjectRegion.h"
#include "mesh3d/RebuildMeshes.h"
#include "mesh3d/RegionObjects.h"
#include "mesh3d/Triangulate.h"
#include "platform/Prompter.h"
#include "platform/Rng.h"
#include "storage/ImageFile.h"

#include <CGAL/Constrained_Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <string>
#include <vector>

namespace {

using K = CGAL::Exact_predicates_inexact_constructions_kernel;
using CDT = CGAL::Constrained_Delaunay_triangulation_2<K>;

struct PointSet {
    std::vector<zx::Vec3> points;
    zx::ContourList contour; // empty: no contour
};

// About n points: a jittered square grid, or (with a contour) the grid points inside
// a disc plus the disc's outline sampled at the grid spacing as a closed contour.
PointSet makeSet(int n, bool withContour) {
    zx::Rng rng(1234 + n + (withContour ? 1 : 0));
    PointSet set;
    const double spacing = 4.0;
    if (!withContour) {
        const int side = int(std::lround(std::sqrt(double(n))));
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                set.points.push_back({x * spacing + (rng.uniform() - 0.5) * spacing * 0.5,
                                      y * spacing + (rng.uniform() - 0.5) * spacing * 0.5, 0});
        return set;
    }
    // Disc area pi r^2 / spacing^2 + outline 2 pi r / spacing = n.
    const double r = spacing * std::sqrt(double(n) / std::numbers::pi);
    const int outline = int(2 * std::numbers::pi * r / spacing);
    for (int k = 0; k < outline; ++k) {
        const double a = 2 * std::numbers::pi * k / outline;
        set.points.push_back(
            {r + r * std::cos(a) + rng.jitter(), r + r * std::sin(a) + rng.jitter(), 0});
        set.contour.push_back(k);
    }
    set.contour.push_back(zx::kContourClose);
    const int side = int(2 * r / spacing);
    for (int y = 0; y <= side; ++y)
        for (int x = 0; x <= side; ++x) {
            const double px = x * spacing + (rng.uniform() - 0.5) * spacing * 0.5;
            const double py = y * spacing + (rng.uniform() - 0.5) * spacing * 0.5;
            const double dx = px - r, dy = py - r;
            if (std::sqrt(dx * dx + dy * dy) < r - spacing * 0.7) set.points.push_back({px, py, 0});
        }
    return set;
}

const PointSet& cachedSet(int n, bool withContour) {
    static std::map<std::pair<int, bool>, PointSet> cache;
    auto key = std::make_pair(n, withContour);
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.emplace(key, makeSet(n, withContour)).first;
    return it->second;
}

void runZx(benchmark::State& state, bool withContour, zx::FacetSearch search) {
    const PointSet& set = cachedSet(int(state.range(0)), withContour);
    std::vector<zx::MeshEdge> edges;
    std::vector<zx::MeshTriangle> tris;
    for (auto _ : state) {
        const auto made = zx::triangulate(set.points, edges, tris,
                                          withContour ? &set.contour : nullptr, nullptr, search);
        benchmark::DoNotOptimize(made);
        benchmark::DoNotOptimize(tris.data());
    }
    state.counters["points"] = double(set.points.size());
    state.counters["triangles"] = double(tris.size());
}

void runCgal(benchmark::State& state, bool withContour) {
    const PointSet& set = cachedSet(int(state.range(0)), withContour);
    std::vector<K::Point_2> pts;
    for (const zx::Vec3& p : set.points) pts.emplace_back(p.x, p.y);
    size_t faces = 0;
    for (auto _ : state) {
        CDT cdt;
        if (withContour) {
            // The outline points are the first ones, in contour order.
            const size_t outline = set.contour.size() - 1;
            std::vector<CDT::Vertex_handle> handles;
            handles.reserve(outline);
            for (size_t k = 0; k < outline; ++k) handles.push_back(cdt.insert(pts[k]));
            for (size_t k = 0; k < outline; ++k)
                cdt.insert_constraint(handles[k], handles[(k + 1) % outline]);
            cdt.insert(pts.begin() + long(outline), pts.end());
        } else {
            cdt.insert(pts.begin(), pts.end());
        }
        faces = cdt.number_of_faces();
        benchmark::DoNotOptimize(faces);
    }
    state.counters["points"] = double(set.points.size());
    state.counters["triangles"] = double(faces);
}

void BM_Zx(benchmark::State& s) {
    runZx(s, false, zx::FacetSearch::Grid);
}
void BM_ZxContour(benchmark::State& s) {
    runZx(s, true, zx::FacetSearch::Grid);
}
void BM_ZxScan(benchmark::State& s) {
    runZx(s, false, zx::FacetSearch::Scan);
}
void BM_Cgal(benchmark::State& s) {
    runCgal(s, false);
}
void BM_CgalContour(benchmark::State& s) {
    runCgal(s, true);
}

BENCHMARK(BM_Zx)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cgal)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZxContour)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CgalContour)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
// The exhaustive reference search, for scale (quadratic: small sets only).
BENCHMARK(BM_ZxScan)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The regions of a sample photograph: select all, then the magic background cleaner
// clicked on the backdrop; what stays selected is the subject.
const zx::RasterImage& sampleRegions(const char* name, int x, int y) {
    static std::map<std::string, zx::RasterImage> cache;
    auto it = cache.find(name);
    if (it != cache.end()) return it->second;
    zx::RasterImage region;
    if (auto photo = zx::loadImage(std::string(ZX_SAMPLES_DIR) + "/" + name, nullptr)) {
        zx::RasterImage mask = zx::makeMaskLayer(photo->width(), photo->height());
        zx::selectAll(mask);
        zx::SelectionSettings settings;
        settings.autoMask = false;
        zx::commandCleanerClick(mask, *photo, settings, x, y);
        region = zx::RasterImage(mask.width(), mask.height());
        for (size_t i = 0; i < mask.pixelCount(); ++i)
            if (mask.pixels()[i] & zx::MaskBit::Selected) region.pixels()[i] = zx::kRegionWord;
    }
    return cache.emplace(name, std::move(region)).first->second;
}

// Regions to objects and the rebuild of all their meshes, at definition range(0).
void rebuildSample(benchmark::State& state, const char* name, int x, int y) {
    const zx::RasterImage& region = sampleRegions(name, x, y);
    if (region.empty()) {
        state.SkipWithError("sample photograph not found");
        return;
    }
    long long triangles = 0, vertices = 0;
    int objects = 0;
    for (auto _ : state) {
        zx::AnimationModel model;
        model.defaultSettingWord = int32_t(state.range(0));
        zx::SilentPrompter silent;
        zx::initDotsToRegions(model, region, zx::RegionMode::Contours, silent);
        static_cast<void>(zx::rebuildMeshes(model, zx::RebuildOptions(silent)));
        triangles = vertices = 0;
        objects = model.objectCount;
        for (int s = 0; s < model.objectCount; ++s) {
            triangles += long(model.object(s).triangles.size());
            vertices += model.object(s).vertexCount;
        }
    }
    state.counters["objects"] = objects;
    state.counters["points"] = double(vertices);
    state.counters["triangles"] = double(triangles);
}
void BM_RebuildAstronaut(benchmark::State& s) {
    rebuildSample(s, "astronaut.png", 470, 60);
}
void BM_RebuildChelsea(benchmark::State& s) {
    rebuildSample(s, "chelsea.png", 440, 80);
}
BENCHMARK(BM_RebuildAstronaut)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildChelsea)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// Keeps every run's time so that the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration) {
                times[r.benchmark_name()] = r.GetAdjustedRealTime();
                cpuTimes[r.benchmark_name()] = r.GetAdjustedCPUTime();
            }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nratio to CGAL (lower is faster; the goal at 100000 points is <= 3):\n");
        for (const char* n : {"1000", "10000", "100000"}) {
            ratio("BM_Zx/", "BM_Cgal/", n);
            ratio("BM_ZxContour/", "BM_CgalContour/", n);
        }
    }
    std::map<std::string, double> times, cpuTimes;

private:
    void ratio(const std::string& ours, const std::string& peer, const std::string& n) {
        auto a = times.find(ours + n), b = times.find(peer + n);
        if (a == times.end() || b == times.end() || b->second <= 0) return;
        // CPU time too: on a busy machine the wall clock also counts other work.
        const double ca = cpuTimes[ours + n], cb = cpuTimes[peer + n];
        std::printf("  %-22s %8.3f ms  vs CGAL %8.3f ms  ratio %.2f  (cpu %.2f)\n",
                    (ours + n).c_str(), a->second, b->second, a->second / b->second,
                    cb > 0 ? ca / cb : 0.0);
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
