#pragma once
// A pasted picture floating over the image until it is merged or dropped. Its place
// is a quadrilateral: the picture's four corners in image pixels, clockwise from its
// top-left. Handles change it: the inside moves it, the side handles resize it in one
// direction, the area just outside a corner turns it about the rotation centre (a
// handle of its own), and the corners either resize it in proportion ("Resize &&
// Rotate") or move alone ("Distort && Rotate"). The quadrilateral stays convex;
// a drag that would fold it is ignored.
//
// Merging resamples the picture into the quadrilateral by the projective map of the
// unit square onto it (Heckbert's square-to-quad mapping, inverted per pixel) with
// bilinear filtering on premultiplied colours, transparent beyond its edge; a placement
// at whole pixels without turn or resize copies the pixels as they are.

#include "storage/RasterImage.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace zx {

struct FloatPoint {
    double x = 0, y = 0;
    bool operator==(const FloatPoint&) const = default;
};

enum class FloatingHandle { None, Inside, Corner, Side, Centre, Rotate };
enum class FloatingShape { ResizeRotate, Distort };

// The warped picture and where its top-left pixel lands on the image.
struct PlacedPicture {
    RasterImage picture;
    int left = 0, top = 0;
};

class FloatingPicture {
public:
    using Quad = std::array<FloatPoint, 4>;

    // Centred on an image of the given size; a picture larger than the image is
    // reduced in proportion to fit it (`reduced()` says so).
    FloatingPicture(RasterImage picture, std::string name, int imageWidth, int imageHeight);

    const RasterImage& picture() const { return picture_; }
    const std::string& name() const { return name_; }
    const Quad& quad() const { return quad_; }
    FloatPoint rotationCentre() const { return centre_; }
    FloatingShape shape() const { return shape_; }
    bool reduced() const { return reduced_; }
    bool dragging() const { return drag_.handle != FloatingHandle::None; }

    // "Resize && Rotate" or "Distort && Rotate".
    void setShape(FloatingShape shape) { shape_ = shape; }
    // "Reset Position": back to where the paste put it.
    void resetPosition();
    // The arrow keys: a whole quadrilateral moved by (dx, dy) pixels.
    void nudge(double dx, double dy);

    // What lies at (x, y) with handles `reach` pixels wide (depends on the zoom), and
    // the status text naming it (empty inside or away from it).
    FloatingHandle handleAt(double x, double y, double reach) const;
    std::string_view prompt(double x, double y, double reach) const;
    // The handle points: four corners, four side midpoints, the rotation centre.
    std::array<FloatPoint, 9> handles() const;

    // A drag; press returns false when (x, y) is on nothing.
    bool press(double x, double y, double reach);
    void move(double x, double y);
    void release() { drag_.handle = FloatingHandle::None; }

    // The picture resampled into its quadrilateral, cut to the image's area.
    PlacedPicture placed() const;

private:
    struct Drag {
        FloatingHandle handle = FloatingHandle::None;
        int index = 0; // corner or side
        FloatPoint from;
        Quad quad;
        FloatPoint centre;
    };
    void dragCorner(FloatPoint to);
    void dragSide(FloatPoint to);
    void rotate(FloatPoint to);
    // Takes the quadrilateral when it is convex and at least a pixel across.
    void accept(const Quad& q);

    RasterImage picture_;
    std::string name_;
    int imageWidth_, imageHeight_;
    Quad home_;
    Quad quad_;
    FloatPoint centre_;
    FloatingShape shape_ = FloatingShape::ResizeRotate;
    bool reduced_ = false;
    Drag drag_;
};

} // namespace zx
