#pragma once
// Merges coincident mesh vertices while one object is built: a fixed table of
// 0x20000 slots, each empty (-1) or a vertex index, probed linearly. Two points are
// the same vertex when their x and y are exactly equal (z is not compared).

#include <cstdint>
#include <vector>

namespace zx {

class VertexRegistry {
public:
    static constexpr int kSlots = 0x20000;
    static constexpr int kSlotMask = 0x1FFFF;
    // At most this many vertices per object, so that one slot always stays empty and
    // a probe for a new point ends at it.
    static constexpr int kMaxVertices = 0x1FFFF;

    VertexRegistry() : slots_(kSlots, -1) {}

    // The slot a point's search starts at: (trunc(z) + trunc(x) - trunc(y * -62.5))
    // AND 0x1FFFF.
    static int hashSlot(double x, double y, double z);

    // The vertex registered at exactly (x, y), or -1. `xs` and `ys` give the
    // positions of registered indices. The depth takes no part in the slot either
    // (searches hash with z = 0): two points are the same vertex whatever their z,
    // so a search must start where the first one was put.
    int find(double x, double y, double z, const std::vector<double>& xs,
             const std::vector<double>& ys) const;
    // Registers `index` for (x, y); false when the table is full.
    bool insert(double x, double y, double z, int32_t index);
    int count() const { return count_; }
    void clear();

private:
    std::vector<int32_t> slots_;
    int count_ = 0;
};

} // namespace zx
