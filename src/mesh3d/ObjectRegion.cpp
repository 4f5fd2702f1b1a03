#include "mesh3d/ObjectRegion.h"

#include <algorithm>

namespace zx {

namespace {

constexpr uint32_t kRunMark = 0x80000000u;
constexpr uint32_t kLongestRun = 0xFFFF;

// Builds a run-length coding from stretches of equal words, as the picture coder
// would from the whole picture (runs of three or more, at most 65535 long), without
// ever holding the picture.
class RunLengthWriter {
public:
    RunLengthWriter(int width, int height) {
        coded.words.push_back(uint32_t(width));
        coded.words.push_back(uint32_t(height));
    }
    void push(uint32_t value, size_t count) {
        if (count == 0) return;
        if (pendingCount_ > 0 && value == pending_) {
            pendingCount_ += count;
            return;
        }
        flush();
        pending_ = value;
        pendingCount_ = count;
    }
    RunLengthImage finish() {
        flush();
        return std::move(coded);
    }

private:
    void flush() {
        while (pendingCount_ > 0) {
            const size_t k = std::min(pendingCount_, size_t(kLongestRun));
            if (k >= 3) {
                coded.words.push_back(kRunMark | uint32_t(k));
                coded.words.push_back(pending_);
            } else {
                for (size_t j = 0; j < k; ++j) {
                    if ((pending_ & 0xFFFF0000u) == kRunMark) {
                        coded.words.push_back(kRunMark | 1);
                        coded.words.push_back(pending_);
                    } else {
                        coded.words.push_back(pending_);
                    }
                }
            }
            pendingCount_ -= k;
        }
    }
    RunLengthImage coded;
    uint32_t pending_ = 0;
    size_t pendingCount_ = 0;
};

// Walks the tokens of a coding: fn(position, count, value) for each stretch. False
// for a damaged coding.
template <class Fn> bool walkRuns(const RunLengthImage& coded, Fn&& fn) {
    const auto& w = coded.words;
    if (w.size() < 2 || int32_t(w[0]) <= 0 || int32_t(w[1]) <= 0) return false;
    const uint64_t total = uint64_t(w[0]) * uint64_t(w[1]);
    uint64_t pos = 0;
    size_t i = 2;
    while (pos < total) {
        if (i >= w.size()) return false;
        const uint32_t token = w[i++];
        uint64_t count = 1;
        uint32_t value = token;
        if ((token & 0xFFFF0000u) == kRunMark) {
            if (i >= w.size()) return false;
            count = token & 0xFFFF;
            value = w[i++];
            if (count == 0) return false;
        }
        if (pos + count > total) return false;
        fn(pos, count, value);
        pos += count;
    }
    return true;
}

} // namespace

std::optional<RasterImage> objectRegionMask(const AnimObject& object) {
    const auto& coded = object.ownedMasks[kRegionMaskSlot];
    if (!coded) return std::nullopt;
    return decodeRunLength(*coded);
}

std::optional<RegionCrop> objectRegionCrop(const AnimObject& object) {
    const auto& coded = object.ownedMasks[kRegionMaskSlot];
    if (!coded) return std::nullopt;
    const int width = coded->width(), height = coded->height();
    // First pass: the bounds of the inside pixels, from the tokens alone.
    int left = width, top = height, right = 0, bottom = 0;
    bool ok = walkRuns(*coded, [&](uint64_t pos, uint64_t count, uint32_t value) {
        if (!(value & kMaskInside)) return;
        const uint64_t last = pos + count - 1;
        const int y0 = int(pos / uint64_t(width)), y1 = int(last / uint64_t(width));
        top = std::min(top, y0);
        bottom = std::max(bottom, y1 + 1);
        if (y0 != y1) {
            left = 0;
            right = width;
        } else {
            left = std::min(left, int(pos % uint64_t(width)));
            right = std::max(right, int(last % uint64_t(width)) + 1);
        }
    });
    if (!ok || right <= left || bottom <= top) return std::nullopt;
    RegionCrop crop;
    crop.imageWidth = width;
    crop.imageHeight = height;
    crop.bounds = {left, top, right, bottom};
    crop.left = std::max(0, left - 1);
    crop.top = std::max(0, top - 1);
    const int cropRight = std::min(width, right + 1), cropBottom = std::min(height, bottom + 1);
    crop.mask = RasterImage(cropRight - crop.left, cropBottom - crop.top);
    // Second pass: copy the stretches that meet the crop.
    walkRuns(*coded, [&](uint64_t pos, uint64_t count, uint32_t value) {
        if (!(value & kMaskInside)) return;
        uint64_t p = pos, end = pos + count;
        while (p < end) {
            const int y = int(p / uint64_t(width)), x = int(p % uint64_t(width));
            const uint64_t rowEnd = std::min(end, (uint64_t(y) + 1) * uint64_t(width));
            const int xEnd = int(rowEnd - uint64_t(y) * uint64_t(width));
            if (y >= crop.top && y < cropBottom) {
                const int a = std::max(x, crop.left), b = std::min(xEnd, cropRight);
                for (int cx = a; cx < b; ++cx)
                    crop.mask.at(cx - crop.left, y - crop.top) = kRegionWord;
            }
            p = rowEnd;
        }
    });
    return crop;
}

void setObjectRegionMask(AnimObject& object, const RasterImage& mask) {
    RunLengthWriter writer(mask.width(), mask.height());
    for (uint32_t w : mask.pixelVector()) writer.push((w & kMaskInside) ? kRegionWord : 0, 1);
    object.ownedMasks[kRegionMaskSlot] = writer.finish();
}

void setObjectRegionFromLabels(AnimObject& object, int width, int height,
                               std::span<const int32_t> labels, int32_t label,
                               const IntRect& bounds) {
    RunLengthWriter writer(width, height);
    const size_t w = size_t(width);
    writer.push(0, size_t(std::max(0, bounds.top)) * w);
    for (int y = std::max(0, bounds.top); y < std::min(height, bounds.bottom); ++y) {
        writer.push(0, size_t(std::max(0, bounds.left)));
        for (int x = std::max(0, bounds.left); x < std::min(width, bounds.right); ++x)
            writer.push(labels[size_t(y) * w + size_t(x)] == label ? kRegionWord : 0, 1);
        writer.push(0, size_t(width - std::min(width, bounds.right)));
    }
    writer.push(0, size_t(height - std::min(height, bounds.bottom)) * w);
    object.ownedMasks[kRegionMaskSlot] = writer.finish();
}

void setObjectRegionRect(AnimObject& object, int width, int height, const IntRect& bounds) {
    RunLengthWriter writer(width, height);
    const int l = std::clamp(bounds.left, 0, width), r = std::clamp(bounds.right, l, width);
    const int t = std::clamp(bounds.top, 0, height), b = std::clamp(bounds.bottom, t, height);
    writer.push(0, size_t(t) * size_t(width));
    for (int y = t; y < b; ++y) {
        writer.push(0, size_t(l));
        writer.push(kRegionWord, size_t(r - l));
        writer.push(0, size_t(width - r));
    }
    writer.push(0, size_t(height - b) * size_t(width));
    object.ownedMasks[kRegionMaskSlot] = writer.finish();
}

IntRect regionBounds(const RasterImage& mask) {
    int left = mask.width(), top = mask.height(), right = 0, bottom = 0;
    for (int y = 0; y < mask.height(); ++y) {
        const auto row = mask.row(y);
        for (int x = 0; x < mask.width(); ++x)
            if (row[x] & kMaskInside) {
                left = std::min(left, x);
                right = std::max(right, x + 1);
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
    }
    if (right == 0) return {};
    return {left, top, right, bottom};
}

} // namespace zx
