#include "mesh3d/VolumeTools.h"
#include "SilentTestPrompter.h"

#include "anim/AnimationModel.h"
#include "mesh3d/HeightMap.h"
#include "mesh3d/MaskShapes.h"
#include "mesh3d/ShapeBuilder.h"
#include "mesh3d/Skeleton.h"
#include "platform/Prompter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zx {
namespace {

using testing::discMask;
using testing::rectMask;

TEST(VolumeTools, FalloffRunsFromOneAtTheCentreToZeroAtTheBorder) {
    RasterImage sel = rectMask(60, 60, 10, 10, 30, 30);
    for (VolumeTool tool : {VolumeTool::Spherical, VolumeTool::Bicubic, VolumeTool::Bilinear,
                            VolumeTool::Constant, VolumeTool::TiltPlane}) {
        EXPECT_DOUBLE_EQ(falloffWeight(sel, tool, 20, 20, 20, 20), 1.0);
        EXPECT_DOUBLE_EQ(falloffWeight(sel, tool, 20, 20, 20.09, 19.91), 1.0);
    }
    // Halfway to the border, straight and diagonally.
    EXPECT_NEAR(falloffWeight(sel, VolumeTool::Bilinear, 20, 20, 25, 20), 0.5, 1e-12);
    EXPECT_NEAR(falloffWeight(sel, VolumeTool::Bilinear, 20, 20, 25, 25), 0.5, 1e-12);
    EXPECT_NEAR(falloffWeight(sel, VolumeTool::Bicubic, 20, 20, 25, 20), 0.5, 1e-12);
    EXPECT_NEAR(falloffWeight(sel, VolumeTool::Spherical, 20, 20, 25, 20), std::sqrt(0.75), 1e-12);
    EXPECT_NEAR(falloffWeight(sel, VolumeTool::Bicubic, 20, 20, 27.5, 20), 0.15625, 1e-12);
    EXPECT_DOUBLE_EQ(falloffWeight(sel, VolumeTool::Constant, 20, 20, 27.5, 20), 1.0);
    // On the border: nothing moves but with Constant.
    for (VolumeTool tool : {VolumeTool::Spherical, VolumeTool::Bicubic, VolumeTool::Bilinear})
        for (auto [vx, vy] : {std::pair{30.0, 20.0}, {20.0, 30.0}, {20.0, 9.5}, {9.0, 9.0}})
            EXPECT_EQ(falloffWeight(sel, tool, 20, 20, vx, vy), 0.0) << vx << "," << vy;
    EXPECT_EQ(falloffWeight(sel, VolumeTool::Constant, 20, 20, 30, 20), 1.0);
    // A selection running off the image ends at the image edge.
    RasterImage edge = rectMask(40, 40, 0, 0, 40, 40);
    EXPECT_NEAR(falloffWeight(edge, VolumeTool::Bilinear, 20, 20, 30, 20), 0.5, 1e-12);
    EXPECT_NEAR(falloffWeight(edge, VolumeTool::Bilinear, 20, 20, 35, 20), 1.0 / 4, 1e-12);
    // Far-off or broken positions give no weight rather than a long walk.
    EXPECT_EQ(falloffWeight(sel, VolumeTool::Bilinear, 20, 20, 1e12, 20), 0.0);
    EXPECT_EQ(falloffWeight(sel, VolumeTool::Bilinear, 20, 20, std::nan(""), 20), 0.0);
}

AnimPoint vertex(double x, double y, double z, int32_t flags) {
    AnimPoint p;
    p.flags = flags;
    p.texture = p.start = p.end = p.current = {x, y, z};
    return p;
}

constexpr int32_t kFront = 0x41, kOutline = 0x449, kBack = 0xC1;

// Seven mesh vertices and a user dot; a square lasso around (20, 20) takes 0..5.
AnimObject sculpted() {
    AnimObject o;
    o.points = {
        vertex(20, 20, 10, kFront),  // 0 the centre
        vertex(25, 20, 10, kFront),  // 1 halfway to the border
        vertex(15, 20, 0, kOutline), // 2 outline, at depth 0
        vertex(20, 20, -10, kBack),  // 3 behind the centre
        vertex(22, 22, 4, 0x01),     // 4 not movable
        vertex(27, 27, 5, kFront),   // 5
        vertex(40, 40, 3, kFront),   // 6 outside the lasso
        vertex(21, 21, 0, 0),        // user dot
    };
    o.vertexCount = 7;
    return o;
}

const std::vector<LassoPoint> kSquare = {{10, 10}, {10, 29}, {29, 29}, {29, 10}};

double z(const AnimObject& o, int i) {
    return o.points[size_t(i)].start.z;
}

TEST(VolumeTools, SelectingTakesTheMeshVerticesInsideTheLasso) {
    AnimObject o = sculpted();
    VolumeSelection sel;
    ASSERT_TRUE(selectVolume(o, 60, 60, kSquare, SelectMode::New, sel));
    EXPECT_EQ(sel.vertices, (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(sel.mask.at(10, 10) & kMaskInside);
    EXPECT_TRUE(sel.mask.at(29, 29) & kMaskInside);
    EXPECT_FALSE(sel.mask.at(30, 20) & kMaskInside);
    // Add a second square, then take the first one's middle away again.
    std::vector<LassoPoint> far = {{35, 35}, {35, 45}, {45, 45}, {45, 35}};
    ASSERT_TRUE(selectVolume(o, 60, 60, far, SelectMode::Add, sel));
    EXPECT_EQ(sel.vertices, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6}));
    std::vector<LassoPoint> middle = {{18, 18}, {18, 23}, {23, 23}, {23, 18}};
    ASSERT_TRUE(selectVolume(o, 60, 60, middle, SelectMode::Remove, sel));
    EXPECT_EQ(sel.vertices, (std::vector<int32_t>{1, 2, 5, 6}));
    // Moving shifts every lasso: the first square now starts at 22, 22.
    ASSERT_TRUE(moveVolumeSelection(o, 60, 60, 12, 12, sel));
    EXPECT_EQ(sel.vertices, (std::vector<int32_t>{4, 5, 6}));
    EXPECT_EQ(sel.strokes[0].points[0], (LassoPoint{22, 22}));
    // Too short a lasso: New selects nothing, Add keeps what there is.
    std::vector<LassoPoint> two = {{1, 1}, {50, 50}};
    EXPECT_TRUE(selectVolume(o, 60, 60, two, SelectMode::Add, sel));
    EXPECT_FALSE(selectVolume(o, 60, 60, two, SelectMode::New, sel));
    EXPECT_TRUE(sel.vertices.empty());
    EXPECT_TRUE(sel.strokes.empty());
    // Remove without a selection does nothing; Add without one starts it.
    EXPECT_FALSE(selectVolume(o, 60, 60, kSquare, SelectMode::Remove, sel));
    EXPECT_TRUE(selectVolume(o, 60, 60, kSquare, SelectMode::Add, sel));
    EXPECT_EQ(sel.vertices.size(), 6u);
}

TEST(VolumeTools, SelectionRemembersASingleOutlineEdge) {
    AnimObject o = sculpted();
    o.edges = {{0, 1, 0, 0}, {1, 2, 1, 0}, {5, 6, 1, 0}, {2, 5, 1, 0}};
    VolumeSelection sel;
    selectVolume(o, 60, 60, std::vector<LassoPoint>{{12, 12}, {12, 26}, {26, 26}, {26, 12}},
                 SelectMode::New, sel);
    EXPECT_EQ(sel.outlineEdge, 1); // 1-2 is outer and both its ends are in
    selectVolume(o, 60, 60, kSquare, SelectMode::New, sel);
    EXPECT_EQ(sel.outlineEdge, -1); // 1-2 and 2-5: two edges, none remembered
}

TEST(VolumeTools, LassoIsStoredClampedAndTerminated) {
    VolumeSelection sel;
    EXPECT_EQ(sel.packedLasso(10, 10), std::vector<uint32_t>{kPointListEnd});
    sel.strokes.push_back({{{3, 4}, {-5, 12}, {70000, 2}}, SelectMode::New});
    EXPECT_EQ(sel.packedLasso(10, 10),
              (std::vector<uint32_t>{3u | 4u << 16, 0u | 9u << 16, 9u | 2u << 16, kPointListEnd}));
}

struct Stroke {
    AnimObject o = sculpted();
    VolumeSelection sel;
    VolumeStroke stroke;
    Stroke(VolumeTool tool, ToolSide side) {
        selectVolume(o, 60, 60, kSquare, SelectMode::New, sel);
        EXPECT_TRUE(stroke.begin(o, sel, tool, side, 20, 20));
    }
};

TEST(VolumeTools, CentreMovesByTheDragWithEveryTool) {
    for (VolumeTool tool :
         {VolumeTool::Spherical, VolumeTool::Bicubic, VolumeTool::Bilinear, VolumeTool::Constant}) {
        Stroke s(tool, ToolSide::FrontAndBack);
        s.stroke.apply(s.o, 3, -4); // upward: both surfaces grow
        EXPECT_DOUBLE_EQ(z(s.o, 0), 14);
        EXPECT_DOUBLE_EQ(z(s.o, 3), -14);
        s.stroke.apply(s.o, 0, std::nan("")); // ignored
        EXPECT_DOUBLE_EQ(z(s.o, 0), 14);
        s.stroke.apply(s.o, 0, 6); // downward from the stored depth, not the last one
        EXPECT_DOUBLE_EQ(z(s.o, 0), 4);
        EXPECT_DOUBLE_EQ(z(s.o, 3), -4);
        const AnimPoint& p = s.o.points[0];
        EXPECT_EQ(p.texture.z, 4);
        EXPECT_EQ(p.end.z, 4);
        EXPECT_EQ(p.current.z, 4);
    }
}

TEST(VolumeTools, DigAndGrowFollowTheFalloffAndNeverCrossTheImagePlane) {
    Stroke s(VolumeTool::Spherical, ToolSide::FrontAndBack);
    s.stroke.apply(s.o, 0, -4);
    EXPECT_NEAR(z(s.o, 1), 10 + 4 * std::sqrt(0.75), 1e-9);
    EXPECT_EQ(z(s.o, 2), 0); // outline at depth 0 stays with Front+Back
    EXPECT_EQ(z(s.o, 4), 4); // not a movable surface vertex
    EXPECT_EQ(z(s.o, 6), 3); // not selected
    EXPECT_EQ(z(s.o, 7), 0); // the user dot
    // Digging a front vertex at depth 5 by 8 stops at the plane; the back one too.
    Stroke c(VolumeTool::Constant, ToolSide::FrontAndBack);
    c.stroke.apply(c.o, 0, 8);
    EXPECT_EQ(z(c.o, 5), 0);
    EXPECT_EQ(z(c.o, 0), 2);
    EXPECT_EQ(z(c.o, 3), -2);
    c.stroke.apply(c.o, 0, 30);
    EXPECT_EQ(z(c.o, 0), 0);
    EXPECT_EQ(z(c.o, 3), 0);
}

TEST(VolumeTools, SidesKeepTheOtherSurfaceStill) {
    Stroke front(VolumeTool::Bilinear, ToolSide::Front);
    front.stroke.apply(front.o, 0, -4);
    EXPECT_EQ(z(front.o, 3), -10); // back never moves
    EXPECT_EQ(z(front.o, 0), 14);
    EXPECT_NEAR(z(front.o, 2), 2, 1e-12); // the outline may leave the plane on one side
    Stroke back(VolumeTool::Bilinear, ToolSide::Back);
    back.stroke.apply(back.o, 0, -4);
    EXPECT_EQ(z(back.o, 0), 10);
    EXPECT_EQ(z(back.o, 2), 0);
    EXPECT_EQ(z(back.o, 3), -14);
}

TEST(VolumeTools, WalkStopsAtTheFirstVertexThatIsNoMeshVertex) {
    Stroke s(VolumeTool::Constant, ToolSide::Front);
    s.o.points[1].flags = PointFlag::Interior;
    s.stroke.apply(s.o, 0, -2);
    EXPECT_EQ(z(s.o, 0), 12);
    EXPECT_EQ(z(s.o, 1), 10);
    EXPECT_EQ(z(s.o, 5), 5); // after the stop
}

TEST(VolumeTools, TiltPlaneRaisesTheFrontAlongTheDrag) {
    Stroke s(VolumeTool::TiltPlane, ToolSide::FrontAndBack);
    s.stroke.apply(s.o, 10, 0);
    EXPECT_DOUBLE_EQ(z(s.o, 1), 0.5); // 0.01 x 10 x 5 pixels along the drag
    EXPECT_DOUBLE_EQ(z(s.o, 0), 0);   // the centre is on the hinge
    EXPECT_DOUBLE_EQ(z(s.o, 5), 0.7);
    EXPECT_EQ(z(s.o, 3), -10); // back vertices never tilt
    EXPECT_EQ(z(s.o, 2), 0);   // behind the hinge, and shared with the back
    s.stroke.apply(s.o, -10, 0);
    EXPECT_EQ(z(s.o, 1), 0); // negative results become 0
    EXPECT_EQ(s.stroke.commit(s.o), "Tilt Plane");
}

TEST(VolumeTools, CommitLabelsAndCancel) {
    Stroke s(VolumeTool::Spherical, ToolSide::FrontAndBack);
    s.stroke.apply(s.o, 0, -4);
    EXPECT_EQ(s.stroke.commit(s.o), "Dig/grow Spherical Front+Back");
    EXPECT_FALSE(s.stroke.active());
    EXPECT_EQ(z(s.o, 0), 14); // the edited depth stays, and is the next stroke's start
    ASSERT_TRUE(s.stroke.begin(s.o, s.sel, VolumeTool::Bicubic, ToolSide::Back, 20, 20));
    s.stroke.apply(s.o, 0, -1);
    EXPECT_EQ(z(s.o, 3), -15);
    s.stroke.cancel(s.o);
    EXPECT_EQ(z(s.o, 3), -14);
    EXPECT_EQ(s.stroke.commit(s.o), ""); // nothing to commit after a cancel

    EXPECT_EQ(volumeUndoLabel(VolumeTool::Bicubic, ToolSide::Front, true),
              "Dig/grow Bicubic Front");
    EXPECT_EQ(volumeUndoLabel(VolumeTool::Bilinear, ToolSide::Back, true),
              "Dig/grow Bilinear Back");
    EXPECT_EQ(volumeUndoLabel(VolumeTool::Constant, ToolSide::Back, false), "Dig/grow Constant");
    EXPECT_EQ(volumeUndoLabel(VolumeTool::TiltPlane, ToolSide::Front, true), "Tilt Plane");

    // Without a tool or a selection there is no stroke.
    VolumeStroke none;
    EXPECT_FALSE(none.begin(s.o, s.sel, VolumeTool::None, ToolSide::Front, 0, 0));
    EXPECT_FALSE(none.begin(s.o, VolumeSelection{}, VolumeTool::Spherical, ToolSide::Front, 0, 0));
    none.apply(s.o, 0, 100);
    EXPECT_EQ(z(s.o, 0), 14);
}

TEST(VolumeTools, GrowingABuiltDiscKeepsItsRim) {
    AnimationModel model;
    model.addObject(testing::silentPrompter());
    RasterImage disc = discMask(100, 100, 50, 50, 30);
    SilentPrompter silent;
    ASSERT_TRUE(build3dObject(model, 0, disc, {}, nullptr, silent).isOk());
    AnimObject& o = model.object(0);
    ASSERT_TRUE(hasBackSurface(o));
    const AnimObject before = o;
    VolumeSelection sel;
    std::vector<LassoPoint> all = {{5, 5}, {5, 95}, {95, 95}, {95, 5}};
    ASSERT_TRUE(selectVolume(o, 100, 100, all, SelectMode::New, sel));
    EXPECT_EQ(int(sel.vertices.size()), o.vertexCount);
    VolumeStroke stroke;
    ASSERT_TRUE(stroke.begin(o, sel, VolumeTool::Spherical, ToolSide::FrontAndBack, 50, 50));
    stroke.apply(o, 0, -10);
    EXPECT_EQ(stroke.commit(o), "Dig/grow Spherical Front+Back");
    for (int i = 0; i < o.vertexCount; ++i) {
        const double z0 = before.points[size_t(i)].start.z, z1 = o.points[size_t(i)].start.z;
        const int32_t flags = o.points[size_t(i)].flags;
        if (flags & PointFlag::Outline)
            EXPECT_EQ(z1, 0);
        else if (flags & PointFlag::BackSurface)
            EXPECT_LT(z1, z0);
        else
            EXPECT_GT(z1, z0);
    }
}

} // namespace
} // namespace zx
