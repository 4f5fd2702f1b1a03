#pragma once
// The text of a WebGL scene: the data file the player reads ("zxwebgl_data.js") and
// the page that loads it ("zxwebgl.htm").

#include "anim/AnimPoint.h"
#include "output/WebGlExportScene.h"

#include <string>

namespace zx {

// The program's link that every scene header (and a published video's descriptor) carries.
inline constexpr const char* kWebGlProductLink =
    "<a href='https://zelvotrix.example/' target=_blank>Zelvotrix</a>";

enum class WebGlTrigger { OnLoad, OnClick, OnOver };

// A value the page animates by itself: starts at `init`, moves at `speed` units per
// second between min and max, with a random share, running when `trigger` fires.
struct WebGlAnimator {
    double init = 0, min = 0, max = 0, speed = 0, random = 0;
    bool loop = true, alternate = true;
    static WebGlAnimator constant(double value, double lo, double hi) {
        WebGlAnimator a;
        a.init = value, a.min = lo, a.max = hi;
        return a;
    }
};

struct WebGlCameraSettings {
    WebGlTrigger trigger = WebGlTrigger::OnLoad;
    WebGlAnimator xrot = WebGlAnimator::constant(0, -180, 180);
    WebGlAnimator yrot = WebGlAnimator::constant(0, -180, 180);
    WebGlAnimator zrot = WebGlAnimator::constant(0, -180, 180);
    WebGlAnimator xmov = WebGlAnimator::constant(0, -1, 1);
    WebGlAnimator ymov = WebGlAnimator::constant(0, -1, 1);
    WebGlAnimator zoom = WebGlAnimator::constant(1, 0.1, 10);
    bool loop = true, alternate = true;
};

struct WebGlLightSettings {
    Vec3 vector{0, 0, 1}; // towards the light, page axes (y up, z towards the viewer)
    WebGlTrigger trigger = WebGlTrigger::OnLoad;
    bool followCamera = true;
    WebGlAnimator xrot = WebGlAnimator::constant(0, -180, 180);
    WebGlAnimator yrot = WebGlAnimator::constant(0, -180, 180);
    // Channel offsets in 1/255: shading strength, factor on surfaces facing away,
    // ambient offset and highlight strength.
    double shading = 0, back = 0.5, ambient = 0, specular = 0;
};

struct WebGlBackgroundSettings {
    bool show = true;
    WebGlTrigger trigger = WebGlTrigger::OnLoad;
    bool followCamera = false;
    double followAmount = 1;
    WebGlAnimator xmov = WebGlAnimator::constant(0, -10000, 10000);
    WebGlAnimator ymov = WebGlAnimator::constant(0, -10000, 10000);
};

struct WebGlPageSettings {
    // Publishing strings, UTF-8; empty for a local export.
    std::string owner, title, description, privacy, category;
    int canvasWidth = 640, canvasHeight = 480;
    uint32_t backgroundColour = 0xFF000000u; // 0xAARRGGBB
    std::string textureName = "zxwebgl_tex.png";
    // A local export also carries the texture as a data URL: browsers refuse WebGL
    // textures loaded from disk by a page opened from disk. Empty when publishing.
    std::string embeddedTexture;
    double durationSeconds = 1;
    bool loop = true, autoReverse = false;
    WebGlTrigger start = WebGlTrigger::OnLoad;
    bool userRotate = true, userMove = true, userZoom = true;
    WebGlCameraSettings camera;
    WebGlLightSettings light;
    WebGlBackgroundSettings background;
};

// A double-quoted JavaScript string holding `text` (UTF-8): quotes, backslashes,
// controls, line separators and the characters of markup are escaped, so the text
// can end neither its string nor a script element.
std::string jsString(const std::string& text);

// "{startvalue:…,min:…}" of an animator whose default limits are lo … hi.
std::string animatorText(const WebGlAnimator& animator, double lo, double hi);

std::string webGlDataText(const WebGlScene& scene, const WebGlPageSettings& settings);
std::string webGlPageText();

} // namespace zx
