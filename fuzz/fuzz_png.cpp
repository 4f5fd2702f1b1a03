// PNG reader from memory: errors come back as none, never as a crash or a leak.
#include "storage/ImageFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto image = zx::decodePng(std::span(data, size), nullptr, 1 << 20);
    if (image && image->pixelCount() != size_t(image->width()) * size_t(image->height()))
        std::abort();
    return 0;
}
