#include "mesh3d/VertexRegistry.h"

#include <algorithm>
#include <cmath>

namespace zx {

namespace {
// Truncation toward zero that cannot overflow for far or invalid coordinates.
int64_t truncateWide(double v) {
    if (!(v == v)) return 0;
    return int64_t(std::clamp(v, -9.0e15, 9.0e15));
}
} // namespace

int VertexRegistry::hashSlot(double x, double y, double z) {
    const int64_t h = truncateWide(z) + truncateWide(x) - truncateWide(y * -62.5);
    return int(h & kSlotMask);
}

int VertexRegistry::find(double x, double y, double z, const std::vector<double>& xs,
                         const std::vector<double>& ys) const {
    int slot = hashSlot(x, y, 0);
    // Every probe ends: at an empty slot, at the point, or after one full turn of a
    // table that is (against the vertex limit) completely full.
    for (int probes = 0; probes < kSlots; ++probes) {
        const int32_t index = slots_[slot];
        if (index < 0) return -1;
        if (size_t(index) < xs.size() && xs[index] == x && ys[index] == y) return index;
        slot = (slot + 1) & kSlotMask;
    }
    return -1;
}

bool VertexRegistry::insert(double x, double y, double z, int32_t index) {
    if (count_ >= kSlots) return false;
    int slot = hashSlot(x, y, 0);
    for (int probes = 0; probes < kSlots; ++probes) {
        if (slots_[slot] < 0) {
            slots_[slot] = index;
            ++count_;
            return true;
        }
        slot = (slot + 1) & kSlotMask;
    }
    return false;
}

void VertexRegistry::clear() {
    std::fill(slots_.begin(), slots_.end(), -1);
    count_ = 0;
}

} // namespace zx
