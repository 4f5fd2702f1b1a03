#pragma once
// Run-length coding of 32-bit words, used for mask layers:
//   width, height, then tokens until width × height words are produced. A token is
//   a literal word (outside 0x80000000–0x8000FFFF) or a run 0x80000000 | k followed
//   by the value (k copies, 1 ≤ k ≤ 65535).

#include "storage/RasterImage.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zx {

struct RunLengthImage {
    std::vector<uint32_t> words; // width, height, tokens

    int width() const { return words.size() >= 2 ? int32_t(words[0]) : 0; }
    int height() const { return words.size() >= 2 ? int32_t(words[1]) : 0; }
    bool operator==(const RunLengthImage&) const = default;
};

RunLengthImage encodeRunLength(const RasterImage& image);
// The word count encodeRunLength would produce, without encoding.
size_t runLengthWordCount(const RasterImage& image);
// None for a malformed or truncated coding (runs past the picture, missing value).
std::optional<RasterImage> decodeRunLength(std::span<const uint32_t> words);
inline std::optional<RasterImage> decodeRunLength(const RunLengthImage& coded) {
    return decodeRunLength(coded.words);
}

} // namespace zx
