#pragma once
// Small helpers for the mask tests: draw masks from text and read flags back.

#include "imaging/MaskLayer.h"

#include <string>
#include <vector>

namespace zx::test {

// A mask from rows of text: '#' selected, '.' not; every mask value 255.
inline RasterImage maskFromRows(const std::vector<std::string>& rows) {
    RasterImage m(int(rows[0].size()), int(rows.size()), 0xFF);
    for (int y = 0; y < m.height(); ++y)
        for (int x = 0; x < m.width(); ++x)
            if (rows[y][x] == '#') m.at(x, y) |= MaskBit::Selected;
    return m;
}

// Rows of text from one flag: '#' where set.
inline std::vector<std::string> rowsOf(const RasterImage& m, uint32_t bit) {
    std::vector<std::string> rows;
    for (int y = 0; y < m.height(); ++y) {
        std::string r;
        for (int x = 0; x < m.width(); ++x) r += (m.at(x, y) & bit) ? '#' : '.';
        rows.push_back(r);
    }
    return rows;
}

inline int countBit(const RasterImage& m, uint32_t bit) {
    int n = 0;
    for (uint32_t w : m.pixelVector()) n += (w & bit) ? 1 : 0;
    return n;
}

} // namespace zx::test
