#pragma once
// What the "Object Editor" dialog edits, without the dialog: the effects of one
// object with their start and end sliders, "Lock" and "Linear", the object's play
// speed, start frame and looping, and its material list. Every change goes straight
// into the object (so the views can show it at once); `cancel` puts back what the
// object held when the editor opened, `commit` tidies the effects for keeping.

#include "anim/AnimObject.h"
#include "anim/CurveEditor.h"
#include "anim/EffectTables.h"
#include "commands/LibraryObjects.h"
#include "platform/Status.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

class AnimationModel;

inline constexpr std::string_view kEditObjectLabel = "Edit Object";
inline constexpr std::string_view kMaterialsLostQuestion =
    "Changes to materials will be lost!\nContinue?";
inline constexpr std::string_view kColourRangeMessage = "Please enter a value between 0 and 255";
inline constexpr std::string_view kTransparencyRangeMessage =
    "Please enter a value between 0 (opaque) and 31 (fully transparent)";
inline constexpr std::string_view kHiddenMaterialSuffix = " (hidden)";

// One material of a library object: the colour word holds blue in bits 0–7, green
// 8–15, red 16–23 and the transparency 0 … 31 in bits 24–28.
struct ObjectMaterial {
    std::string name;
    bool shown = true;
    uint32_t colour = 0x00FFFFFF;
    int texture = 0;
    bool operator==(const ObjectMaterial&) const = default;
};

enum class ColourField { Red, Green, Blue, Transparency };

// The list text of a material: its name, and " (hidden)" when hidden.
std::string materialListText(const ObjectMaterial& material);
// Sets one field of a colour word. Refused with the range message when the value
// lies outside 0 … 255 (0 … 31 for the transparency); the word is then unchanged.
Status setColourField(uint32_t& colour, ColourField field, int value);
int colourField(uint32_t colour, ColourField field);

class ObjectEditorModel {
public:
    // Opens on the object in `slot`; `perspective` is the view's perspective switch,
    // `sceneDepth` the depth the position effects measure Z against (by default the
    // model's depth word, 19 of the record, which follows the start image's size).
    ObjectEditorModel(AnimationModel& model, int slot, bool perspective, int sceneDepth = -1);

    int slot() const { return slot_; }
    const AnimObject& object() const;
    const std::vector<EffectKind>& effects() const { return offered_; }

    // ---- the selected effect ---------------------------------------------------------
    EffectKind selected() const { return selected_; }
    void select(EffectKind kind);
    int startSlider() const;
    int endSlider() const;
    void setStartSlider(int position);
    void setEndSlider(int position);
    bool locked() const { return locked_; }
    void setLocked(bool on) { locked_ = on; }
    void setDefaultStart();
    void setDefaultEnd();
    // Typed values in display units (degrees for rotations). False when not finite.
    bool setStartDisplay(double shown);
    bool setEndDisplay(double shown);
    double startDisplay() const;
    double endDisplay() const;
    bool linear() const;
    void setLinear(bool on);
    void resetCurve();
    // "Value:": a curve point at the current frame (0 … last frame index).
    void setValueAtFrame(int frame, double shown);
    const ObjectEffect& selectedEffect() const { return effect(); }
    // Where a value of the selected effect stands on the curve graph (0 … 256).
    int graphPosition(double value) const;
    // The curve graph edits the selected effect's points the way the time-curve editor
    // edits a time curve: x 0 … 512, y the graph position 0 … 256. Points the edit
    // does not touch keep their exact values.
    void graphPress(int x, int y);
    void graphDrag(int x, int y);
    void graphRelease() { graphHeld_ = -1; }

    // ---- "Object Play Speed" -----------------------------------------------------------
    float speed() const;
    void setSpeedSlider(int position);
    void setSpeed(float speed); // clamped at −4 below
    bool loop() const;
    void setLoop(bool on);
    void fitAnimationTime();
    int ownFrameCount() const;
    void setStartFrame(int frame);

    // ---- materials -----------------------------------------------------------------------
    const std::vector<ObjectMaterial>& materials() const { return materials_; }
    // Material edits (they show at once on the object's triangles) not yet written to
    // the object's file.
    bool materialsChanged() const {
        return materials_ != savedMaterials_ || object().library != savedLibrary_;
    }
    void setShown(int material, bool shown);
    void setAllShown(bool shown);
    Status setColour(int material, ColourField field, int value);
    void renameMaterial(int material, std::string name);
    // "Flip Horiz", "Flip Vert": mirrors the material's texture; refused when it has
    // none.
    Status flipTexture(int material, bool horizontal);
    // "Replace...": `picture` in place of the material's texture.
    Status replaceTexture(int material, RasterImage picture);
    // "Save Object" (the file the object came from) and "Save Obj As...": writes the
    // object with its textures and material names; the edits are then saved.
    Result<std::string> saveObject(const std::filesystem::path& file,
                                   const SaveAnimationOptions& options);
    // The file the object was loaded from; empty for none.
    std::string libraryFile() const;

    // ---- leaving -------------------------------------------------------------------------
    // Tables that hold one value throughout become plain start values.
    void commit();
    // Effects, speed, loop flag, offset and materials as they were at opening.
    void cancel();

private:
    AnimObject& own();
    ObjectEffect& effect();
    const ObjectEffect& effect() const;
    double startValue() const;
    double endValue() const;
    void storeEnds(double start, double end);
    void editGraph(const std::function<void(CurveEditor&)>& edit);

    AnimationModel& model_;
    int slot_;
    EffectScales scales_;
    std::vector<EffectKind> offered_;
    EffectKind selected_ = EffectKind::HorizontalPosition;
    bool locked_ = false;
    int graphHeld_ = -1;
    // The backup taken at opening.
    std::array<ObjectEffect, kEffectCount> backupEffects_;
    float backupSpeed_ = 1;
    int32_t backupLoop_ = 0;
    float backupOffset_ = 0;
    std::vector<ObjectMaterial> materials_;
    std::vector<ObjectMaterial> backupMaterials_;
    std::shared_ptr<const LibraryObjectData> backupLibrary_; // textures at opening
    std::vector<MeshTriangle> backupTriangles_;              // their flags carry the materials
    // Writes the material's shown flag, transparency and colour (of solid faces) into
    // the flags of its triangles, which the views and the saved object show.
    void applyMaterial(int material);
    // What the object's file holds, for the question before material edits are lost.
    std::vector<ObjectMaterial> savedMaterials_;
    std::shared_ptr<const LibraryObjectData> savedLibrary_;
    // The object's own copy of its library data, made on the first edit of it.
    std::shared_ptr<LibraryObjectData> ownLibrary_;
    LibraryObjectData* ownLibrary();
    RasterImage* ownTexture(int material);
};

} // namespace zx
