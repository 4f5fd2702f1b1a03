#pragma once

#include "storage/RasterImage.h"

#include <string>

namespace zx {

// Cuts the masked subject out of the background: every background pixel becomes the
// subject pixel, with alpha 0 where the mask value is 255 and alpha 255 where it is
// 1..254 (mask value 0 copies the pixel unchanged). The background tools then fill
// the hole. Does nothing and returns false unless the three pictures exist with the
// same size.
bool sendMaskedSubjectToBackground(RasterImage& background, const RasterImage& subject,
                                   const RasterImage& mask);

// The background layer's name afterwards.
inline std::string backgroundNameFor(const std::string& subjectName) {
    return subjectName + ".b";
}

} // namespace zx
