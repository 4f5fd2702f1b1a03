#include "mesh3d/Skeleton.h"

#include "mesh3d/MaskShapes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

namespace zx {
namespace {

using testing::discMask;
using testing::kIn;
using testing::rectMask;
using testing::ringMask;

using Branch = std::vector<std::pair<int, int>>;

// Splits a skeleton list into (code, points) runs, checking its framing.
std::vector<std::pair<uint32_t, Branch>> branches(const std::vector<uint32_t>& list) {
    std::vector<std::pair<uint32_t, Branch>> out;
    size_t i = 0;
    while (i < list.size()) {
        uint32_t code = list[i++];
        EXPECT_TRUE(code == 0 || code == 1) << "code " << code;
        Branch b;
        while (i < list.size() && list[i] != kPointListEnd) {
            b.emplace_back(int(list[i] & 0xFFFF), int(list[i] >> 16));
            ++i;
        }
        EXPECT_LT(i, list.size()) << "missing terminator";
        ++i;
        EXPECT_GE(b.size(), 2u);
        out.emplace_back(code, std::move(b));
    }
    return out;
}

SkeletonGrid gridFromRows(const std::vector<std::string>& rows) {
    SkeletonGrid g;
    g.width = int(rows[0].size());
    g.height = int(rows.size());
    for (const auto& r : rows)
        for (char c : r) g.pixels.push_back(c == '#' ? 1 : 0);
    return g;
}

std::vector<std::string> rowsOf(const SkeletonGrid& g) {
    std::vector<std::string> rows;
    for (int y = 0; y < g.height; ++y) {
        std::string r;
        for (int x = 0; x < g.width; ++x) r += g.set(x, y) ? '#' : '.';
        rows.push_back(r);
    }
    return rows;
}

TEST(Skeleton, ThickBarThinsToItsMiddleLine) {
    RasterImage bar = rectMask(60, 21, 5, 8, 55, 15); // 7 rows thick
    SkeletonGrid g = SkeletonGrid::fromMask(bar);
    thinSkeleton(g);
    // One pixel wide: no column holds two set pixels, and the line is near row 11.
    int columns = 0;
    for (int x = 0; x < g.width; ++x) {
        int n = 0;
        for (int y = 0; y < g.height; ++y)
            if (g.set(x, y)) {
                ++n;
                EXPECT_NEAR(y, 11, 1) << x;
            }
        EXPECT_LE(n, 1) << x;
        columns += n;
    }
    EXPECT_GT(columns, 30);

    auto list = buildSkeleton(bar);
    auto runs = branches(list);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].first, 0u); // traced from an end
    const Branch& b = runs[0].second;
    EXPECT_GT(b.size(), 30u);
    // Traced in order: consecutive points are 8-neighbours, none repeats.
    std::set<std::pair<int, int>> seen;
    for (size_t i = 0; i < b.size(); ++i) {
        EXPECT_TRUE(seen.insert(b[i]).second);
        if (i) {
            EXPECT_LE(std::abs(b[i].first - b[i - 1].first), 1);
            EXPECT_LE(std::abs(b[i].second - b[i - 1].second), 1);
        }
    }
}

TEST(Skeleton, EmptyOneDotAndOversizedMasksGiveNoBranches) {
    EXPECT_TRUE(buildSkeleton(RasterImage(20, 20, 0)).empty());
    EXPECT_TRUE(buildSkeleton(RasterImage()).empty());
    EXPECT_TRUE(buildSkeleton(rectMask(9, 9, 4, 4, 5, 5)).empty()); // a single pixel
    EXPECT_TRUE(buildSkeleton(RasterImage(1, 1, kIn)).empty());
    EXPECT_TRUE(buildSkeleton(RasterImage(kMaxSkeletonSide + 1, 1, kIn)).empty());
}

TEST(Skeleton, MaskCoveringTheWholeImageStillThins) {
    // Border pixels always go, so the rest thins like an inner region.
    auto runs = branches(buildSkeleton(RasterImage(40, 12, kIn)));
    ASSERT_FALSE(runs.empty());
    for (auto& [code, b] : runs)
        for (auto [x, y] : b) {
            EXPECT_GT(x, 0);
            EXPECT_GT(y, 0);
            EXPECT_LT(x, 39);
            EXPECT_LT(y, 11);
        }
}

