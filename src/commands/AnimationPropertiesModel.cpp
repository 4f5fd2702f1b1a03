#include "commands/AnimationPropertiesModel.h"

#include "anim/AnimationModel.h"
#include "anim/BoneAssignment.h"
#include "anim/Deformation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zx {

namespace {

bool isConductorBox(const AnimObject& o) {
    return (o.kindFlags & ObjectKind::ConductorBox) != 0;
}

} // namespace

AnimationPropertiesModel::AnimationPropertiesModel(AnimationModel& model, float pixelsPerMeter)
    : model_(model), pixelsPerMeter_(pixelsPerMeter > 0 ? pixelsPerMeter : kDefaultPixelsPerMeter),
      backupSelected_(model.selectedObject), backupFrame_(model.currentFrameIndex),
      backupWidth_(model.sceneryWidth), backupHeight_(model.sceneryHeight) {
    for (int s = 0; s < model.objectCount; ++s) backup_.push_back(model.object(s));
    if (selected() < 0 && model.objectCount > 0) model_.selectedObject = 0;
}

std::vector<ObjectRow> AnimationPropertiesModel::rows() const {
    std::vector<ObjectRow> out;
    for (int s = 0; s < model_.objectCount; ++s)
        out.push_back({std::to_string(s + 1), std::to_string(model_.object(s).triangles.size()),
                       model_.objectTypeText(s)});
    return out;
}

int AnimationPropertiesModel::selected() const {
    const int s = model_.selectedObject;
    return s >= 0 && s < model_.objectCount ? s : -1;
}

void AnimationPropertiesModel::select(int slot) {
    if (slot >= 0 && slot < model_.objectCount) model_.selectedObject = slot;
}

AnimObject* AnimationPropertiesModel::selectedObject() {
    return selected() < 0 ? nullptr : &model_.object(selected());
}
const AnimObject* AnimationPropertiesModel::selectedObject() const {
    return selected() < 0 ? nullptr : &model_.object(selected());
}

bool AnimationPropertiesModel::jointControlsEnabled() const {
    const AnimObject* o = selectedObject();
    return o && !o->isLibrary() && !isConductorBox(*o);
}

bool AnimationPropertiesModel::skinFillEnabled() const {
    const AnimObject* o = selectedObject();
    return jointControlsEnabled() && !o->is3d();
}

int AnimationPropertiesModel::interactionSlider() const {
    const AnimObject* o = selectedObject();
    if (!o) return 0;
    return std::clamp(int(std::lround((o->jointInteraction - 1) * 200)), 0, kInteractionSliderMax);
}

int AnimationPropertiesModel::skinFillSlider() const {
    const AnimObject* o = selectedObject();
    if (!o) return 0;
    return std::clamp(int(std::lround(o->skinFill * 50)), 0, kSkinFillSliderMax);
}

void AnimationPropertiesModel::setInteractionSlider(int position) {
    AnimObject* o = selectedObject();
    if (!o || !jointControlsEnabled()) return;
    o->jointInteraction = 1 + 0.005f * float(std::clamp(position, 0, kInteractionSliderMax));
    resample();
}

void AnimationPropertiesModel::setSkinFillSlider(int position) {
    AnimObject* o = selectedObject();
    if (!o || !skinFillEnabled()) return;
    o->skinFill = 0.02f * float(std::clamp(position, 0, kSkinFillSliderMax));
    resample();
}

bool AnimationPropertiesModel::reverse() const {
    const AnimObject* o = selectedObject();
    return o && o->reverse;
}
bool AnimationPropertiesModel::invert() const {
    const AnimObject* o = selectedObject();
    return o && o->invert;
}

void AnimationPropertiesModel::setReverse(bool on) {
    if (AnimObject* o = selectedObject()) {
        o->reverse = on ? 1 : 0;
        resample();
    }
}

void AnimationPropertiesModel::setInvert(bool on) {
    if (AnimObject* o = selectedObject()) {
        o->invert = on ? 1 : 0;
        resample();
    }
}

TimeCurve AnimationPropertiesModel::curve() const {
    const AnimObject* o = selectedObject();
    return o ? TimeCurve{o->curveKind, o->curvePoints} : TimeCurve{};
}

void AnimationPropertiesModel::setCurve(const TimeCurve& curve) {
    AnimObject* o = selectedObject();
    if (!o) return;
    o->curveKind = curve.kind;
    o->curvePoints = curve.points;
    resample();
}

void AnimationPropertiesModel::applyToRegion() {
    if (!jointControlsEnabled()) return;
    rebuildBoneNetwork(*selectedObject());
    assignVerticesToBones(model_, selected());
    computeRestPose(model_, selected());
    resample();
}

void AnimationPropertiesModel::setFrame(int frame) {
    model_.currentFrameIndex = std::clamp(frame, 0, model_.lastFrameIndex);
}

void AnimationPropertiesModel::resample() {
    if (AnimObject* o = selectedObject()) resampleObjectCurve(*o);
}

double AnimationPropertiesModel::perUnit() const {
    switch (unit_) {
    case SizeUnit::Pixels:
        return 1;
    case SizeUnit::Meters:
        return pixelsPerMeter_;
    case SizeUnit::Feet:
        return pixelsPerMeter_ * kMetersPerFoot;
    }
    return 1;
}

double AnimationPropertiesModel::displayedWidth() const {
    return model_.sceneryWidth / perUnit();
}
double AnimationPropertiesModel::displayedHeight() const {
    return model_.sceneryHeight / perUnit();
}

bool AnimationPropertiesModel::setDisplayed(double value, int32_t& pixels) {
    if (!std::isfinite(value) || value <= 0) return false;
    if (unit_ == SizeUnit::Pixels) {
        if (value > double(std::numeric_limits<int32_t>::max())) return false;
        pixels = int32_t(std::lround(value));
        return true;
    }
    if (pixels <= 0) return false;
    // In meters and feet the pixel size stands; what is typed sets the scale.
    const double perMeter = pixels / value * (unit_ == SizeUnit::Feet ? 1 / kMetersPerFoot : 1);
    if (!std::isfinite(perMeter) || perMeter <= 0) return false;
    pixelsPerMeter_ = float(perMeter);
    return true;
}

bool AnimationPropertiesModel::setDisplayedWidth(double value) {
    return setDisplayed(value, model_.sceneryWidth);
}
bool AnimationPropertiesModel::setDisplayedHeight(double value) {
    return setDisplayed(value, model_.sceneryHeight);
}

void AnimationPropertiesModel::cancel() {
    for (int s = 0; s < int(backup_.size()) && s < model_.objectCount; ++s)
        model_.object(s) = backup_[size_t(s)];
    model_.selectedObject = backupSelected_;
    model_.currentFrameIndex = backupFrame_;
    model_.sceneryWidth = backupWidth_;
    model_.sceneryHeight = backupHeight_;
}

} // namespace zx
