#include "storage/ProjectImage.h"

#include "platform/Prompter.h"

#include <algorithm>

namespace zx {

ProjectImage::ProjectImage(int width, int height, int duration)
    : width2(width), height2(height), width_(width), height_(height) {
    setDuration(duration);
    // Entry 0 is the placeholder every image starts with; it never holds a picture.
    layers_.emplace_back();
}

void ProjectImage::setDuration(int frames) {
    duration_ = std::max(1, frames);
    currentFrame_ = std::clamp(currentFrame_, 0, duration_);
}

void ProjectImage::setCurrentFrame(int frame) {
    currentFrame_ = std::clamp(frame, 0, duration_);
}

const ImageLayer* ProjectImage::layer(int index) const {
    if (index < 0 || index >= layerCount()) return nullptr;
    return &layers_[size_t(index)];
}

ImageLayer* ProjectImage::editLayer(int index) {
    if (!validLayer(index)) return nullptr;
    ImageLayer& l = layers_[size_t(index)];
    l.markChanged();
    layersChanged();
    return &l;
}

void ProjectImage::markLayerChanged(int index) {
    if (index < 0 || index >= layerCount()) return;
    layers_[size_t(index)].markChanged();
    layersChanged();
}

const RasterImage* ProjectImage::layerPicture(int index) const {
    const ImageLayer* l = layer(index);
    return l ? l->picture() : nullptr;
}

void ProjectImage::layersChanged() {
    composite.reset();
    composite2.reset();
}

int ProjectImage::addPictureLayer(std::optional<RasterImage> picture, std::string name,
                                  int32_t wordA, int32_t opacity, int32_t role) {
    int index = layerCount();
    setPictureLayer(index, std::move(picture), std::move(name), wordA, opacity, role);
    return index;
}

int ProjectImage::addMaskLayer(std::optional<RasterImage> mask, int32_t wordA) {
    ImageLayer l;
    l.kind = LayerKind::Mask;
    l.name = kMaskLayerName;
    l.wordA = wordA;
    l.base = std::move(mask);
    int index = layerCount();
    placeLayer(index, std::move(l));
    return index;
}

int ProjectImage::addAnimationLayer(int32_t wordA) {
    ImageLayer l;
    l.kind = LayerKind::Animation;
    l.wordA = wordA;
    int index = layerCount();
    placeLayer(index, std::move(l));
    return index;
}

bool ProjectImage::setPictureLayer(int index, std::optional<RasterImage> picture, std::string name,
                                   int32_t wordA, int32_t opacity, int32_t role) {
    if (index < 1 || index > layerCount()) return false;
    ImageLayer l;
    l.kind = LayerKind::Picture;
    l.name = std::move(name);
    l.wordA = wordA;
    l.opacity = std::clamp(opacity, 0, 255);
    l.base = std::move(picture);
    placeLayer(index, std::move(l));
    setLayerRole(index, role);
    return true;
}

bool ProjectImage::placeLayer(int index, ImageLayer layer) {
    if (index < 1) return false;
    while (layerCount() < index) layers_.emplace_back();
    layer.markChanged();
    int32_t role = layer.role;
    layer.role = 0;
    if (index == layerCount()) {
        layers_.push_back(std::move(layer));
    } else {
        dropRoleIndexIfHeldBy(index);
        layers_[size_t(index)] = std::move(layer);
    }
    setLayerRole(index, role);
    layersChanged();
    return true;
}

bool ProjectImage::setLayerPicture(int index, std::optional<RasterImage> picture) {
    ImageLayer* l = validLayer(index) ? &layers_[size_t(index)] : nullptr;
    if (!l || l->kind == LayerKind::Animation) return false;
    l->base = std::move(picture);
    l->working.reset();
    markLayerChanged(index);
    return true;
}

bool ProjectImage::setLayerWorkingPicture(int index, std::optional<RasterImage> picture) {
    ImageLayer* l = validLayer(index) ? &layers_[size_t(index)] : nullptr;
    if (!l || l->kind == LayerKind::Animation) return false;
    l->working = std::move(picture);
    markLayerChanged(index);
    return true;
}

bool ProjectImage::setLayerOffset(int index, int32_t x, int32_t y) {
    ImageLayer* l = editLayer(index);
    if (!l) return false;
    l->offsetX = x;
    l->offsetY = y;
    return true;
}

bool ProjectImage::setLayerOpacity(int index, int32_t opacity) {
    ImageLayer* l = editLayer(index);
    if (!l) return false;
    l->opacity = std::clamp(opacity, 0, 255);
    return true;
}

bool ProjectImage::setLayerWordA(int index, int32_t wordA) {
    ImageLayer* l = editLayer(index);
    if (!l) return false;
    l->wordA = wordA;
    return true;
}

bool ProjectImage::setLayerPlacement(int index, int32_t flag) {
    ImageLayer* l = editLayer(index);
    if (!l) return false;
    l->placementFlag = flag;
    return true;
}

bool ProjectImage::setLayerName(int index, std::string name) {
    ImageLayer* l = editLayer(index);
    if (!l) return false;
    l->name = std::move(name);
    return true;
}

void ProjectImage::dropRoleIndexIfHeldBy(int index) {
    if (roleLayer_ == index) roleLayer_ = 0;
}

bool ProjectImage::setLayerRole(int index, int32_t role) {
    ImageLayer* l = editLayer(index);
    if (!l) return false;
    if (role == 3) {
        if (roleLayer_ != 0 && roleLayer_ != index && validLayer(roleLayer_)) {
            layers_[size_t(roleLayer_)].role = 0;
            layers_[size_t(roleLayer_)].markChanged();
        }
        roleLayer_ = index;
    } else {
        dropRoleIndexIfHeldBy(index);
    }
    l->role = role;
    return true;
}

std::pair<int, int> ProjectImage::layerExtent() const {
    int w = 0, h = 0;
    for (int i = 1; i < layerCount(); ++i) {
        const ImageLayer& l = layers_[size_t(i)];
        if (l.kind != LayerKind::Picture) continue;
        const RasterImage* p = l.picture();
        if (!p) continue;
        // Widen before adding: offsets come from the editing tools and may be large.
        long long lw = p->width(), lh = p->height();
        if (l.placementFlag == 0) {
            lw += l.offsetX;
            lh += l.offsetY;
        }
        w = int(std::clamp<long long>(std::max<long long>(w, lw), 0, 1 << 30));
        h = int(std::clamp<long long>(std::max<long long>(h, lh), 0, 1 << 30));
    }
    return {w, h};
}

bool ProjectImage::normaliseLayerSizes(Prompter& prompter) {
    auto [w, h] = layerExtent();
    if (w > kMaxImageSide || h > kMaxImageSide) {
        prompter.message(kImageTooLargeMessage);
        return false;
    }
    // An image without any picture keeps its size (a blank image stays 100 × 100).
    if (w <= 0 || h <= 0) return true;
    for (int i = 1; i < layerCount(); ++i) {
        ImageLayer& l = layers_[size_t(i)];
        if (l.kind == LayerKind::Animation) continue;
        bool changed = false;
        for (auto* pic : {&l.working, &l.base}) {
            if (!*pic || (*pic)->isDescriptor()) continue;
            if ((*pic)->width() == w && (*pic)->height() == h) continue;
            *pic = padImage(**pic, w, h);
            changed = true;
        }
        if (changed) l.markChanged();
    }
    width_ = w;
    height_ = h;
    layersChanged();
    return true;
}

void ProjectImage::setSize(int width, int height) {
    width_ = width;
    height_ = height;
    layersChanged();
}

} // namespace zx
