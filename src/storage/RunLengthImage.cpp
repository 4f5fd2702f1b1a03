#include "storage/RunLengthImage.h"

#include <algorithm>

namespace zx {

namespace {

constexpr uint32_t kRunMark = 0x80000000u;
constexpr uint32_t kLongestRun = 0xFFFF;
constexpr size_t kShortestRun = 3;

// Words that look like a run token cannot stand for themselves.
inline bool needsRunToken(uint32_t w) {
    return (w & 0xFFFF0000u) == kRunMark;
}

// Calls run(count, value) for every run token and literal(value) for every literal
// the coder emits, in order. Encoding and counting share this walk so they agree.
template <class Run, class Literal>
void walkTokens(const uint32_t* words, size_t count, Run run, Literal literal) {
    size_t i = 0;
    while (i < count) {
        const uint32_t v = words[i];
        const size_t limit = std::min(count - i, size_t(kLongestRun));
        size_t k = 1;
        while (k < limit && words[i + k] == v) ++k;
        if (k >= kShortestRun) {
            run(uint32_t(k), v);
        } else {
            for (size_t j = 0; j < k; ++j) {
                if (needsRunToken(v))
                    run(1, v);
                else
                    literal(v);
            }
        }
        i += k;
    }
}

} // namespace

void appendRunLength(const RasterImage& image, std::vector<uint32_t>& out) {
    if (image.isDescriptor() || image.empty()) return;
    out.reserve(out.size() + runLengthWordCount(image));
    out.push_back(uint32_t(image.width()));
    out.push_back(uint32_t(image.height()));
    walkTokens(
        image.pixels(), image.pixelCount(),
        [&](uint32_t k, uint32_t v) {
            out.push_back(kRunMark | k);
            out.push_back(v);
        },
        [&](uint32_t v) { out.push_back(v); });
}

RunLengthImage encodeRunLength(const RasterImage& image) {
    RunLengthImage coded;
    appendRunLength(image, coded.words);
    return coded;
}

size_t runLengthWordCount(const RasterImage& image) {
    if (image.isDescriptor() || image.empty()) return 0;
    size_t n = 2;
    walkTokens(
        image.pixels(), image.pixelCount(), [&](uint32_t, uint32_t) { n += 2; },
        [&](uint32_t) { n += 1; });
    return n;
}

std::optional<RasterImage> decodeRunLength(std::span<const uint32_t> words) {
    if (words.size() < 2) return std::nullopt;
    const int32_t width = int32_t(words[0]);
    const int32_t height = int32_t(words[1]);
    if (width <= 0 || height <= 0) return std::nullopt;
    const uint64_t total = uint64_t(width) * uint64_t(height);
    // Two token words make at most 65535 pixels: refuse sizes the tokens cannot
    // possibly fill before allocating for them.
    const uint64_t tokenWords = words.size() - 2;
    if (total > (tokenWords / 2) * kLongestRun + tokenWords % 2) return std::nullopt;

    RasterImage image(width, height);
    uint32_t* out = image.pixels();
    size_t produced = 0;
    size_t i = 2;
    while (produced < total) {
        if (i >= words.size()) return std::nullopt;
        const uint32_t token = words[i++];
        if (!needsRunToken(token)) {
            out[produced++] = token;
            continue;
        }
        const uint32_t k = token & 0xFFFF;
        if (k == 0 || i >= words.size() || k > total - produced) return std::nullopt;
        std::fill_n(out + produced, k, words[i++]);
        produced += k;
    }
    return image;
}

} // namespace zx
