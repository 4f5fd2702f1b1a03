#pragma once
// The animation of one project image: up to 256 animated objects.

#include "anim/AnimObject.h"
#include "anim/RenderSettings.h"
#include "platform/Rng.h"
#include "storage/RasterImage.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

class Prompter;

inline constexpr int kMaxObjects = 256;
inline constexpr std::string_view kTooManyObjectsMessage =
    "Maximum number of regions/objects reached!!!";

class AnimationModel {
public:
    AnimationModel();

    int objectCount = 0;
    int selectedObject = -1;
    int lastFrameIndex = 0;
    int currentFrameIndex = 0;
    // The picture the objects were cut from (their texture source).
    RasterImage startImage = RasterImage(100, 100);
    int startWidth = 100, startHeight = 100;
    // Replaces the start image and the sizes that follow it (width, height and the
    // record's size word 19).
    void setStartImage(RasterImage image);

    // Header words of the animation record kept by the model (indexes as in the
    // record: 3 "Disable Bindings", 4–6, 10, 15, 16 dot-tool mode, 18).
    std::array<int32_t, 22> headerWords{};
    int32_t sceneryWidth = 0;
    int32_t sceneryHeight = 0;
    bool bindingsDisabled() const { return headerWords[3] != 0; }

    // Default of the per-object setting word (from the settings).
    int32_t defaultSettingWord = 0;

    // Deterministic jitter for the mesh code and the renderer.
    Rng rng;

    // Filled from the movie panel or the 3D preview before rendering.
    RenderSettings renderSettings;
    // The image's background picture, when it has one; drawn behind the objects
    // through the camera window.
    std::optional<RasterImage> background;

    AnimObject& object(int slot) { return objects_[slot]; }
    const AnimObject& object(int slot) const { return objects_[slot]; }

    // Sets the slot's defaults. keepGeometry keeps the three rectangles; keepIdentity on
    // a library object resets only the effects.
    void clearSlot(int slot, bool keepGeometry = false, bool keepIdentity = false);
    // Releases everything the slot owns, then clears it.
    void freeSlot(int slot);
    // Appends a cleared object; −1 (after kTooManyObjectsMessage) when 256 exist.
    int addObject(Prompter& prompter);
    // Removes a slot; later slots move down by one.
    void removeObject(int slot);
    void clearAll();

    // "Region", "3d Region", "User defined Region", "Conductor Box", or
    // "<name> [3d library object]".
    std::string objectTypeText(int slot) const;

private:
    std::array<AnimObject, kMaxObjects> objects_;
};

} // namespace zx
