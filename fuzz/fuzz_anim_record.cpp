// Animation records from arbitrary words: reading never crashes or reads outside the
// record, and whatever reads cleanly writes back to a record that reads to the same
// words again.
#include "anim/AnimationModel.h"
#include "anim/AnimationRecord.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto model = std::make_unique<zx::AnimationModel>();
    std::vector<uint32_t> words(size / 4);
    if (!words.empty()) std::memcpy(words.data(), data, words.size() * 4);

    if (!zx::readAnimationRecord(*model, words)) return 0;
    std::vector<uint32_t> first = zx::writeAnimationRecord(*model);
    if (first.empty() || first[0] + 1 != first.size()) std::abort();
    if (!zx::readAnimationRecord(*model, first)) std::abort();
    if (zx::writeAnimationRecord(*model) != first) std::abort();
    if (!zx::rewriteRecordForFolder(first, "/a/b", "/a/c")) std::abort();
    return 0;
}
