#pragma once
// Pictures of project images for the screen: the background under the subject,
// the subject shown through its mask, and the canvas colour behind both.

#include "app/AppLayer.h"

#include "storage/CanvasColour.h"
#include "storage/Project.h"
#include "storage/ProjectImage.h"

#include <QColor>
#include <QImage>
#include <QRectF>

class QPainter;

namespace zx {

// The composite of an image (layers 1 and 2, the subject through the mask),
// cached in the image until a layer changes.
const RasterImage& imageComposite(ProjectImage& image);
// Pictures drawn in place of the image's own (an adjustment's preview).
struct LayerPictures {
    const RasterImage* subject = nullptr;
    const RasterImage* background = nullptr;
};

// The same with the subject or the background left out.
RasterImage composeLayers(const ProjectImage& image, bool subject, bool background,
                          const LayerPictures& instead = {});

// A QImage sharing nothing with the raster (a deep copy).
QImage toQImage(const RasterImage& raster);

// The flat colour of a canvas (the grid's mid grey for Grid).
QColor canvasQColor(CanvasColour colour);
// Fills `rect` with the canvas: a chessboard for Grid, else the flat colour.
void paintCanvas(QPainter& painter, const QRect& rect, CanvasColour colour);

// Where Movie mode draws frame `frame` of image `imageIndex` when the movie frame is
// shown at `target`: framed as the rendered movie frame is, the whole image fitted
// into the frame, then moved and zoomed by that frame's camera. Empty when the
// project has no such image.
QRectF movieImageRect(const Project& project, int imageIndex, int frame, const QRect& target);

} // namespace zx
