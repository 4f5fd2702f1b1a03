#include "commands/ClipboardDib.h"

#include "storage/Binary.h"

namespace zx {

namespace {
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;

size_t rowStride(int width, int bitsPerPixel) {
    return (size_t(width) * size_t(bitsPerPixel / 8) + 3) & ~size_t(3);
}
} // namespace

std::vector<uint8_t> encodeClipboardDib(const RasterImage& image) {
    const int w = image.width(), h = image.height();
    std::vector<uint8_t> out(kDibHeaderSize + 4 * size_t(w) * size_t(h), 0);
    ByteWriter header;
    header.u32(kDibHeaderSize);
    header.i32(w);
    header.i32(h); // positive: bottom-up rows
    header.u16(1);
    header.u16(24);
    header.u32(kBiRgb);
    for (int i = 0; i < 5; ++i) header.u32(0);
    std::copy(header.data().begin(), header.data().end(), out.begin());

    const size_t stride = rowStride(w, 24);
    for (int y = 0; y < h; ++y) {
        uint8_t* dst = out.data() + kDibHeaderSize + size_t(h - 1 - y) * stride;
        for (uint32_t p : image.row(y)) {
            if (isTransparent(p)) p = 0xFFFFFFFFu;
            *dst++ = uint8_t(p);
            *dst++ = uint8_t(p >> 8);
            *dst++ = uint8_t(p >> 16);
        }
    }
    return out;
}

std::optional<RasterImage> decodeClipboardDib(std::span<const uint8_t> dib) {
    ByteReader r(dib);
    const uint32_t headerSize = r.u32();
    const int32_t w = r.i32();
    const int32_t h = r.i32();
    const uint16_t planes = r.u16();
    const uint16_t bits = r.u16();
    const uint32_t compression = r.u32();
    if (!r.ok() || headerSize < uint32_t(kDibHeaderSize) || headerSize > dib.size()) return {};
    if (planes != 1 || (bits != 24 && bits != 32)) return {};
    if (compression != kBiRgb && compression != kBiBitfields) return {};
    if (w <= 0 || h < 0 || w > 65535 || h > 65535) return {};

    size_t offset = headerSize;
    if (bits == 32 && compression == kBiBitfields) offset += 12;
    const size_t stride = rowStride(w, bits);
    if (offset > dib.size() || (dib.size() - offset) / stride < size_t(h)) return {};

    RasterImage image(w, h);
    const size_t bytesPerPixel = bits / 8;
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = dib.data() + offset + size_t(h - 1 - y) * stride;
        auto row = image.row(y);
        for (int x = 0; x < w; ++x, src += bytesPerPixel)
            row[x] = 0xFF000000u | uint32_t(src[2]) << 16 | uint32_t(src[1]) << 8 | src[0];
    }
    return image;
}

std::vector<uint8_t> ClipboardExchange::copy(const RasterImage& image) {
    own_ = image;
    return encodeClipboardDib(image);
}

std::optional<RasterImage>
ClipboardExchange::paste(std::optional<std::span<const uint8_t>> clipboardDib) {
    if (!clipboardDib) return own_;
    std::optional<RasterImage> fromClipboard = decodeClipboardDib(*clipboardDib);
    if (!fromClipboard) return {};
    if (own_ && own_->width() == fromClipboard->width() &&
        own_->height() == fromClipboard->height())
        return own_;
    own_.reset();
    return fromClipboard;
}

} // namespace zx
