#include "app/ImageComposer.h"

#include "render/ProjectFrame.h"

#include <QPainter>

namespace zx {

namespace {
// Source-over of one straight-alpha pixel onto another.
uint32_t over(uint32_t dst, uint32_t src, uint32_t alpha) {
    if (alpha == 0) return dst;
    if (alpha >= 255) return (src & 0x00FFFFFFu) | 0xFF000000u;
    const uint32_t da = dst >> 24;
    const uint32_t outA = alpha + da * (255 - alpha) / 255;
    if (outA == 0) return 0;
    auto ch = [&](int shift) {
        const uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
        return (s * alpha + d * da * (255 - alpha) / 255) / outA;
    };
    return outA << 24 | ch(16) << 16 | ch(8) << 8 | ch(0);
}
} // namespace

RasterImage composeLayers(const ProjectImage& image, bool subject, bool background,
                          const LayerPictures& instead) {
    const int w = image.width(), h = image.height();
    RasterImage out(w, h, 0);
    const RasterImage* bg = !background          ? nullptr
                            : instead.background ? instead.background
                                                 : image.layerPicture(kBackgroundLayer);
    if (bg && !bg->isDescriptor()) {
        for (int y = 0; y < std::min(h, bg->height()); ++y)
            for (int x = 0; x < std::min(w, bg->width()); ++x) out.at(x, y) = bg->at(x, y);
    }
    const RasterImage* fg = !subject          ? nullptr
                            : instead.subject ? instead.subject
                                              : image.layerPicture(kSubjectLayer);
    if (fg && !fg->isDescriptor()) {
        const ImageLayer* maskLayer = image.layer(kMaskLayer);
        const RasterImage* mask =
            maskLayer && maskLayer->kind == LayerKind::Mask ? maskLayer->picture() : nullptr;
        if (mask && (mask->width() != fg->width() || mask->height() != fg->height()))
            mask = nullptr;
        for (int y = 0; y < std::min(h, fg->height()); ++y)
            for (int x = 0; x < std::min(w, fg->width()); ++x) {
                const uint32_t p = fg->at(x, y);
                uint32_t a = p >> 24;
                // The mask starts as the picture's own alpha; taking the smaller of
                // the two shows a cut-out once, not with its edge faded twice.
                if (mask) a = std::min(a, mask->at(x, y) & 0xFF);
                out.at(x, y) = over(out.at(x, y), p, a);
            }
    }
    return out;
}

const RasterImage& imageComposite(ProjectImage& image) {
    if (!image.composite || image.composite->width() != image.width() ||
        image.composite->height() != image.height())
        image.composite = composeLayers(image, true, true);
    return *image.composite;
}

QImage toQImage(const RasterImage& raster) {
    if (raster.empty() || raster.isDescriptor()) return {};
    QImage img(reinterpret_cast<const uchar*>(raster.pixels()), raster.width(), raster.height(),
               raster.width() * 4, QImage::Format_ARGB32);
    return img.copy();
}

QColor canvasQColor(CanvasColour colour) {
    switch (colour) {
    case CanvasColour::Black:
        return QColor(0, 0, 0);
    case CanvasColour::Blue:
        return QColor(0, 0, 0x80);
    case CanvasColour::Green:
        return QColor(0, 0x80, 0);
    case CanvasColour::White:
        return QColor(255, 255, 255);
    default:
        return QColor(0xB0, 0xB0, 0xC0);
    }
}

void paintCanvas(QPainter& painter, const QRect& rect, CanvasColour colour) {
    if (colour != CanvasColour::Grid) {
        painter.fillRect(rect, canvasQColor(colour));
        return;
    }
    static const QPixmap tile = [] {
        QPixmap t(16, 16);
        QPainter p(&t);
        p.fillRect(0, 0, 16, 16, QColor(0xFF, 0xFF, 0xFF));
        p.fillRect(0, 0, 8, 8, QColor(0xCC, 0xCC, 0xCC));
        p.fillRect(8, 8, 8, 8, QColor(0xCC, 0xCC, 0xCC));
        return t;
    }();
    painter.save();
    painter.setBrushOrigin(rect.topLeft());
    painter.fillRect(rect, QBrush(tile));
    painter.restore();
}

QRectF movieImageRect(const Project& project, int imageIndex, int frame, const QRect& target) {
    const ProjectImage* image = project.images.at(imageIndex);
    if (!image) return {};
    ProjectFrameRequest request;
    request.image = imageIndex;
    request.frame = std::clamp(frame, 0, std::max(1, image->duration()));
    request.view = FrameView::Movie;
    const Result<CameraFrame> record = projectCameraFrame(project, request);
    if (!record || record->width <= 0 || record->height <= 0) return {};
    // The frame at movie size, scaled to the target: the framing follows the shape.
    const FrameWindow window = frameWindow(*record, image->width(), image->height());
    const double kx = target.width() / double(record->width);
    const double ky = target.height() / double(record->height);
    const double left = window.outputX(0), top = window.outputY(0);
    const double right = window.outputX(image->width()), bottom = window.outputY(image->height());
    return QRectF(target.x() + kx * left, target.y() + ky * top, kx * (right - left),
                  ky * (bottom - top));
}

} // namespace zx
