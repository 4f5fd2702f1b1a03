#include "imaging/ImageGeometry.h"
#include "anim/AnimationModel.h"
#include "imaging/AnimationMove.h"
#include "platform/Prompter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace zx {
namespace {

RasterImage numbered(int w, int h) {
    RasterImage p(w, h);
    for (size_t i = 0; i < p.pixelCount(); ++i) p.pixels()[i] = 0xFF000000u | uint32_t(i);
    return p;
}

// Where a map sends the pixel (x, y): the pixel under its mapped centre.
std::pair<int, int> mappedPixel(const PixelMap& m, int x, int y) {
    return {int(std::floor(m.mapX(x + 0.5, y + 0.5))), int(std::floor(m.mapY(x + 0.5, y + 0.5)))};
}

TEST(ImageGeometry, TurnsAndMirrorsMovePixelsWhereTheirMapSays) {
    for (auto [w, h] : {std::pair{1, 7}, {7, 1}, {5, 3}, {4, 4}}) {
        const RasterImage p = numbered(w, h);
        for (Rotation r : {Rotation::Clockwise90, Rotation::CounterClockwise90, Rotation::Half}) {
            const RasterImage out = rotatePicture(p, r);
            const PixelMap m = PixelMap::rotation(r, w, h);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const auto [mx, my] = mappedPixel(m, x, y);
                    ASSERT_EQ(out.at(mx, my), p.at(x, y)) << w << "x" << h;
                }
        }
        for (bool horizontal : {true, false}) {
            const RasterImage out = mirrorPicture(p, horizontal);
            const auto [mx, my] = mappedPixel(PixelMap::mirror(horizontal, w, h), 0, 0);
            EXPECT_EQ(out.at(mx, my), p.at(0, 0));
            EXPECT_EQ(mirrorPicture(out, horizontal), p);
        }
        EXPECT_EQ(
            rotatePicture(rotatePicture(p, Rotation::Clockwise90), Rotation::CounterClockwise90),
            p);
        EXPECT_EQ(rotatePicture(rotatePicture(p, Rotation::Clockwise90), Rotation::Clockwise90),
                  rotatePicture(p, Rotation::Half));
    }
}

TEST(ImageGeometry, ReframingCutsAndPadsAroundTheOffset) {
    const RasterImage p = numbered(6, 4);
    const RasterImage cut = reframePicture(p, 3, 2, -2, -1);
    EXPECT_EQ(cut.at(0, 0), p.at(2, 1));
    EXPECT_EQ(cut.at(2, 1), p.at(4, 2));
    const RasterImage back = reframePicture(cut, 6, 4, 2, 1, 7);
    EXPECT_EQ(back.at(2, 1), p.at(2, 1));
    EXPECT_EQ(back.at(0, 0), 7u);
    EXPECT_EQ(reframePicture(p, 8, 8, 50, 50, 1), RasterImage(8, 8, 1)); // all outside
}

TEST(ImageGeometry, AnimationFollowsTheMapAndBonesTurnWithIt) {
    SilentPrompter prompter;
    AnimationModel model;
    const int slot = model.addObject(prompter);
    AnimObject& o = model.object(slot);
    AnimPoint dot;
    dot.start = {10, 20, 3};
    dot.texture = {10, 20, 0};
    dot.end = {12, 24, 0};
    dot.trajectory = DotTrajectory{{1, 2, 0}, {4, 5, 1}};
    o.points = {dot, dot};
    Bone bone;
    bone.dotA = 0, bone.dotB = 1;
    bone.restLength = 5;
    bone.restAngle = 0; // along +x
    o.bones = {bone};
    o.textureRect = {10, 20, 30, 25};

    moveAnimation(model, PixelMap::rotation(Rotation::Clockwise90, 40, 30), 30, 40);
    const AnimPoint& p = model.object(slot).points[0];
    EXPECT_EQ(p.start.x, 10); // (x, y) -> (30 - y, x)
    EXPECT_EQ(p.start.y, 10);
    EXPECT_EQ(p.start.z, 3);
    EXPECT_EQ(p.end.x, 6);
    EXPECT_EQ((*p.trajectory)[1].x, 25);
    EXPECT_EQ((*p.trajectory)[1].y, 4);
    EXPECT_EQ(model.object(slot).textureRect, (IntRect{5, 10, 10, 30}));
    EXPECT_NEAR(model.object(slot).bones[0].restAngle, std::numbers::pi / 2, 1e-12);
    EXPECT_NEAR(model.object(slot).bones[0].restLength, 5, 1e-12);
    EXPECT_EQ(model.startWidth, 30);
    moveAnimation(model, PixelMap::scale(2, 2), 60, 80);
    EXPECT_NEAR(model.object(slot).bones[0].restLength, 10, 1e-12);
}

} // namespace
} // namespace zx
