// Run-length mask decoder: never reads outside its input, and what it decodes
// codes back to the same words with the predicted length.
#include "storage/RunLengthImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint32_t> words(size / 4);
    if (!words.empty()) std::memcpy(words.data(), data, words.size() * 4);
    // Small pictures only: the decoder itself refuses sizes its tokens cannot
    // fill, but a few long runs can still describe a large picture legitimately.
    if (words.size() >= 2 && uint64_t(words[0]) * uint64_t(words[1]) > (1u << 20)) return 0;
    auto image = zx::decodeRunLength(words);
    if (!image) return 0;
    auto coded = zx::encodeRunLength(*image);
    if (coded.words.size() != zx::runLengthWordCount(*image)) std::abort();
    auto again = zx::decodeRunLength(coded);
    if (!again || !(*again == *image)) std::abort();
    return 0;
}
