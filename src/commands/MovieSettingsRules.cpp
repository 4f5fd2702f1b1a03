#include "commands/MovieSettingsRules.h"

#include <algorithm>

namespace zx {

MovieSettingsValues clampMovieSettings(MovieSettingsValues v) {
    v.width = std::clamp(v.width, kMovieSizeMin, kMovieSizeMax);
    v.height = std::clamp(v.height, kMovieSizeMin, kMovieSizeMax);
    v.framesPerSecond = std::clamp(v.framesPerSecond, 1, 100);
    v.quality = std::clamp(v.quality, 0, 3);
    return v;
}

MovieSettingsOutcome movieSettingsOutcome(const MovieSettingsValues& before,
                                          const MovieSettingsValues& after,
                                          bool movieModeWithFrame) {
    MovieSettingsOutcome o;
    if (before == after) return o;
    const bool sizeChanged = before.width != after.width || before.height != after.height;
    const bool maximumToggled = (before.quality == 3) != (after.quality == 3);
    o.deleteCameraTags = sizeChanged;
    if (sizeChanged || maximumToggled)
        o.effect = MovieSettingsEffect::RebuildFrames;
    else if (movieModeWithFrame)
        o.effect = MovieSettingsEffect::RefreshPlayback;
    else
        o.effect = MovieSettingsEffect::RecomputeFrames;
    return o;
}

} // namespace zx
