#pragma once
// The clipboard's picture format: a device-independent bitmap (a 40-byte
// BITMAPINFOHEADER followed by the pixel rows). Other programs get 24-bit
// bottom-up rows; on reading we also accept 32-bit rows, plain or with bit-field
// masks. Transparency cannot travel this way, so the main frame keeps a private
// copy of what it copied (ClipboardExchange) and prefers it when sizes agree.

#include "storage/RasterImage.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zx {

inline constexpr int kDibHeaderSize = 40;

// 40 + 4 × width × height bytes: the header, then rows from the bottom up, blue,
// green, red, each row padded to a multiple of 4 bytes. Transparent pixels
// (below 0x01000000) are written as white. The block keeps the full 4 bytes per
// pixel that were always reserved for it, so its tail is zero.
std::vector<uint8_t> encodeClipboardDib(const RasterImage& image);

// The picture of a clipboard bitmap (every pixel opaque), or none when the
// header is not one we read: 1 plane, no compression or bit fields, 24 or 32 bits
// per pixel, non-negative height. A block too short for its rows is refused.
std::optional<RasterImage> decodeClipboardDib(std::span<const uint8_t> dib);

// The main frame's side of the exchange: the private copy with alpha.
class ClipboardExchange {
public:
    // Remembers the picture (alpha included) and returns the block for the clipboard.
    std::vector<uint8_t> copy(const RasterImage& image);

    // What a paste takes: `clipboardDib` is the clipboard's bitmap block, when it
    // holds one. The private copy wins when its size matches; a mismatch discards it.
    std::optional<RasterImage> paste(std::optional<std::span<const uint8_t>> clipboardDib);

    // Whether a paste could give anything (the clipboard bitmap or our own copy).
    bool hasOwnCopy() const { return own_.has_value(); }
    void clear() { own_.reset(); }

private:
    std::optional<RasterImage> own_;
};

} // namespace zx
