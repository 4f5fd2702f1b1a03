#include "commands/ImageEditSelection.h"

#include "commands/SelectionHistory.h"
#include "imaging/SendMaskedSubjectToBackground.h"
#include "imaging/TraceOutline.h"

#include <algorithm>
#include <utility>

namespace zx {

namespace {

constexpr std::string_view kPasteSelectionName = "Paste Selection";

bool isLasso(SelectionTool tool) {
    return tool == SelectionTool::FreeHandLasso || tool == SelectionTool::LineLasso;
}

RasterImage* editablePicture(ProjectImage& image, int index) {
    if (!image.layerPicture(index)) return nullptr;
    ImageLayer* layer = image.editLayer(index);
    return layer->working ? &*layer->working : &*layer->base;
}

// A drag that stays beside the image would otherwise be clipped to a strip of its
// border; only a rectangle that meets the image selects anything.
bool dragMissesImage(const RasterImage& mask, IntPoint a, IntPoint b) {
    const bool extent = a.x != b.x && a.y != b.y;
    return extent && (std::max(a.x, b.x) < 0 || std::max(a.y, b.y) < 0 ||
                      std::min(a.x, b.x) >= mask.width() || std::min(a.y, b.y) >= mask.height());
}

std::vector<IntPoint> rectangleCorners(IntPoint a, IntPoint b) {
    return {a, {b.x, a.y}, b, {a.x, b.y}};
}

} // namespace

// ---- settings ----------------------------------------------------------------------

void ImageEditSelection::setTool(SelectionTool tool) {
    if (tool == settings_.tool) return;
    cancel();
    clearHighlight();
    settings_.tool = tool;
}

void ImageEditSelection::setTolerance(int tolerance) {
    settings_.tolerance = std::clamp(tolerance, kCleanerMinTolerance, kCleanerMaxTolerance);
    if (highlighted_) highlightAt(pointer_);
}

// ---- the image and its steps -------------------------------------------------------

ProjectImage* ImageEditSelection::image() const {
    return workspace_.hasSelectedImage() ? workspace_.currentImage() : nullptr;
}

const RasterImage* ImageEditSelection::mask() const {
    const ProjectImage* img = image();
    return img ? maskOf(*img) : nullptr;
}

bool ImageEditSelection::hasSelection() const {
    const RasterImage* m = mask();
    return m && std::ranges::any_of(m->pixelVector(), isSelectedWord);
}

std::optional<RasterImage> ImageEditSelection::copySelection() const {
    if (!hasSelection()) return std::nullopt;
    RasterImage copied = *mask();
    for (uint32_t& w : copied.pixelVector()) w &= MaskBit::Selected;
    return copied;
}

bool ImageEditSelection::pasteSelection(const RasterImage& copied) {
    return run([&](RasterImage& words, ProjectImage&) -> HistoryLabel {
        zx::deselect(words);
        for (int y = 0; y < std::min(words.height(), copied.height()); ++y)
            for (int x = 0; x < std::min(words.width(), copied.width()); ++x)
                words.at(x, y) |= copied.at(x, y) & MaskBit::Selected;
        traceOutline(words);
        return std::string(kPasteSelectionName);
    });
}

bool ImageEditSelection::recordStep(HistoryStep step) {
    Project& project = workspace_.project();
    step.kind = StepKind::ImageEdit;
    step.image = project.currentImage;
    step.backgroundSelected = workspace_.backgroundSelected();
    step.modeWord = project.imageEditWords[ImageEditWords::HistoryWord];
    if (const ProjectImage* img = image()) step.duration = img->duration();
    workspace_.record(std::move(step));
    return true;
}

bool ImageEditSelection::run(const Command& command) {
    clearHighlight();
    ProjectImage* img = image();
    RasterImage* words = img ? editableMask(*img) : nullptr;
    if (!words) return false;
    const RasterImage before = *words;
    const HistoryLabel label = command(*words, *img);
    words = editableMask(*img); // marks the layer changed after the edit as well
    if (!label || *words == before) {
        *words = before;
        return false;
    }
    HistoryStep step;
    step.label = *label;
    keepMaskChange(step, before, *img);
    return recordStep(std::move(step));
}

void ImageEditSelection::applyStep(const HistoryStep& step, bool undo) {
    cancel();
    clearHighlight();
    Project& project = workspace_.project();
    ProjectImage* img = project.images.at(History::targetImage(step, project.imageCount()));
    if (img) applySelectionStep(*img, step, undo);
}

// ---- the cleaner's highlight ------------------------------------------------------

// The highlight may sit on an image that is no longer the current one (the pointer
// stayed in the view while a key chose another image); it never outlives the image.
void ImageEditSelection::clearHighlight() {
    ProjectImage* img = std::exchange(highlighted_, nullptr);
    if (!img) return;
    for (auto& candidate : workspace_.project().images)
        if (&*candidate == img) {
            if (RasterImage* words = editableMask(*img)) clearCleanerHighlight(*words);
            return;
        }
}

void ImageEditSelection::highlightAt(IntPoint p) {
    clearHighlight();
    ProjectImage* img = image();
    RasterImage* words = img ? editableMask(*img) : nullptr;
    const RasterImage* subject = img ? img->layerPicture(kSubjectLayer) : nullptr;
    if (!words || !subject) return;
    if (highlightCleanerRegion(*words, *subject, p.x, p.y, settings_.tolerance,
                               settings_.smoothing) > 0)
        highlighted_ = img;
}

// ---- pointer ------------------------------------------------------------------------

void ImageEditSelection::press(const PointerInput& in) {
    pointer_ = in.at;
    shift_ = in.shift;
    if (stroke_ != Stroke::None) return;
    const RasterImage* m = mask();
    if (!m) return;
    pointerInside_ = inside(*m, in.at.x, in.at.y);
    if (settings_.tool == SelectionTool::MagicBackgroundCleaner) {
        run([&](RasterImage& words, ProjectImage& img) -> HistoryLabel {
            const RasterImage* subject = img.layerPicture(kSubjectLayer);
            if (!subject) return std::nullopt;
            clearCleanerHighlight(words); // marks a stored file may have kept
            return commandCleanerClick(words, *subject, settings_, in.at.x, in.at.y);
        });
        return;
    }
    if (settings_.tool == SelectionTool::LineLasso && lasso_.open()) {
        if (lasso_.click(in.at)) finishLasso(lasso_.corners(), strokeType_);
        return;
    }
    pressAt_ = in.at;
    if (pressMovesSelection(settings_, *m, in.at.x, in.at.y)) {
        stroke_ = Stroke::MoveSelection;
        return;
    }
    strokeType_ = isLasso(settings_.tool) ? effectiveLassoType(settings_.type, in.ctrl, in.shift)
                                          : settings_.type;
    if (settings_.tool == SelectionTool::LineLasso) {
        lasso_.click(in.at);
    } else if (settings_.tool == SelectionTool::FreeHandLasso) {
        freeHand_.assign(1, in.at);
        stroke_ = Stroke::FreeHand;
    } else {
        stroke_ = Stroke::Marquee;
    }
}

void ImageEditSelection::move(const PointerInput& in) {
    const bool moved = !(in.at == pointer_);
    pointer_ = in.at;
    shift_ = in.shift;
    const RasterImage* m = mask();
    pointerInside_ = m && inside(*m, in.at.x, in.at.y);
    if (stroke_ == Stroke::FreeHand && !(freeHand_.back() == in.at)) freeHand_.push_back(in.at);
    if (settings_.tool == SelectionTool::MagicBackgroundCleaner && moved) {
        if (pointerInside_)
            highlightAt(in.at);
        else
            clearHighlight();
    }
}

void ImageEditSelection::release(const PointerInput& in) {
    move(in);
    const Stroke stroke = stroke_;
    stroke_ = Stroke::None;
    switch (stroke) {
    case Stroke::Marquee:
        run([&](RasterImage& words, ProjectImage&) -> HistoryLabel {
            const IntPoint end = in.shift ? squareDrag(pressAt_, in.at) : in.at;
            if (dragMissesImage(words, pressAt_, end)) return std::nullopt;
            return commandMarquee(words, settings_, pressAt_, in.at, in.shift);
        });
        break;
    case Stroke::FreeHand:
        finishLasso(std::exchange(freeHand_, {}), strokeType_);
        break;
    case Stroke::MoveSelection:
        run([&](RasterImage& words, ProjectImage&) {
            return commandMoveSelection(words, settings_, in.at.x - pressAt_.x,
                                        in.at.y - pressAt_.y);
        });
        break;
    case Stroke::None:
        break;
    }
}

void ImageEditSelection::doubleClick(const PointerInput& in) {
    pointer_ = in.at;
    // The first click of the pair already placed the last corner.
    if (settings_.tool == SelectionTool::LineLasso && lasso_.corners().size() > 2)
        finishLasso(lasso_.corners(), strokeType_);
}

bool ImageEditSelection::finishLasso(const std::vector<IntPoint>& points, SelectionType type) {
    const std::vector<IntPoint> corners = points; // the lasso's own list is reset below
    lasso_.reset();
    return run([&](RasterImage& words, ProjectImage&) {
        return commandLasso(words, settings_, corners, type);
    });
}

void ImageEditSelection::leave() {
    pointerInside_ = false;
    clearHighlight();
}

void ImageEditSelection::cancel() {
    stroke_ = Stroke::None;
    freeHand_.clear();
    lasso_.reset();
}

// ---- commands ------------------------------------------------------------------------

bool ImageEditSelection::selectVisible() {
    return run([](RasterImage& words, ProjectImage& img) {
        return commandSelectVisible(words, img.layerPicture(kSubjectLayer));
    });
}

bool ImageEditSelection::selectAll() {
    return run([](RasterImage& words, ProjectImage&) { return commandSelectAll(words); });
}

bool ImageEditSelection::deselect() {
    return run([](RasterImage& words, ProjectImage&) { return commandDeselect(words); });
}

bool ImageEditSelection::selectInverse() {
    return run([](RasterImage& words, ProjectImage&) { return commandSelectInverse(words); });
}

bool ImageEditSelection::previousSelection() {
    const std::optional<RasterImage> previous =
        zx::previousSelection(workspace_.project().history, workspace_.project().currentImage);
    return run([&](RasterImage& words, ProjectImage&) {
        return commandPreviousSelection(words, previous ? &*previous : nullptr);
    });
}

bool ImageEditSelection::showInside() {
    return run(
        [&](RasterImage& words, ProjectImage&) { return commandShowInside(words, settings_); });
}

bool ImageEditSelection::showOutside() {
    return run(
        [&](RasterImage& words, ProjectImage&) { return commandShowOutside(words, settings_); });
}

bool ImageEditSelection::showAll() {
    return run([](RasterImage& words, ProjectImage&) { return commandShowAll(words); });
}

// Without a selection there is nothing to grow or shrink, and showing its inside
// would hide the whole subject.
bool ImageEditSelection::grow() {
    if (!hasSelection()) return false;
    return run([&](RasterImage& words, ProjectImage&) { return commandGrow(words, settings_); });
}

bool ImageEditSelection::shrink() {
    if (!hasSelection()) return false;
    return run([&](RasterImage& words, ProjectImage&) { return commandShrink(words, settings_); });
}

bool ImageEditSelection::setFeather(int featherIndex) {
    settings_.featherIndex = featherRadiusForIndex(featherIndex);
    return run([&](RasterImage& words, ProjectImage&) {
        return commandSetFeather(words, settings_, featherIndex);
    });
}

bool ImageEditSelection::sendToBackground() {
    clearHighlight();
    ProjectImage* img = image();
    RasterImage* background = img ? editablePicture(*img, kBackgroundLayer) : nullptr;
    const RasterImage* subject = img ? img->layerPicture(kSubjectLayer) : nullptr;
    const RasterImage* words = img ? maskOf(*img) : nullptr;
    if (!background || !subject || !words) return false;
    const RasterImage before = *background;
    const std::string beforeName = img->layer(kBackgroundLayer)->name;
    const HistoryLabel label = commandSendToBackground(*background, *subject, *words);
    if (!label) return false;
    img->setLayerName(kBackgroundLayer, backgroundNameFor(img->layer(kSubjectLayer)->name));
    HistoryStep step;
    step.label = *label;
    keepBackgroundChange(step, before, beforeName, *img);
    return recordStep(std::move(step));
}

// ---- what the view shows ------------------------------------------------------------

std::vector<IntPoint> ImageEditSelection::strokeOutline() const {
    switch (stroke_) {
    case Stroke::Marquee: {
        const IntPoint end = shift_ ? squareDrag(pressAt_, pointer_) : pointer_;
        return settings_.tool == SelectionTool::EllipticalMarquee ? ellipsePolygon(pressAt_, end)
                                                                  : rectangleCorners(pressAt_, end);
    }
    case Stroke::FreeHand:
        return freeHand_;
    default:
        break;
    }
    if (!lasso_.open()) return {};
    std::vector<IntPoint> band = lasso_.corners();
    band.push_back(pointer_); // the rubber band follows the pointer
    return band;
}

bool ImageEditSelection::strokeClosed() const {
    return stroke_ == Stroke::Marquee;
}

IntPoint ImageEditSelection::selectionOffset() const {
    if (stroke_ != Stroke::MoveSelection) return {};
    return {pointer_.x - pressAt_.x, pointer_.y - pressAt_.y};
}

std::string ImageEditSelection::prompt() const {
    if (stroke_ == Stroke::MoveSelection) {
        const IntPoint d = selectionOffset();
        return moveSelectionStatus(d.x, d.y);
    }
    const RasterImage* m = mask();
    if (stroke_ == Stroke::None && !lasso_.open() && m &&
        pressMovesSelection(settings_, *m, pointer_.x, pointer_.y))
        return std::string(kMoveSelectionPrompt);
    return std::string(selectionToolPrompt(settings_.tool));
}

std::string ImageEditSelection::positionText() const {
    return pointerInside_ ? cursorPositionStatus(pointer_.x, pointer_.y) : std::string();
}

} // namespace zx
