#pragma once
// The texture atlas of a WebGL page: one picture holding the background (when it is
// shown, cut to the image's size), the image's start picture and every library
// texture the exported objects are drawn with, in that order.
//
// Packing is by shelves: pictures go left to right in their order, a new shelf starts
// below the tallest of the one before when the next picture would pass the shelf
// width, which is the square root of the pictures' total area (or the widest
// picture). Every picture that vertices sample gets a one-texel gutter right of and
// below it, holding a copy of its last column and row, so that a texture coordinate
// on its far edge never reads the neighbour's texels; the atlas ends at the last
// picture, without a gutter. A scene without library textures keeps the plain
// layout: the picture alone, or the background above the picture.
//
// Texture coordinates place each vertex's texel of its own picture by that picture's
// corner in the atlas. The page's player needs two things the data file does not
// say, the image's size and the background's place; the atlas's PNG says them in a
// text chunk with the keyword "zxatlas":
//   {"picture":[width,height],"background":[x,y]}
// ("background" only when it is in the atlas; its cell has the picture's size).

#include "anim/AnimationModel.h"
#include "platform/Status.h"
#include "storage/RasterImage.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zx {

inline constexpr const char* kWebGlAtlasKeyword = "zxatlas";

// A picture's top-left corner in the atlas.
struct AtlasCorner {
    int x = 0, y = 0;
    bool operator==(const AtlasCorner&) const = default;
};

// Where the scene's pictures lie in the texture atlas.
struct AtlasPlacement {
    int width = 1, height = 1;               // atlas size
    int pictureWidth = 1, pictureHeight = 1; // the image's size
    AtlasCorner picture;                     // the start picture
    std::optional<AtlasCorner> background;
    // Library textures by the picture they copy (the renderer's own pictures).
    std::vector<std::pair<const RasterImage*, AtlasCorner>> textures;

    // The corner of the picture `texture`; the start picture's for any other.
    AtlasCorner corner(const RasterImage* texture) const;
};

struct WebGlAtlas {
    AtlasPlacement placement;
    RasterImage image;
    // The "zxatlas" text.
    std::string layoutText() const;
};

// Builds the atlas of the objects `slots` of `scene`; `background` (cut to the start
// picture's size) is put in when given. Refused with "Fatal error: Texture size
// bigger than 16k on a side" when the packed atlas would pass 16384 texels on a side.
Result<WebGlAtlas> buildWebGlAtlas(const AnimationModel& scene, const std::vector<int>& slots,
                                   const RasterImage* background);

} // namespace zx
