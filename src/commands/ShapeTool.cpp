#include "commands/ShapeTool.h"

#include "commands/PaintStroke.h"

#include <cmath>
#include <cstdlib>

namespace zx {

namespace {

// How near a handle (in image pixels, each way) a press takes it.
constexpr int kHandleReach = 4;

constexpr std::string_view kCreatePrompt = "Click and drag to create shape";

std::string pointText(IntPoint p) {
    return std::to_string(p.x) + "," + std::to_string(p.y);
}

double distanceToSegment(IntPoint a, IntPoint b, IntPoint p) {
    const double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
    const double t =
        length2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0) : 0;
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

} // namespace

std::string_view shapeKindName(ShapeKind kind) {
    switch (kind) {
    case ShapeKind::Line:
        return "Line";
    case ShapeKind::Rectangle:
        return "Rectangle";
    case ShapeKind::FilledRectangle:
        return "Filled Rectangle";
    case ShapeKind::Ellipse:
        return "Ellipse";
    case ShapeKind::FilledEllipse:
        return "Filled Ellipse";
    }
    return {};
}

std::optional<ShapeOutline> ShapeTool::shape() const {
    if (!hasShape_) return std::nullopt;
    return ShapeOutline{settings_.kind, start_, end_, settings_.width, settings_.featherIndex};
}

// The line's ends; a box's corners in the order start, end, and the two across.
std::vector<IntPoint> ShapeTool::handles() const {
    if (!hasShape_) return {};
    if (settings_.kind == ShapeKind::Line) return {start_, end_};
    return {start_, end_, {start_.x, end_.y}, {end_.x, start_.y}};
}

bool ShapeTool::hitsBody(IntPoint at) const {
    if (settings_.kind == ShapeKind::Line)
        return distanceToSegment(start_, end_, at) <= std::max(kHandleReach, settings_.width / 2);
    return at.x >= std::min(start_.x, end_.x) && at.x <= std::max(start_.x, end_.x) &&
           at.y >= std::min(start_.y, end_.y) && at.y <= std::max(start_.y, end_.y);
}

void ShapeTool::press(IntPoint at) {
    last_ = at;
    const std::vector<IntPoint> grips = handles();
    for (std::size_t i = 0; i < grips.size(); ++i)
        if (std::abs(grips[i].x - at.x) <= kHandleReach &&
            std::abs(grips[i].y - at.y) <= kHandleReach) {
            grip_ = Grip::Handle;
            handle_ = int(i);
            return;
        }
    if (hasShape_ && hitsBody(at)) {
        grip_ = Grip::Body;
        return;
    }
    hasShape_ = true;
    start_ = end_ = at;
    grip_ = Grip::Create;
}

void ShapeTool::move(IntPoint at) {
    switch (grip_) {
    case Grip::None:
        return;
    case Grip::Create:
        end_ = at;
        break;
    case Grip::Handle:
        dragHandle(at);
        break;
    case Grip::Body:
        start_ = movedAlong(start_, last_, at);
        end_ = movedAlong(end_, last_, at);
        break;
    }
    last_ = at;
}

// The handle follows the pointer from where it was taken, not to the pointer itself.
void ShapeTool::dragHandle(IntPoint at) {
    const IntPoint start = movedAlong(start_, last_, at), end = movedAlong(end_, last_, at);
    switch (handle_) {
    case 0:
        start_ = start;
        break;
    case 1:
        end_ = end;
        break;
    case 2: // start's column, end's row
        start_.x = start.x, end_.y = end.y;
        break;
    default: // end's column, start's row
        end_.x = end.x, start_.y = start.y;
        break;
    }
}

void ShapeTool::release(IntPoint at) {
    move(at);
    grip_ = Grip::None;
}

bool ShapeTool::apply(bool background) {
    const ProjectImage* image = workspace_.currentImage();
    const RasterImage* picture =
        image ? image->layerPicture(background ? kBackgroundLayer : kSubjectLayer) : nullptr;
    if (!hasShape_ || dragging() || !picture) return false;
    const Coverage drawing = rasteriseShape(*shape(), picture->width(), picture->height());
    Project& project = workspace_.project();
    if (!paintDrawing(project, project.currentImage, drawing, settings_.colour, background,
                      PaintHistoryName::Shape))
        return false;
    hasShape_ = false;
    return true;
}

void ShapeTool::cancel() {
    hasShape_ = false;
    grip_ = Grip::None;
}

std::string ShapeTool::prompt() const {
    if (!hasShape_) return std::string(kCreatePrompt);
    if (settings_.kind == ShapeKind::Line)
        return "Start=" + pointText(start_) + " end=" + pointText(end_);
    const IntPoint topLeft{std::min(start_.x, end_.x), std::min(start_.y, end_.y)};
    const IntPoint bottomRight{std::max(start_.x, end_.x), std::max(start_.y, end_.y)};
    return "TopL=(" + pointText(topLeft) + ") BottomR=(" + pointText(bottomRight) + ")";
}

} // namespace zx
