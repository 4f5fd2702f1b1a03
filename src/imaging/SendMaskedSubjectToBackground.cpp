#include "imaging/SendMaskedSubjectToBackground.h"

namespace zx {

bool sendMaskedSubjectToBackground(RasterImage& background, const RasterImage& subject,
                                   const RasterImage& mask) {
    const int w = subject.width(), h = subject.height();
    if (w == 0 || h == 0 || subject.isDescriptor() || background.isDescriptor() ||
        mask.isDescriptor())
        return false;
    if (background.width() != w || background.height() != h || mask.width() != w ||
        mask.height() != h)
        return false;
    uint32_t* dst = background.pixels();
    const uint32_t* src = subject.pixels();
    const uint32_t* m = mask.pixels();
    for (size_t i = 0, n = subject.pixelCount(); i < n; ++i) {
        const uint32_t value = m[i] & 0xFF;
        uint32_t p = src[i];
        if (value == 255)
            p &= 0x00FFFFFFu;
        else if (value != 0)
            p |= 0xFF000000u;
        dst[i] = p;
    }
    return true;
}

} // namespace zx
