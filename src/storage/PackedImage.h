#pragma once
// Lossless block coding of colour pictures: 16 × 16 blocks, each a type byte and a
// payload chosen by the block's value ranges. Layout of the coded form:
//   uint16 width, uint16 height | 0x8000, int32 L, L bytes of block data.
// Used for colour layers in project and library files and for spooled frames.

#include "storage/RasterImage.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zx {

struct PackedImage {
    std::vector<uint8_t> bytes; // the whole coded form, header included

    int width() const;
    int height() const;
    // The size in 32-bit words as the file writers store it (padded codings only).
    size_t wordCount() const { return (bytes.size() + 3) / 4; }
    bool operator==(const PackedImage&) const = default;
};

struct PackOptions {
    // Type 6 (fully transparent block, one byte). The file writers allow it.
    bool allowTransparentBlocks = true;
    // Pad the block data with zero bytes to a multiple of 4 (the file writers'
    // word count); L then counts the padding too.
    bool padToWords = true;
    // Blocks byte-identical to the co-located block of this coded picture (same
    // size) are written as type 255.
    const PackedImage* reference = nullptr;
};

// None when the coded data would exceed 4 × (width + 17) × (height + 17) bytes, or
// for an empty or descriptor picture.
std::optional<PackedImage> packImage(const RasterImage& image, const PackOptions& options = {});

// None for a malformed or truncated coding. Type 255 blocks copy the co-located
// pixels of `reference` (the decoded reference picture); without one they fail.
std::optional<RasterImage> unpackImage(std::span<const uint8_t> coded,
                                       const RasterImage* reference = nullptr);
inline std::optional<RasterImage> unpackImage(const PackedImage& coded,
                                              const RasterImage* reference = nullptr) {
    return unpackImage(coded.bytes, reference);
}

} // namespace zx
