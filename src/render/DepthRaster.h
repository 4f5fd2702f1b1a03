#pragma once
// The per-pixel depth buffer of the renderer. Bits 31..1 of an entry hold the depth
// (interpolated vertex depth × 65536; larger is nearer), bit 0 the edge flag: the
// pixel was written by a border pixel of the object being drawn.

#include <algorithm>
#include <cstdint>
#include <vector>

namespace zx {

class DepthRaster {
public:
    // Farther than anything drawn.
    static constexpr int32_t kFar = int32_t(0x80010000u);

    DepthRaster() = default;
    DepthRaster(int width, int height, int32_t fill = kFar)
        : width_(width > 0 ? width : 0), height_(height > 0 ? height : 0),
          entries_(size_t(width_) * size_t(height_), fill) {}

    int width() const { return width_; }
    int height() const { return height_; }
    int32_t* entries() { return entries_.data(); }
    const int32_t* entries() const { return entries_.data(); }
    int32_t& at(int x, int y) { return entries_[size_t(y) * width_ + x]; }
    int32_t at(int x, int y) const { return entries_[size_t(y) * width_ + x]; }

    void fill(int32_t value) {
        std::fill(entries_.begin(), entries_.end(), value);
        edgeTop_ = 0, edgeBottom_ = height_ - 1, edgeLeft_ = 0, edgeRight_ = width_ - 1;
    }

    // Done before each object, so the seam rule only pairs border pixels of one object.
    // Only the part the filler touched since the last clear can hold flags.
    void clearEdgeFlags() {
        for (int y = edgeTop_; y <= edgeBottom_; ++y) {
            int32_t* row = entries_.data() + size_t(y) * size_t(width_);
            for (int x = edgeLeft_; x <= edgeRight_; ++x) row[x] &= ~1;
        }
        edgeTop_ = height_, edgeBottom_ = -1, edgeLeft_ = width_, edgeRight_ = -1;
    }
    // The filler reports each row span it writes.
    void noteSpan(int y, int left, int right) {
        edgeTop_ = std::min(edgeTop_, y), edgeBottom_ = std::max(edgeBottom_, y);
        edgeLeft_ = std::min(edgeLeft_, left), edgeRight_ = std::max(edgeRight_, right);
    }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<int32_t> entries_;
    // Where edge flags may be set (initially everywhere: a filled raster is unknown).
    int edgeTop_ = 0, edgeBottom_ = height_ - 1, edgeLeft_ = 0, edgeRight_ = width_ - 1;
};

} // namespace zx
