#pragma once
// Videos used as object textures are unpacked once into numbered JPEG frames in the
// temporary folder. The cache remembers every video (and frame count) unpacked so far;
// one lock guards it from the lookup until an unpacking has finished, so a second
// request for the same video waits and then shares the frames.

#include "platform/Progress.h"
#include "platform/Prompter.h"
#include "platform/Status.h"

#include <filesystem>
#include <string>

namespace zx {

struct VideoTexture {
    std::filesystem::path video;
    int frameCount = 0;
    std::string prefix; // frame n is prefix + n + ".jpg"

    // Frame `n`, from 1 to frameCount.
    std::filesystem::path framePath(int n) const { return prefix + std::to_string(n) + ".jpg"; }
};

// The frames of `video`, unpacking them now unless an earlier call did. Encoder failures
// are shown through the prompter.
Result<VideoTexture> prepareVideoTexture(const std::filesystem::path& video, int frameCount,
                                         Progress* progress, Prompter& prompter);

// Deletes every unpacked frame and forgets them (when the program ends).
void clearVideoTextures();

} // namespace zx
