#pragma once
// The shapes of the Shape Tools as coverage: a line, a rectangle or an ellipse of a
// given width, outlined or filled, with a soft edge for the smoothing choice.
//
// Pixel (x, y) is the unit square centred on (x, y). A rectangle or an ellipse fills
// the box of pixels between its two corners (both included); an outline lies inside
// that box, `width` pixels thick. A line is `width` pixels thick across, with round
// ends; an even width puts its centre on the pixel corners so that it stays exactly
// that thick. Every pixel whose centre lies in the shape has full weight; smoothing
// adds a fringe outside it whose weight falls to nothing over 1, 2 or 4 pixels.

#include "imaging/Coverage.h"
#include "imaging/PolygonFill.h"

namespace zx {

// "Draw a Line", "Draw a Rectangle", "Draw a Filled Rectangle", "Draw and Ellipse or a
// Circle", "Draw a filled Ellipse or Circle".
enum class ShapeKind : int {
    Line = 0,
    Rectangle = 1,
    FilledRectangle = 2,
    Ellipse = 3,
    FilledEllipse = 4
};

inline constexpr int kMinShapeWidth = 1;
inline constexpr int kMaxShapeWidth = 100;

struct ShapeOutline {
    ShapeKind kind = ShapeKind::Line;
    IntPoint start, end;  // the line's ends, or two opposite corners of the box
    int width = 1;        // kept within 1..100
    int featherIndex = 0; // "No", "1px", "2px", "4px"
};

// The pixels of the fringe for a feathering choice 0..3.
int shapeFeatherPixels(int featherIndex);

// The shape's coverage of a picture of the given size; nothing outside the picture.
Coverage rasteriseShape(const ShapeOutline& shape, int pictureWidth, int pictureHeight);

} // namespace zx
