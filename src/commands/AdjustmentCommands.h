#pragma once
// The colour adjustments as user operations on an image of the project: each reads
// the picture being edited (the subject, or the background while it is edited),
// writes the adjusted picture and records the step under the action's history name.
// An action that changes nothing (no picture, an empty selection when limited to
// it, a result equal to the picture) records no step and reports ok.

#include "imaging/LightingEffects.h"
#include "platform/Status.h"
#include "storage/Project.h"

#include <array>
#include <optional>
#include <string_view>

namespace zx {

struct AdjustmentName {
    static constexpr std::string_view AutoLevels = "Auto Levels";
    static constexpr std::string_view AutoContrast = "Auto Contrast";
    static constexpr std::string_view WhiteBalance = "White Balance";
    static constexpr std::string_view BrightnessContrast = "Brightness and Contrast";
    static constexpr std::string_view Color = "Color Adjust";
    static constexpr std::string_view HueSaturation = "Hue & Saturation";
    static constexpr std::string_view BlurSharpen = "Blur/Sharpen";
    static constexpr std::string_view Lighting = "Lighting Effects";
};

// The status line while White Balance waits for its click, and over the picture.
inline constexpr std::string_view kWhiteBalancePrompt = "Click on a white area of image";
inline constexpr std::string_view kWhiteBalanceOverPicture =
    "Click on a grey area from image for white balance";

// A dialog's preview: the adjusted picture goes to `out` instead of the image, worked
// out only over `area` (the part the view shows) at every `step`-th pixel (the view's
// zoom), and nothing is recorded. `out` stays empty when the action would not apply.
// What a dialog's previews keep from one change to the next, worked out once for the
// picture the dialog opened on: its statistics and the selection's weight.
struct AdjustCache {
    std::optional<PictureStatistics> statistics;
    bool statisticsOfSelection = false; // of the selected pixels, else of all
    std::optional<RasterImage> weight;
    int weightFeather = -1;
};

struct AdjustPreview {
    std::optional<PixelRect> area;
    int step = 1;
    RasterImage* out = nullptr;
    AdjustCache* cache = nullptr; // none: everything is worked out afresh
};

struct AdjustOptions {
    bool background = false;       // the background picture is being edited
    bool applyToSelection = false; // "Apply to Selection"
    int featherIndex = 0;          // "No", "1px", "2px", "4px"
    const AdjustPreview* preview = nullptr;
};

Status adjustAutoLevels(Project& project, int image, const AdjustOptions& options);
Status adjustAutoContrast(Project& project, int image, const AdjustOptions& options);
// A click of the White Balance pick at (x, y); ignored near the edge or on transparency.
Status adjustWhiteBalance(Project& project, int image, int x, int y, const AdjustOptions& options);
Status adjustBrightnessContrast(Project& project, int image, int brightness, int contrast,
                                const AdjustOptions& options);
Status adjustColor(Project& project, int image, const std::array<int, 3>& redGreenBlue,
                   const AdjustOptions& options);
Status adjustHueSaturation(Project& project, int image, int hue, int saturation, int intensity,
                           const AdjustOptions& options);
Status adjustBlurSharpen(Project& project, int image, int value, const AdjustOptions& options);
// Without a light, the dialog's opening circle over the whole picture.
Status adjustLighting(Project& project, int image, const LightingSettings& settings,
                      const std::optional<LightEllipse>& light, const AdjustOptions& options);

} // namespace zx
