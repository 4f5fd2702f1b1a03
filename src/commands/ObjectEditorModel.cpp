#include "commands/ObjectEditorModel.h"

#include "imaging/ImageGeometry.h"

#include "anim/AnimationModel.h"
#include "anim/TimeCurve.h"

#include <algorithm>
#include <cmath>

namespace zx {

namespace {

constexpr float kMinSpeed = -4;
constexpr int kDepthWord = 19;

struct FieldLayout {
    int shift;
    int max;
};

FieldLayout layoutOf(ColourField field) {
    switch (field) {
    case ColourField::Red:
        return {16, 255};
    case ColourField::Green:
        return {8, 255};
    case ColourField::Blue:
        return {0, 255};
    case ColourField::Transparency:
        return {24, 31};
    }
    return {0, 255};
}

bool completeCurve(const ObjectEffect& effect) {
    return effect.points.size() >= 2 && effect.points.front().x == 0 &&
           effect.points.back().x == kCurveGrid;
}

} // namespace

std::string materialListText(const ObjectMaterial& material) {
    return material.shown ? material.name : material.name + std::string(kHiddenMaterialSuffix);
}

Status setColourField(uint32_t& colour, ColourField field, int value) {
    const FieldLayout f = layoutOf(field);
    if (value < 0 || value > f.max)
        return Status::refused(std::string(
            field == ColourField::Transparency ? kTransparencyRangeMessage : kColourRangeMessage));
    const uint32_t mask = uint32_t(f.max) << f.shift;
    colour = (colour & ~mask) | (uint32_t(value) << f.shift);
    return Status::ok();
}

int colourField(uint32_t colour, ColourField field) {
    const FieldLayout f = layoutOf(field);
    return int((colour >> f.shift) & uint32_t(f.max));
}

namespace {

// What a material's colour word sets on the flags of its triangles: the
// transparency step, the colour of solid faces, and hidden.
constexpr uint32_t kRgbBits = 0x00FFFFFFu;
constexpr int32_t kMaterialBits = TriangleFlag::Hidden | TriangleFlag::TransparencyMask;

// A material as its triangles show it (the first one tells; untouched: white, shown).
ObjectMaterial materialOf(const AnimObject& o, std::string name, int texture) {
    ObjectMaterial m{std::move(name), true, kRgbBits, texture};
    for (const MeshTriangle& t : o.triangles) {
        if (t.material != texture) continue;
        const uint32_t flags = uint32_t(t.flags);
        m.colour = (flags & uint32_t(TriangleFlag::TransparencyMask)) |
                   ((t.flags & TriangleFlag::SolidColour) ? flags & kRgbBits : kRgbBits);
        m.shown = t.flags >= 0;
        break;
    }
    return m;
}

} // namespace

ObjectEditorModel::ObjectEditorModel(AnimationModel& model, int slot, bool perspective,
                                     int sceneDepth)
    : model_(model), slot_(slot),
      scales_(effectScales(model.startWidth, model.startHeight,
                           sceneDepth < 0 ? model.headerWords[kDepthWord] : sceneDepth)) {
    const AnimObject& o = object();
    offered_ = offeredEffects(o, perspective);
    if (!offered_.empty()) selected_ = offered_.front();
    backupEffects_ = o.effects;
    backupSpeed_ = o.speed;
    backupLoop_ = o.loop;
    backupOffset_ = o.timeOffset;
    if (o.library) {
        for (size_t i = 0; i < o.library->materials.size(); ++i)
            materials_.push_back(materialOf(o, o.library->materials[i], int(i)));
    }
    backupTriangles_ = o.triangles;
    backupMaterials_ = savedMaterials_ = materials_;
    backupLibrary_ = savedLibrary_ = o.library;
}

const AnimObject& ObjectEditorModel::object() const {
    return model_.object(slot_);
}
AnimObject& ObjectEditorModel::own() {
    return model_.object(slot_);
}
ObjectEffect& ObjectEditorModel::effect() {
    return own().effects[size_t(kEffectSlotOfKind[size_t(selected_)])];
}
const ObjectEffect& ObjectEditorModel::effect() const {
    return object().effects[size_t(kEffectSlotOfKind[size_t(selected_)])];
}

void ObjectEditorModel::select(EffectKind kind) {
    if (std::find(offered_.begin(), offered_.end(), kind) == offered_.end()) return;
    selected_ = kind;
    graphHeld_ = -1;
}

double ObjectEditorModel::startValue() const {
    const ObjectEffect& e = effect();
    return completeCurve(e) ? e.points.front().y : e.startValue;
}

double ObjectEditorModel::endValue() const {
    const ObjectEffect& e = effect();
    if (completeCurve(e)) return e.points.back().y;
    return e.table.size() == size_t(kCurveTableSize) ? e.table.back() : e.startValue;
}

int ObjectEditorModel::startSlider() const {
    return sliderFromEffectValue(selected_, startValue(), scales_);
}
int ObjectEditorModel::endSlider() const {
    return sliderFromEffectValue(selected_, endValue(), scales_);
}

void ObjectEditorModel::storeEnds(double start, double end) {
    storeEffectEnds(effect(), float(start), float(end));
}

void ObjectEditorModel::setStartSlider(int position) {
    position = std::clamp(position, 0, kEffectSliderRange);
    const double v = effectValueFromSlider(selected_, position, scales_);
    storeEnds(v, locked_ ? v : endValue());
}

void ObjectEditorModel::setEndSlider(int position) {
    position = std::clamp(position, 0, kEffectSliderRange);
    const double v = effectValueFromSlider(selected_, position, scales_);
    storeEnds(locked_ ? v : startValue(), v);
}

void ObjectEditorModel::setDefaultStart() {
    setStartSlider(defaultEffectSlider(selected_));
}
void ObjectEditorModel::setDefaultEnd() {
    setEndSlider(defaultEffectSlider(selected_));
}

bool ObjectEditorModel::setStartDisplay(double shown) {
    if (!std::isfinite(shown)) return false;
    const double v = effectValueFromDisplay(selected_, shown);
    storeEnds(v, locked_ ? v : endValue());
    return true;
}

bool ObjectEditorModel::setEndDisplay(double shown) {
    if (!std::isfinite(shown)) return false;
    const double v = effectValueFromDisplay(selected_, shown);
    storeEnds(locked_ ? v : startValue(), v);
    return true;
}

double ObjectEditorModel::startDisplay() const {
    return effectDisplayValue(selected_, startValue());
}
double ObjectEditorModel::endDisplay() const {
    return effectDisplayValue(selected_, endValue());
}

bool ObjectEditorModel::linear() const {
    return effect().curveKind == 1;
}

void ObjectEditorModel::setLinear(bool on) {
    effect().curveKind = on ? 1 : 0;
    storeEnds(startValue(), endValue());
}

void ObjectEditorModel::resetCurve() {
    resetEffectCurve(effect());
}

void ObjectEditorModel::setValueAtFrame(int frame, double shown) {
    if (!std::isfinite(shown)) return;
    const int frames = std::max(1, model_.lastFrameIndex + 1);
    setEffectPoint(effect(), effectCurveX(std::clamp(frame, 0, frames - 1), frames),
                   float(effectValueFromDisplay(selected_, shown)));
}

int ObjectEditorModel::graphPosition(double value) const {
    return sliderFromEffectValue(selected_, value, scales_, kEffectGraphRange);
}

void ObjectEditorModel::editGraph(const std::function<void(CurveEditor&)>& edit) {
    if (!completeCurve(effect())) storeEnds(startValue(), endValue());
    ObjectEffect& e = effect();
    CurveEditor editor;
    for (const EffectPoint& p : e.points)
        editor.curve.points.push_back(packCurvePoint(p.x, graphPosition(p.y)));
    editor.held = graphHeld_;
    edit(editor);
    std::vector<EffectPoint> points;
    for (uint32_t packed : editor.curve.points) {
        const int x = curvePointX(packed), y = curvePointY(packed);
        const auto kept = std::find_if(e.points.begin(), e.points.end(), [&](const EffectPoint& p) {
            return p.x == x && graphPosition(p.y) == y;
        });
        points.push_back(
            {x, kept != e.points.end()
                    ? kept->y
                    : float(effectValueFromSlider(selected_, y, scales_, kEffectGraphRange))});
    }
    e.points = std::move(points);
    graphHeld_ = editor.held;
    storeEnds(e.points.front().y, e.points.back().y);
}

void ObjectEditorModel::graphPress(int x, int y) {
    editGraph([&](CurveEditor& editor) { editor.press(x, std::clamp(y, 0, kEffectGraphRange)); });
}

void ObjectEditorModel::graphDrag(int x, int y) {
    editGraph([&](CurveEditor& editor) { editor.drag(x, std::clamp(y, 0, kEffectGraphRange)); });
}

float ObjectEditorModel::speed() const {
    return object().speed;
}
void ObjectEditorModel::setSpeedSlider(int position) {
    own().speed = speedFromSlider(std::clamp(position, 0, kEffectSliderRange));
}
void ObjectEditorModel::setSpeed(float speed) {
    if (std::isfinite(speed)) own().speed = std::max(speed, kMinSpeed);
}
bool ObjectEditorModel::loop() const {
    return object().loop != 0;
}
void ObjectEditorModel::setLoop(bool on) {
    own().loop = on ? 1 : 0;
}
void ObjectEditorModel::fitAnimationTime() {
    own().speed = fitSpeed(object(), model_.lastFrameIndex);
}
int ObjectEditorModel::ownFrameCount() const {
    return object().ownLastFrame + 1;
}
void ObjectEditorModel::setStartFrame(int frame) {
    own().timeOffset = timeOffsetFromFrame(std::clamp(frame, 0, ownFrameCount()), ownFrameCount());
}

void ObjectEditorModel::applyMaterial(int material) {
    const ObjectMaterial& m = materials_[size_t(material)];
    for (MeshTriangle& t : own().triangles) {
        if (t.material != m.texture) continue;
        uint32_t flags = uint32_t(t.flags) & ~uint32_t(kMaterialBits);
        flags |= m.colour & uint32_t(TriangleFlag::TransparencyMask);
        if (t.flags & TriangleFlag::SolidColour)
            flags = (flags & ~kRgbBits) | (m.colour & kRgbBits);
        if (!m.shown) flags |= uint32_t(TriangleFlag::Hidden);
        t.flags = int32_t(flags);
    }
}

void ObjectEditorModel::setShown(int material, bool shown) {
    if (material < 0 || material >= int(materials_.size())) return;
    materials_[size_t(material)].shown = shown;
    applyMaterial(material);
}
void ObjectEditorModel::setAllShown(bool shown) {
    for (int m = 0; m < int(materials_.size()); ++m) setShown(m, shown);
}
Status ObjectEditorModel::setColour(int material, ColourField field, int value) {
    if (material < 0 || material >= int(materials_.size())) return Status::refused({});
    Status set = setColourField(materials_[size_t(material)].colour, field, value);
    if (set) applyMaterial(material);
    return set;
}
void ObjectEditorModel::renameMaterial(int material, std::string name) {
    if (material >= 0 && material < int(materials_.size()))
        materials_[size_t(material)].name = std::move(name);
}

LibraryObjectData* ObjectEditorModel::ownLibrary() {
    AnimObject& o = own();
    if (!o.library) return nullptr;
    if (o.library != ownLibrary_) { // the loaded data is shared with other objects
        ownLibrary_ = std::make_shared<LibraryObjectData>(*o.library);
        o.library = ownLibrary_;
    }
    return ownLibrary_.get();
}

RasterImage* ObjectEditorModel::ownTexture(int material) {
    const AnimObject& o = object();
    if (!o.library || material < 0 || material >= int(materials_.size())) return nullptr;
    const size_t t = size_t(materials_[size_t(material)].texture);
    if (t >= o.library->textures.size() || !o.library->textures[t] ||
        o.library->textures[t]->empty())
        return nullptr;
    return &*ownLibrary()->textures[t];
}

Status ObjectEditorModel::flipTexture(int material, bool horizontal) {
    RasterImage* texture = ownTexture(material);
    if (!texture) return Status::refused({});
    *texture = mirrorPicture(*texture, horizontal);
    return Status::ok();
}

Status ObjectEditorModel::replaceTexture(int material, RasterImage picture) {
    if (picture.empty()) return Status::refused({});
    RasterImage* texture = ownTexture(material);
    if (!texture) return Status::refused({});
    *texture = std::move(picture);
    return Status::ok();
}

std::string ObjectEditorModel::libraryFile() const {
    const AnimObject& o = object();
    return o.library ? o.library->path : std::string();
}

Result<std::string> ObjectEditorModel::saveObject(const std::filesystem::path& file,
                                                  const SaveAnimationOptions& options) {
    LibraryObjectData* lib = ownLibrary();
    if (!lib) return Status::refused({});
    for (const ObjectMaterial& m : materials_)
        if (m.texture >= 0 && size_t(m.texture) < lib->materials.size())
            lib->materials[size_t(m.texture)] = m.name;
    Result<std::string> saved = saveModelObjectAsLibrary(model_, slot_, file, options);
    if (!saved) return saved;
    savedMaterials_ = materials_;
    savedLibrary_ = object().library;
    return saved;
}

void ObjectEditorModel::commit() {
    commitConstantEffects(own());
    backupMaterials_ = materials_;
}

void ObjectEditorModel::cancel() {
    AnimObject& o = own();
    o.effects = backupEffects_;
    o.speed = backupSpeed_;
    o.loop = backupLoop_;
    o.timeOffset = backupOffset_;
    materials_ = backupMaterials_;
    o.library = backupLibrary_;
    o.triangles = backupTriangles_;
}

} // namespace zx
