#include "mesh3d/Skeleton.h"

#include "mesh3d/HeightMap.h"

#include <array>
#include <functional>
#include <queue>

namespace zx {

namespace {

// Neighbour directions, clockwise from north.
constexpr int kDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int kDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

constexpr uint8_t kSet = 1;
constexpr uint8_t kMarked = 2; // to be deleted at the end of a thinning pass
constexpr uint8_t kQueued = 4; // already in the next pass's candidate list

struct Neighbours {
    std::array<bool, 8> on{};
    int count = 0;       // B: set neighbours
    int transitions = 0; // A: unset-to-set changes in cyclic order
};

Neighbours neighbours(const SkeletonGrid& g, int x, int y) {
    Neighbours n;
    for (int d = 0; d < 8; ++d) {
        n.on[d] = g.set(x + kDx[d], y + kDy[d]);
        n.count += n.on[d];
    }
    for (int d = 0; d < 8; ++d)
        if (!n.on[d] && n.on[(d + 1) % 8]) ++n.transitions;
    return n;
}

int transitionsAt(const SkeletonGrid& g, int x, int y) {
    return neighbours(g, x, y).transitions;
}

bool thinningMarks(const SkeletonGrid& g, int x, int y) {
    if (x == 0 || y == 0 || x == g.width - 1 || y == g.height - 1) return true;
    const Neighbours n = neighbours(g, x, y);
    if (n.count < 2 || n.count > 6 || n.transitions != 1) return false;
    const bool north = n.on[0], east = n.on[2], south = n.on[4], west = n.on[6];
    // These two guards keep two-pixel-thick lines from vanishing entirely.
    if (north && east && west && y != 1 && transitionsAt(g, x, y - 1) == 1) return false;
    if (north && east && south && x + 1 != g.width - 1 && transitionsAt(g, x + 1, y) == 1)
        return false;
    return true;
}

size_t indexOf(const SkeletonGrid& g, int x, int y) {
    return size_t(y) * size_t(g.width) + x;
}

// The 3 × 3 neighbourhood as nine bits, row by row, the top-left pixel highest.
int pattern(const SkeletonGrid& g, int x, int y) {
    int bits = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) bits = (bits << 1) | (g.set(x + dx, y + dy) ? 1 : 0);
    return bits;
}

constexpr int bitsOf(const char* rows) {
    int bits = 0;
    for (const char* c = rows; *c; ++c)
        if (*c == '0' || *c == '1') bits = (bits << 1) | (*c - '0');
    return bits;
}

bool isEndPixel(const SkeletonGrid& g, int x, int y) {
    return g.set(x, y) && neighbours(g, x, y).count == 1;
}

} // namespace

SkeletonGrid SkeletonGrid::fromMask(const RasterImage& mask) {
    SkeletonGrid g;
    if (mask.isDescriptor() || mask.empty()) return g;
    g.width = mask.width();
    g.height = mask.height();
    g.pixels.resize(size_t(g.width) * size_t(g.height));
    const uint32_t* src = mask.pixels();
    for (size_t i = 0; i < g.pixels.size(); ++i) g.pixels[i] = (src[i] & kMaskInside) ? kSet : 0;
    return g;
}

int SkeletonGrid::count() const {
    int n = 0;
    for (uint8_t p : pixels) n += p & kSet;
    return n;
}

void thinSkeleton(SkeletonGrid& g) {
    // A pixel's fate in a pass depends only on the pixels within two steps of it, so
    // after the first pass only the surroundings of deleted pixels need another look.
    // Marking leaves the picture unchanged until the pass ends, which makes the
    // result independent of the order the candidates are examined in.
    // Pixels deep inside the region (more than six set neighbours) cannot go in the
    // first pass, so only the rim starts as candidates.
    std::vector<size_t> candidates;
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x) {
            if (!g.set(x, y)) continue;
            const bool rim = x == 0 || y == 0 || x == g.width - 1 || y == g.height - 1;
            if (rim || neighbours(g, x, y).count <= 6) candidates.push_back(indexOf(g, x, y));
        }

    std::vector<size_t> marked;
    while (!candidates.empty()) {
        marked.clear();
        for (size_t i : candidates) {
            g.pixels[i] &= uint8_t(~kQueued);
            const int x = int(i % size_t(g.width)), y = int(i / size_t(g.width));
            if ((g.pixels[i] & kSet) && thinningMarks(g, x, y)) {
                g.pixels[i] |= kMarked;
                marked.push_back(i);
            }
        }
        for (size_t i : marked) g.pixels[i] = 0;
        candidates.clear();
        for (size_t i : marked) {
            const int x = int(i % size_t(g.width)), y = int(i / size_t(g.width));
            for (int ny = y - 2; ny <= y + 2; ++ny)
                for (int nx = x - 2; nx <= x + 2; ++nx) {
                    if (!g.set(nx, ny)) continue;
                    uint8_t& p = g.pixels[indexOf(g, nx, ny)];
                    if (p & kQueued) continue;
                    p |= kQueued;
                    candidates.push_back(indexOf(g, nx, ny));
                }
        }
    }
}

