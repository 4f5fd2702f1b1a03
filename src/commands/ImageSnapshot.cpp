#include "commands/ImageSnapshot.h"

#include "storage/Binary.h"
#include "storage/PackedImage.h"
#include "storage/RunLengthImage.h"

namespace zx {

namespace {
constexpr uint32_t kSnapshotMagic = 0x5A58494D; // "ZXIM"

void putString(ByteWriter& w, const std::string& s) {
    w.u32(uint32_t(s.size()));
    w.bytes(s.data(), s.size());
}

std::string getString(ByteReader& r) {
    const uint32_t n = r.u32();
    auto b = r.bytes(n);
    return std::string(b.begin(), b.end());
}

void putPicture(ByteWriter& w, const std::optional<RasterImage>& p, LayerKind kind) {
    if (!p || p->empty()) {
        w.u32(0);
        return;
    }
    if (kind == LayerKind::Mask) {
        const RunLengthImage coded = encodeRunLength(*p);
        w.u32(1);
        w.u32(uint32_t(coded.words.size()));
        for (uint32_t v : coded.words) w.u32(v);
        return;
    }
    auto coded = packImage(*p);
    if (!coded) { // a picture the block coder refuses travels raw
        w.u32(3);
        auto words = p->toWords();
        w.u32(uint32_t(words.size()));
        for (uint32_t v : words) w.u32(v);
        return;
    }
    w.u32(2);
    w.u32(uint32_t(coded->bytes.size()));
    w.bytes(coded->bytes);
}

std::optional<RasterImage> getPicture(ByteReader& r, bool& ok) {
    const uint32_t form = r.u32();
    if (form == 0) return std::nullopt;
    const uint32_t n = r.u32();
    if (form == 2) {
        auto b = r.bytes(n);
        auto img = unpackImage(b);
        if (!img) ok = false;
        return img;
    }
    if (!r.has(size_t(n) * 4)) {
        ok = false;
        return std::nullopt;
    }
    std::vector<uint32_t> words(n);
    for (auto& v : words) v = r.u32();
    auto img = form == 1 ? decodeRunLength(words) : RasterImage::fromWords(words);
    if (!img) ok = false;
    return img;
}
} // namespace

std::vector<uint8_t> snapshotImage(const ProjectImage& image) {
    ByteWriter w;
    w.u32(kSnapshotMagic);
    w.i32(image.width());
    w.i32(image.height());
    w.i32(image.width2);
    w.i32(image.height2);
    w.i32(image.duration());
    w.i32(image.currentFrame());
    w.i32(int32_t(image.canvasColour));
    w.u32(image.animation ? 1 : 0);
    if (image.animation) {
        w.u32(uint32_t(image.animation->size()));
        for (uint32_t v : *image.animation) w.u32(v);
    }
    w.u32(uint32_t(image.layerCount()));
    for (int i = 1; i < image.layerCount(); ++i) {
        const ImageLayer& l = *image.layer(i);
        w.i32(int32_t(l.kind));
        putString(w, l.name);
        w.i32(l.wordA);
        w.i32(l.opacity);
        w.i32(l.role);
        w.i32(l.offsetX);
        w.i32(l.offsetY);
        w.i32(l.placementFlag);
        putPicture(w, l.base, l.kind);
        putPicture(w, l.working, l.kind);
        w.u32(uint32_t(l.points.size()));
        for (int32_t p : l.points) w.i32(p);
    }
    return w.take();
}

std::unique_ptr<ProjectImage> restoreImage(std::span<const uint8_t> snapshot) {
    ByteReader r(snapshot);
    if (r.u32() != kSnapshotMagic) return nullptr;
    const int w = r.i32(), h = r.i32(), w2 = r.i32(), h2 = r.i32();
    const int duration = r.i32(), frame = r.i32();
    const auto canvas = CanvasColour(r.i32());
    auto image = std::make_unique<ProjectImage>(w, h, duration);
    image->width2 = w2;
    image->height2 = h2;
    image->canvasColour = canvas;
    if (r.u32()) {
        const uint32_t n = r.u32();
        if (!r.has(size_t(n) * 4)) return nullptr;
        std::vector<uint32_t> words(n);
        for (auto& v : words) v = r.u32();
        image->animation = std::move(words);
    }
    const uint32_t layers = r.u32();
    bool ok = r.ok();
    for (uint32_t i = 1; i < layers && ok && r.ok(); ++i) {
        ImageLayer l;
        l.kind = LayerKind(r.i32());
        l.name = getString(r);
        l.wordA = r.i32();
        l.opacity = r.i32();
        l.role = r.i32();
        l.offsetX = r.i32();
        l.offsetY = r.i32();
        l.placementFlag = r.i32();
        l.base = getPicture(r, ok);
        l.working = getPicture(r, ok);
        const uint32_t points = r.u32();
        if (!r.has(size_t(points) * 4)) return nullptr;
        for (uint32_t p = 0; p < points; ++p) l.points.push_back(r.i32());
        image->placeLayer(int(i), std::move(l));
    }
    if (!ok || !r.ok()) return nullptr;
    image->setSize(w, h);
    image->setCurrentFrame(frame);
    return image;
}

std::string copyName(const std::string& subjectName, int newImageCount) {
    std::string base = subjectName;
    const size_t at = base.find("[Copy_");
    if (at != std::string::npos) base.erase(at);
    return base + "[Copy_" + std::to_string(newImageCount) + "]";
}

} // namespace zx
