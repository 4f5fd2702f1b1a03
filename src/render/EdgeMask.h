#pragma once
// Silhouette weights 0 … 255, one byte per frame pixel, written by the rasteriser
// where a surface turns away from the viewer and used by smoothSilhouettes.

#include <algorithm>
#include <cstdint>
#include <vector>

namespace zx {

class EdgeMask {
public:
    EdgeMask() = default;
    EdgeMask(int width, int height)
        : width_(width > 0 ? width : 0), height_(height > 0 ? height : 0),
          weights_(size_t(width_) * size_t(height_), 0) {}

    int width() const { return width_; }
    int height() const { return height_; }
    uint8_t* weights() { return weights_.data(); }
    const uint8_t* weights() const { return weights_.data(); }
    uint8_t& at(int x, int y) { return weights_[size_t(y) * width_ + x]; }
    uint8_t at(int x, int y) const { return weights_[size_t(y) * width_ + x]; }

    void clear() { std::fill(weights_.begin(), weights_.end(), uint8_t(0)); }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> weights_;
};

} // namespace zx
