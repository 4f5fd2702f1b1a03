// Library files from arbitrary content (the words after the container's magic):
// loading never crashes, never reads outside the data and never allocates without
// bound; a loaded object saves to a file that loads again and saves the same words.
#include "anim/AnimationModel.h"
#include "anim/LibraryFile.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto model = std::make_unique<zx::AnimationModel>();
    model->clearAll();
    std::span<const uint8_t> content(data, size);
    (void)zx::libraryThumbnailFromData(content);

    zx::LibraryLoadOptions options;
    int slot = zx::loadLibraryObjectFromData(*model, content, "fuzz.zxl",
                                             zx::LibraryLoadMode::NewObject, -1, options);
    if (slot < 0) return 0;
    if (model->object(slot).vertexCount != int(model->object(slot).points.size())) std::abort();

    const int slots[] = {slot};
    std::vector<uint32_t> words = zx::buildLibraryWords(*model, slots, false, {});
    std::vector<uint8_t> bytes(words.size() * 4);
    std::memcpy(bytes.data(), words.data(), bytes.size());
    const int again = zx::loadLibraryObjectFromData(*model, bytes, "again.zxl",
                                                    zx::LibraryLoadMode::NewObject, -1, options);
    if (again < 0) std::abort();
    // What was saved once is saved again word for word.
    const int againSlots[] = {again};
    if (zx::buildLibraryWords(*model, againSlots, false, {}) != words) std::abort();
    return 0;
}
