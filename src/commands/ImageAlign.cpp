#include "commands/ImageAlign.h"

#include "commands/GeometryCommands.h"
#include "commands/Workspace.h"
#include "imaging/BlockMatch.h"
#include "imaging/MaskLayer.h"
#include "storage/ProjectImage.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zx {

namespace {

// Uncovered parts of a mask layer show the subject and select nothing.
constexpr uint32_t kUncoveredMaskWord = MaskBit::Value;
constexpr double kScaleStep = 0.001;
constexpr double kDegreeStep = 0.1;
constexpr double kMinScale = 0.05, kMaxScale = 20;
// A move further than the largest image leaves nothing to see.
constexpr int kMaxShift = kMaxImageSide * kEighths;
// A scale or turn drag needs the pointer this far from the centre.
constexpr double kMinLever = 1;

struct ToolName {
    AlignTool tool;
    std::string_view name;
};
constexpr std::array<ToolName, 3> kToolNames = {
    {{AlignTool::Shift, "Shift"}, {AlignTool::Scale, "Scale"}, {AlignTool::Rotate, "Rotate"}}};

double toRadians(double degrees) {
    return degrees * std::numbers::pi / 180;
}

double toDegrees(double radians) {
    return radians * 180 / std::numbers::pi;
}

int toEighths(double pixels) {
    return int(std::lround(pixels * kEighths));
}

Status refuse(Prompter& prompter, std::string_view message) {
    prompter.message(message);
    return Status::refused(std::string(message));
}

PointF boxCentre(const AlignBox& b) {
    return {b.x + 0.5, b.y + 0.5};
}

} // namespace

std::string_view alignToolName(AlignTool tool) {
    for (const ToolName& t : kToolNames)
        if (t.tool == tool) return t.name;
    return {};
}

std::optional<AlignTool> alignToolFromName(std::string_view name) {
    for (const ToolName& t : kToolNames)
        if (t.name == name) return t.tool;
    return std::nullopt;
}

PixelMap AlignTransform::map(int width, int height) const {
    Similarity s;
    s.scale = scale;
    s.angle = toRadians(degrees);
    s.centre = {width / 2.0, height / 2.0};
    s.shift = {double(shiftX) / kEighths, double(shiftY) / kEighths};
    return s.map();
}

ImageAlign::ImageAlign(Workspace& workspace) : workspace_(workspace) {}

ProjectImage* ImageAlign::image() const {
    Project& p = workspace_.project();
    return p.images.at(p.currentImage);
}

const RasterImage* ImageAlign::picture(int index) const {
    const ProjectImage* img = workspace_.project().images.at(index);
    const RasterImage* p = img ? img->layerPicture(kSubjectLayer) : nullptr;
    return p && !p->isDescriptor() && !p->empty() ? p : nullptr;
}

void ImageAlign::notify() {
    if (changed) changed();
}

void ImageAlign::drop() {
    transform_ = {};
    boxes_.reset();
    drag_.reset();
    notify();
}

bool ImageAlign::canLeave(Prompter& prompter) {
    if (!pending()) return true;
    switch (prompter.ask(kApplyTransformQuestion, Buttons::YesNoCancel)) {
    case Answer::Yes:
        return apply().isOk();
    case Answer::No:
        reset();
        return true;
    default:
        return false;
    }
}

void ImageAlign::leave() {
    drop();
}

// ---- the wizard -------------------------------------------------------------------------

Status ImageAlign::openWizard() {
    const ProjectImage* img = image();
    if (!img || !picture(workspace_.project().currentImage)) return Status::refused({});
    const int w = img->width(), h = img->height();
    if (w < kAlignMinSide || h < kAlignMinSide)
        return refuse(workspace_.prompter(), kAlignTooSmallMessage);
    boxes_ = {{{kAlignBoxInset, kAlignBoxInset}, {w - kAlignBoxInset, h - kAlignBoxInset}}};
    notify();
    return Status::ok();
}

void ImageAlign::closeWizard() {
    boxes_.reset();
    drag_.reset();
    notify();
}

int ImageAlign::referenceImage() const {
    const Project& p = workspace_.project();
    const int i = p.currentImage;
    if (!p.images.valid(i) || p.imageCount() < 2) return -1;
    return i > 0 ? i - 1 : 1;
}

Status ImageAlign::align() {
    if (!boxes_) return Status::refused({});
    Prompter& prompter = workspace_.prompter();
    const RasterImage* own = picture(workspace_.project().currentImage);
    const int ref = referenceImage();
    const RasterImage* reference = ref >= 0 ? picture(ref) : nullptr;
    if (!own || !reference) return refuse(prompter, kAlignNoReferenceMessage);
    const BlockSearch search{kAlignBoxHalf, kAlignSearchRadius};
    std::array<PointF, 2> found;
    for (size_t i = 0; i < 2; ++i) {
        const AlignBox& b = (*boxes_)[i];
        const auto m = matchBlock(*own, b.x, b.y, *reference, search);
        if (!m) return refuse(prompter, kAlignNoMatchMessage);
        found[i] = {double(toEighths(m->x)) / kEighths, double(toEighths(m->y)) / kEighths};
    }
    const ProjectImage& img = *image();
    const auto s =
        similarityFromPairs(boxCentre((*boxes_)[0]), boxCentre((*boxes_)[1]), found[0], found[1],
                            {img.width() / 2.0, img.height() / 2.0}, kAlignMinDistance);
    if (!s) return refuse(prompter, kAlignBoxesTooCloseMessage);
    setTransform({toEighths(s->shift.x), toEighths(s->shift.y), s->scale, toDegrees(s->angle)});
    return Status::ok();
}

// ---- the transform ------------------------------------------------------------------------

