#pragma once
// What the "Current Animation Properties" dialog edits, without the dialog: the list
// of the image's objects, the selected object's time curve with its "Reverse" and
// "Invert" flags and its joint parameters, and the scenery size shown in pixels,
// meters or feet. Changes go straight into the model; `cancel` puts back every
// object and the scenery size as they were at opening.

#include "anim/AnimObject.h"
#include "anim/TimeCurve.h"

#include <string>
#include <string_view>
#include <vector>

namespace zx {

class AnimationModel;

inline constexpr std::string_view kAnimationPropertiesLabel = "Animation Properties";
inline constexpr int kInteractionSliderMax = 100; // "Robot" … "Human" … "Teddy"
inline constexpr int kSkinFillSliderMax = 50;     // "Empty" … "Full"
inline constexpr float kDefaultPixelsPerMeter = 100;
inline constexpr double kMetersPerFoot = 0.3048;

enum class SizeUnit { Pixels, Meters, Feet };

struct ObjectRow {
    std::string object;    // slot + 1
    std::string triangles; // triangle count
    std::string type;      // AnimationModel::objectTypeText
};

class AnimationPropertiesModel {
public:
    explicit AnimationPropertiesModel(AnimationModel& model,
                                      float pixelsPerMeter = kDefaultPixelsPerMeter);

    std::vector<ObjectRow> rows() const;
    // The selected slot (−1 none). Selecting a row selects the object in the model.
    int selected() const;
    void select(int slot);

    // ---- the selected object -------------------------------------------------------
    bool jointControlsEnabled() const; // not for library objects and conductor boxes
    bool skinFillEnabled() const;      // ordinary flat objects only
    int interactionSlider() const;
    int skinFillSlider() const;
    void setInteractionSlider(int position);
    void setSkinFillSlider(int position);
    bool reverse() const;
    bool invert() const;
    void setReverse(bool on);
    void setInvert(bool on);
    TimeCurve curve() const;
    // The "Time Curve Editor"'s OK: points and kind stored, table resampled.
    void setCurve(const TimeCurve& curve);
    // "Apply to Region": bone network and vertex assignment rebuilt with the joint
    // parameters, rest pose recomputed.
    void applyToRegion();
    // The frame slider: 0 … the model's last frame index.
    void setFrame(int frame);

    // ---- scenery size ------------------------------------------------------------------
    SizeUnit unit() const { return unit_; }
    void setUnit(SizeUnit unit) { unit_ = unit; }
    float pixelsPerMeter() const { return pixelsPerMeter_; }
    double displayedWidth() const;
    double displayedHeight() const;
    // A typed width or height in the current unit. False (nothing changes) for a value
    // that is not a positive finite number, or a pixel size beyond an int.
    bool setDisplayedWidth(double value);
    bool setDisplayedHeight(double value);

    // ---- leaving -------------------------------------------------------------------------
    void cancel();

private:
    AnimObject* selectedObject();
    const AnimObject* selectedObject() const;
    // Rebuilds the selected object's table from its points, kind and flags.
    void resample();
    double perUnit() const; // pixels per displayed unit
    bool setDisplayed(double value, int32_t& pixels);

    AnimationModel& model_;
    float pixelsPerMeter_;
    SizeUnit unit_ = SizeUnit::Pixels;
    std::vector<AnimObject> backup_;
    int backupSelected_ = -1;
    int backupFrame_ = 0;
    int32_t backupWidth_ = 0, backupHeight_ = 0;
};

} // namespace zx
