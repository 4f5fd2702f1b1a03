// JPEG reader from memory: library errors come back as none through the jump out
// of libjpeg, never as exit(), a crash or a leak.
#include "storage/ImageFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto image = zx::decodeJpeg(std::span(data, size), nullptr, 1 << 20);
    if (image) {
        for (uint32_t p : image->pixelVector())
            if ((p >> 24) != 0xFF) std::abort(); // JPEG pictures are opaque
    }
    return 0;
}