TEST(Skeleton, RingTracesAsOneClosedLoop) {
    auto runs = branches(buildSkeleton(ringMask(80, 80, 40, 40, 20, 28)));
    ASSERT_GE(runs.size(), 1u);
    EXPECT_EQ(runs[0].first, 1u);
    // The loop runs around the middle of the ring.
    size_t longest = 0;
    for (auto& [code, b] : runs) {
        longest = std::max(longest, b.size());
        for (auto [x, y] : b) {
            double r = std::hypot(x + 0.5 - 40, y + 0.5 - 40);
            EXPECT_GT(r, 19);
            EXPECT_LT(r, 29);
        }
    }
    EXPECT_GT(longest, 100u); // about 2 pi 24
}

TEST(Skeleton, CornerCleanupRemovesStaircaseCornersOnly) {
    SkeletonGrid g = gridFromRows({
        ".......",
        ".##....",
        "..##...",
        "...#...",
        "...#...",
        ".......",
    });
    cleanSkeletonCorners(g);
    EXPECT_EQ(rowsOf(g), (std::vector<std::string>{
                             ".......",
                             ".#.....",
                             "..#....",
                             "...#...",
                             "...#...",
                             ".......",
                         }));
    // The four kept patterns survive although they hold a corner pair.
    SkeletonGrid kept = gridFromRows({
        ".....",
        "...#.",
        ".##..",
        "..#..",
        ".....",
    });
    cleanSkeletonCorners(kept);
    EXPECT_TRUE(kept.set(2, 2));
}

TEST(Skeleton, TracerFollowsABranchFromItsFirstEndInRowOrder) {
    SkeletonGrid g = gridFromRows({
        "........",
        ".####...",
        ".....#..",
        ".....#..",
        "........",
    });
    auto list = traceSkeletonBranches(g, 0, 0, 7, 4);
    std::vector<uint32_t> expected = {0};
    for (auto [x, y] : Branch{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 2}, {5, 3}})
        expected.push_back(uint32_t(x) | uint32_t(y) << 16);
    expected.push_back(kPointListEnd);
    EXPECT_EQ(list, expected);
    EXPECT_EQ(g.count(), 0);
}

TEST(Skeleton, TracerSplitsAForkIntoBranches) {
    SkeletonGrid g = gridFromRows({
        ".........",
        ".#.....#.",
        "..#...#..",
        "...#.#...",
        "....#....",
        "....#....",
        "....#....",
        ".........",
    });
    auto runs = branches(traceSkeletonBranches(g, 0, 0, 8, 7));
    ASSERT_EQ(runs.size(), 2u);
    size_t total = runs[0].second.size() + runs[1].second.size();
    EXPECT_EQ(total, 9u); // every pixel in exactly one branch
    EXPECT_EQ(runs[0].second.front(), (std::pair{1, 1}));
    EXPECT_EQ(g.count(), 0);
}

TEST(Skeleton, TracingIgnoresPixelsOnTheBoxMargin) {
    SkeletonGrid g = gridFromRows({
        "######",
        "......",
        "......",
    });
    EXPECT_TRUE(traceSkeletonBranches(g, 0, 0, 5, 2).empty());
    EXPECT_EQ(g.count(), 6);
}

TEST(Skeleton, DiscAndLargeMasksFinish) {
    auto runs = branches(buildSkeleton(discMask(200, 200, 100, 100, 90)));
    for (auto& [code, b] : runs)
        for (auto [x, y] : b) EXPECT_LT(std::hypot(x + 0.5 - 100, y + 0.5 - 100), 90);
    // Wider than 4096: a long bar with a blob, bounded work.
    RasterImage wide = rectMask(4200, 40, 10, 15, 4190, 25);
    for (int y = 2; y < 38; ++y)
        for (int x = 2000; x < 2040; ++x) wide.at(x, y) = kIn;
    auto wideRuns = branches(buildSkeleton(wide));
    ASSERT_FALSE(wideRuns.empty());
    size_t points = 0;
    for (auto& r : wideRuns) points += r.second.size();
    EXPECT_GT(points, 4000u);
}

} // namespace
} // namespace zx