void ImageAlign::setTransform(const AlignTransform& t) {
    transform_ = t;
    transform_.scale = std::clamp(t.scale, kMinScale, kMaxScale);
    transform_.shiftX = std::clamp(t.shiftX, -kMaxShift, kMaxShift);
    transform_.shiftY = std::clamp(t.shiftY, -kMaxShift, kMaxShift);
    transform_.degrees = std::remainder(t.degrees, 360.0);
    notify();
}

PixelMap ImageAlign::pictureMap() const {
    const ProjectImage* img = image();
    return img ? transform_.map(img->width(), img->height()) : PixelMap{};
}

Status ImageAlign::apply() {
    ProjectImage* img = image();
    if (!img || !pending()) return Status::refused({});
    const int w = img->width(), h = img->height();
    const PixelMap map = pictureMap();
    const GeometryChange change{kAlignStepLabel,
                                w,
                                h,
                                map,
                                [=](const RasterImage& p, bool mask) {
                                    return transformPicture(p, map, w, h, mask,
                                                            mask ? kUncoveredMaskWord : 0);
                                },
                                StepKind::ImageAlign};
    Workspace& ws = workspace_;
    const Status s = applyGeometry(ws.project(), ws.project().currentImage, change, ws.prompter());
    if (!s) return s;
    transform_ = {};
    for (const auto& hook : {ws.hooks.historyChanged, ws.hooks.timelineChanged,
                             ws.hooks.movieFramesChanged, ws.hooks.viewsChanged})
        if (hook) hook();
    notify();
    return s;
}

void ImageAlign::reset() {
    transform_ = {};
    notify();
}

void ImageAlign::nudge(int dx, int dy) {
    AlignTransform t = transform_;
    switch (tool_) {
    case AlignTool::Shift:
        t.shiftX += dx, t.shiftY += dy;
        break;
    case AlignTool::Scale:
        t.scale += (dx - dy) * kScaleStep;
        break;
    case AlignTool::Rotate:
        t.degrees += (dx - dy) * kDegreeStep;
        break;
    }
    setTransform(t);
}

bool ImageAlign::keyPress(EditorKey key) {
    if (key == EditorKey::Enter) return apply().isOk();
    if (key != EditorKey::Escape) return false;
    reset();
    return true;
}

// ---- the pointer --------------------------------------------------------------------------

AlignBox ImageAlign::clampedBox(double x, double y) const {
    const ProjectImage* img = image();
    const int w = img ? img->width() : 0, h = img ? img->height() : 0;
    return {std::clamp(int(std::floor(x)), kAlignBoxHalf,
                       std::max(kAlignBoxHalf, w - 1 - kAlignBoxHalf)),
            std::clamp(int(std::floor(y)), kAlignBoxHalf,
                       std::max(kAlignBoxHalf, h - 1 - kAlignBoxHalf))};
}

int ImageAlign::boxAt(double x, double y) const {
    if (!boxes_) return -1;
    const PixelMap back = inverseMap(pictureMap());
    const double px = back.mapX(x, y), py = back.mapY(x, y);
    for (int i = 1; i >= 0; --i) { // the second box is drawn on top
        const PointF c = boxCentre((*boxes_)[size_t(i)]);
        if (std::abs(px - c.x) <= kAlignBoxHalf + 1 && std::abs(py - c.y) <= kAlignBoxHalf + 1)
            return i;
    }
    return -1;
}

void ImageAlign::pointerPress(const PointerEvent& e) {
    if (!image()) return;
    Drag d;
    d.box = boxAt(e.x, e.y);
    d.start = {e.x, e.y};
    d.before = transform_;
    if (d.box >= 0) {
        const PixelMap back = inverseMap(pictureMap());
        const PointF c = boxCentre((*boxes_)[size_t(d.box)]);
        d.grab = {back.mapX(e.x, e.y) - c.x, back.mapY(e.x, e.y) - c.y};
    }
    drag_ = d;
}

void ImageAlign::pointerMove(const PointerEvent& e) {
    if (!drag_) return;
    if (drag_->box >= 0)
        dragBox(*drag_, {e.x, e.y});
    else
        dragTool(*drag_, {e.x, e.y});
}

void ImageAlign::pointerRelease(const PointerEvent& e) {
    pointerMove(e);
    drag_.reset();
}

void ImageAlign::dragBox(const Drag& d, PointF at) {
    if (!boxes_) return;
    const PixelMap back = inverseMap(pictureMap());
    const double x = back.mapX(at.x, at.y) - d.grab.x, y = back.mapY(at.x, at.y) - d.grab.y;
    (*boxes_)[size_t(d.box)] = clampedBox(x, y);
    notify();
}

void ImageAlign::dragTool(const Drag& d, PointF at) {
    const ProjectImage* img = image();
    if (!img) return;
    AlignTransform t = d.before;
    // The image's centre as it is shown: scaling and turning keep it in place.
    const PointF c{img->width() / 2.0 + d.before.shiftX / double(kEighths),
                   img->height() / 2.0 + d.before.shiftY / double(kEighths)};
    const double from = std::hypot(d.start.x - c.x, d.start.y - c.y);
    const double to = std::hypot(at.x - c.x, at.y - c.y);
    switch (tool_) {
    case AlignTool::Shift:
        t.shiftX += toEighths(at.x - d.start.x), t.shiftY += toEighths(at.y - d.start.y);
        break;
    case AlignTool::Scale:
        if (from < kMinLever) return;
        t.scale *= to / from;
        break;
    case AlignTool::Rotate:
        if (from < kMinLever || to < kMinLever) return;
        t.degrees += toDegrees(std::atan2(at.y - c.y, at.x - c.x) -
                               std::atan2(d.start.y - c.y, d.start.x - c.x));
        break;
    }
    setTransform(t);
}

} // namespace zx
