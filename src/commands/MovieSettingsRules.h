#pragma once
// The rules of the "Movie Settings" dialog: the limits of its fields and what a
// change sets off.

#include <string_view>

namespace zx {

struct MovieSettingsValues {
    int width = 640;
    int height = 480;
    int framesPerSecond = 30;
    int quality = 1; // 0 Low (Fast) … 3 Maximum (Slow)
    bool operator==(const MovieSettingsValues&) const = default;
};

inline constexpr int kMovieSizeMin = 16;
inline constexpr int kMovieSizeMax = 4095;
inline constexpr std::string_view kMovieSizeWarning =
    "WARNING: A change in Movie Size will remove all Movie Tags";

MovieSettingsValues clampMovieSettings(MovieSettingsValues v);

enum class MovieSettingsEffect {
    Nothing,         // OK with nothing changed
    RebuildFrames,   // size changed, or quality into or out of Maximum
    RefreshPlayback, // other change while a movie frame is current in Movie mode
    RecomputeFrames, // other change otherwise
};

struct MovieSettingsOutcome {
    MovieSettingsEffect effect = MovieSettingsEffect::Nothing;
    bool deleteCameraTags = false; // the movie size changed
};

MovieSettingsOutcome movieSettingsOutcome(const MovieSettingsValues& before,
                                          const MovieSettingsValues& after,
                                          bool movieModeWithFrame);

} // namespace zx
