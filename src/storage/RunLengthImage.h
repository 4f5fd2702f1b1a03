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

// Runs are written for three or more equal words (at most 65535, never past the
// end of the picture, across row ends); words in 0x80000000–0x8000FFFF that are not
// part of such a run are written as runs of length 1. An empty or descriptor
// picture gives no words.
RunLengthImage encodeRunLength(const RasterImage& image);
// The same coding appended to a caller's buffer (records that embed a mask).
void appendRunLength(const RasterImage& image, std::vector<uint32_t>& out);
// The word count encodeRunLength would produce, without encoding.
size_t runLengthWordCount(const RasterImage& image);
// None for a malformed or truncated coding (runs past the picture, missing value).
std::optional<RasterImage> decodeRunLength(std::span<const uint32_t> words);
inline std::optional<RasterImage> decodeRunLength(const RunLengthImage& coded) {
    return decodeRunLength(coded.words);
}

} // namespace zx
