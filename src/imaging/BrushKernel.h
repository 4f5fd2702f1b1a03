#pragma once
// The footprint of the hand tools: n x n weights 0..65536 centred on the pixel under
// the cursor, n = size + 2 × feathering index.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zx {

// "Solid Square Brush", "Solid Round Brush", "Soft Square Brush", "Soft Round Brush".
enum class BrushShape : int { SolidSquare = 0, SolidRound = 1, SoftSquare = 2, SoftRound = 3 };

inline constexpr int32_t kFullWeight = 65536;
inline constexpr int kMinBrushSize = 1;
inline constexpr int kMaxBrushSize = 100;

struct BrushKernel {
    int n = 0;
    std::vector<int32_t> weights; // row by row

    // Size is kept within 1..100 and the feathering index within 0..3.
    static BrushKernel build(BrushShape shape, int size, int featherIndex);

    int32_t at(int column, int row) const {
        return weights[std::size_t(row) * std::size_t(n) + std::size_t(column)];
    }
    // The cell on the pixel under the cursor.
    int centre() const { return n / 2; }
};

} // namespace zx
