#include "commands/TextTool.h"

#include "commands/PaintStroke.h"

namespace zx {

namespace {
constexpr std::string_view kTypePrompt = "Type the text to display";
constexpr std::string_view kPlacePrompt = "Click on image to place the text";
constexpr std::string_view kMovePrompt = "Drag the text to move it, APPLY to draw it";
} // namespace

void TextTool::setDrawing(RasterImage drawing) {
    drawing_ = std::move(drawing);
    if (drawing_.empty()) cancel();
}

std::optional<PixelRect> TextTool::box() const {
    if (!topLeft_ || drawing_.empty()) return std::nullopt;
    return PixelRect{topLeft_->x, topLeft_->y, topLeft_->x + drawing_.width(),
                     topLeft_->y + drawing_.height()};
}

bool TextTool::onBox(IntPoint at) const {
    const auto b = box();
    return b && at.x >= b->left && at.x < b->right && at.y >= b->top && at.y < b->bottom;
}

void TextTool::press(IntPoint at) {
    if (drawing_.empty()) return;
    if (!onBox(at)) topLeft_ = at;
    dragging_ = true;
    last_ = at;
}

void TextTool::move(IntPoint at) {
    if (!dragging_) return;
    topLeft_ = movedAlong(*topLeft_, last_, at);
    last_ = at;
}

void TextTool::release(IntPoint at) {
    move(at);
    dragging_ = false;
}

bool TextTool::apply(PaintColour colour, bool background) {
    const auto b = box();
    if (!b || dragging_ || !workspace_.currentImage()) return false;
    Project& project = workspace_.project();
    return paintDrawing(project, project.currentImage,
                        Coverage::fromAlpha(drawing_, b->left, b->top), colour, background,
                        PaintHistoryName::Text);
}

void TextTool::cancel() {
    topLeft_.reset();
    dragging_ = false;
}

std::string TextTool::prompt() const {
    if (drawing_.empty()) return std::string(kTypePrompt);
    return std::string(box() ? kMovePrompt : kPlacePrompt);
}

} // namespace zx
