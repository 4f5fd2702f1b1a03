#pragma once
// WebGL scene export: an animated project image as a web page that plays it in a
// browser. Writes "zxwebgl.htm" (local export only), "zxwebgl_data.js", the texture
// atlas, the thumbnail "zxwebgl_vig.jpg" and a copy of the player script into a
// folder. The files are built in a fresh folder beside the target and moved into it
// only when every one of them was written, so a refused or failed export leaves
// nothing behind.

#include "anim/Vec3.h"
#include "output/WebGlExportText.h"
#include "platform/Status.h"

#include <filesystem>
#include <string>

namespace zx {

class AnimationModel;
class Project;
class Prompter;

inline constexpr int kMaxWebGlObjects = 64;
inline constexpr int kMaxWebGlVertices = 65536; // 16-bit element indices
inline constexpr int kMaxWebGlTextureSide = 16384;
inline constexpr size_t kMaxWebGlTrajectoryValues = 512000;
inline constexpr int kMinWebGlCanvasSide = 8, kMaxWebGlCanvasSide = 4096;

inline constexpr const char* kWebGlPageFile = "zxwebgl.htm";
inline constexpr const char* kWebGlDataFile = "zxwebgl_data.js";
inline constexpr const char* kWebGlThumbnailFile = "zxwebgl_vig.jpg";
inline constexpr const char* kWebGlPlayerFile = "zelvotrixv2.js";

struct WebGlExportOptions {
    int image = 0;
    // Canvas size; 0 × 0 takes the image's size (kept within 8 … 4096).
    int width = 0, height = 0;
    // Publish only this frame of the image, as a still 3D object; -1: the animation.
    int staticFrame = -1;
    // Publishing leaves out the page and names the texture as the service keeps it.
    bool publish = false;
    std::string publishedName;
    // Everything else the page says (strings, triggers, controls, animators). The
    // canvas size, colour, texture, duration and the light's shading come from the
    // project and overwrite what is given.
    WebGlPageSettings page;
    // Take the light's direction from the project's Movie panel rather than page.light.
    bool projectLight = true;
    // The light intensity of a shading button (kWebGlShadingIntensity); -1 keeps the
    // project's own.
    int shadingIntensity = -1;
};

// The export dialog's shading buttons and the light intensity each gives, as in the
// 3D Preview.
inline constexpr const char* kWebGlShadingButtons[] = {"No Shading", "Soft Shading",
                                                       "Strong Shading", "Maximum Shading"};
inline constexpr int kWebGlShadingIntensity[] = {0, 40, 128, 256};

// The light buttons in the page's axes (y up, z towards the viewer), in button order.
struct WebGlLightButton {
    const char* tooltip;
    Vec3 vector;
};
inline constexpr WebGlLightButton kWebGlLightButtons[] = {
    {"Top/Left Light", {.408, -.408, .816}},
    {"Top/Right Light", {-.408, -.408, .816}},
    {"Front Light", {0, 0, 1}},
    {"Bottom/Left Light", {.408, .408, .816}},
    {"Bottom/Right Light", {-.408, .408, .816}}};

// Refuses a scene the page cannot show: more than 64 objects, more than 65536
// vertices in the visible objects, an object drawn from a video texture. The message
// is shown on `prompter` too.
Status checkWebGlLimits(const AnimationModel& scene, Prompter* prompter);

// Opening the export: whether image `image` can become a page at all (the limits
// above, the player script); the refusal is shown on `prompter`.
Status openWebGlExport(const Project& project, int image, const std::filesystem::path& playerScript,
                       Prompter* prompter);

// Exports the image of `project` into `folder` (created when missing; files of the
// same names are replaced). `playerScript` is the player to copy next to the page.
Status exportWebGl(const Project& project, const WebGlExportOptions& options,
                   const std::filesystem::path& folder, const std::filesystem::path& playerScript,
                   Prompter* prompter);

// Where the player script is: installed in the program's data folder (found from
// the program's own folder), else in the source tree the program was built from.
// Empty when neither exists.
std::filesystem::path findPlayerScript(const std::filesystem::path& programFolder);

// "Browser Preview": exports a local page into a fresh folder of its own under
// `tempRoot` (so a browser still showing an earlier preview keeps its files) and
// returns the page's path.
Result<std::filesystem::path> writeWebGlPreview(const Project& project,
                                                const WebGlExportOptions& options,
                                                const std::filesystem::path& tempRoot,
                                                const std::filesystem::path& playerScript,
                                                Prompter* prompter);

} // namespace zx