void cleanSkeletonCorners(SkeletonGrid& g) {
    static constexpr int kKeep[4] = {bitsOf("001 110 010"), bitsOf("010 110 001"),
                                     bitsOf("010 011 100"), bitsOf("100 011 010")};
    for (int y = 1; y < g.height - 1; ++y)
        for (int x = 1; x < g.width - 1; ++x) {
            if (!g.set(x, y)) continue;
            const int p = pattern(g, x, y);
            if (p == kKeep[0] || p == kKeep[1] || p == kKeep[2] || p == kKeep[3]) continue;
            const bool n = g.set(x, y - 1), e = g.set(x + 1, y);
            const bool s = g.set(x, y + 1), w = g.set(x - 1, y);
            if ((s && e) || (w && s) || (n && w) || (e && n)) g.pixels[indexOf(g, x, y)] = 0;
        }
}

namespace {

struct BranchTracer {
    SkeletonGrid& g;
    std::vector<uint32_t>& list;

    // Follows the skeleton from `start` by turning back three directions, then
    // clockwise past set neighbours to the first unset one and on to the next set
    // one. Stops where the walk would turn back at a branch end, on returning to the
    // start, at a pixel without neighbours, or after width × height steps. Returns
    // the traced pixels (all cleared from the grid).
    std::vector<std::pair<int, int>> trace(int sx, int sy, uint32_t code) {
        std::vector<std::pair<int, int>> points;
        const long long maxSteps = (long long)g.width * g.height;
        int x = sx, y = sy, dir = 1;
        for (long long step = 0; step < maxSteps; ++step) {
            if (points.size() >= 2 && points[points.size() - 2] == std::pair{x, y}) break;
            points.emplace_back(x, y);
            if (neighbours(g, x, y).count == 0) break;
            int d = (dir + 5) % 8;
            for (int k = 0; k < 8 && g.set(x + kDx[d], y + kDy[d]); ++k) d = (d + 1) % 8;
            for (int k = 0; k < 8 && !g.set(x + kDx[d], y + kDy[d]); ++k) d = (d + 1) % 8;
            x += kDx[d];
            y += kDy[d];
            dir = d;
            if (x == sx && y == sy) break;
        }
        for (auto [px, py] : points) g.pixels[indexOf(g, px, py)] = 0;
        if (points.size() > 1) {
            list.push_back(code);
            for (auto [px, py] : points) list.push_back(uint32_t(px) | (uint32_t(py) << 16));
            list.push_back(kPointListEnd);
        }
        return points;
    }
};

} // namespace

std::vector<uint32_t> traceSkeletonBranches(SkeletonGrid& g, int left, int top, int right,
                                            int bottom) {
    std::vector<uint32_t> list;
    const int x0 = std::max(left + 1, 1), y0 = std::max(top + 1, 1);
    const int x1 = std::min(right - 1, g.width - 2), y1 = std::min(bottom - 1, g.height - 2);
    if (x0 > x1 || y0 > y1) return list;
    auto inBox = [&](int x, int y) { return x >= x0 && x <= x1 && y >= y0 && y <= y1; };

    // End pixels waiting in row order. Clearing a trace can only turn neighbours of
    // the cleared pixels into end pixels, so those are added as they appear; stale
    // entries are checked when taken. This finds the same pixel a fresh row-order
    // scan would, without rescanning the box after every branch.
    std::priority_queue<size_t, std::vector<size_t>, std::greater<size_t>> ends;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (isEndPixel(g, x, y)) ends.push(indexOf(g, x, y));

    BranchTracer tracer{g, list};
    size_t scan = indexOf(g, x0, y0); // first pixel not yet known to be clear
    const size_t scanEnd = indexOf(g, x1, y1);
    for (;;) {
        std::vector<std::pair<int, int>> cleared;
        bool traced = false;
        while (!ends.empty()) {
            const size_t i = ends.top();
            ends.pop();
            const int x = int(i % size_t(g.width)), y = int(i / size_t(g.width));
            if (isEndPixel(g, x, y)) {
                cleared = tracer.trace(x, y, 0);
                traced = true;
                break;
            }
        }
        if (!traced) {
            // No end left: start a closed loop at the first remaining pixel.
            for (; scan <= scanEnd; ++scan) {
                const int x = int(scan % size_t(g.width)), y = int(scan / size_t(g.width));
                if (inBox(x, y) && g.set(x, y)) break;
            }
            if (scan > scanEnd) break;
            cleared = tracer.trace(int(scan % size_t(g.width)), int(scan / size_t(g.width)), 1);
        }
        for (auto [cx, cy] : cleared)
            for (int d = 0; d < 8; ++d) {
                const int nx = cx + kDx[d], ny = cy + kDy[d];
                if (inBox(nx, ny) && isEndPixel(g, nx, ny)) ends.push(indexOf(g, nx, ny));
            }
    }
    return list;
}

std::vector<uint32_t> buildSkeleton(const RasterImage& mask) {
    if (mask.width() > kMaxSkeletonSide || mask.height() > kMaxSkeletonSide) return {};
    SkeletonGrid g = SkeletonGrid::fromMask(mask);
    int left = g.width, top = g.height, right = -1, bottom = -1;
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
            if (g.set(x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0) return {};
    thinSkeleton(g);
    cleanSkeletonCorners(g);
    return traceSkeletonBranches(g, left, top, right, bottom);
}

} // namespace zx
