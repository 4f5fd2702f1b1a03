// The WebGL data file: number text, escaping, the arrays' layout and the limits.

#include "output/WebGlExport.h"
#include "output/JsNumber.h"
#include "output/WebGlExportText.h"

#include "anim/AnimationModel.h"

#include <gtest/gtest.h>

#include <string>

namespace zx {
namespace {

TEST(JsNumber, RoundsToFiveDecimalsAndDropsZeros) {
    const std::pair<double, const char*> cases[] = {
        {1.5, "1.5"},    {0, "0"},         {100, "100"},  {-0.25, "-.25"},      {0.5, ".5"},
        {0.000001, "0"}, {-0.000001, "0"}, {-0.5, "-.5"}, {0.123456, ".12346"}, {10.05, "10.05"}};
    for (const auto& [value, text] : cases) EXPECT_EQ(jsNumber(value), text) << value;
    EXPECT_EQ(jsNumberRaw(1.0), "1.0");
    EXPECT_EQ(jsNumberRaw(0), ".0");
    EXPECT_EQ(jsNumberRaw(0.5), ".50");
}

TEST(JsString, TextCannotLeaveItsStringOrOpenMarkup) {
    const std::string hostile = "a\"b\\c</script><img src=x onerror=alert(1)>\n\r\xE2\x80\xA8'&";
    const std::string text = jsString(hostile);
    ASSERT_GE(text.size(), 2u);
    const std::string inner = text.substr(1, text.size() - 2);
    for (char c : {'<', '>', '\n', '\r', '\'', '&'}) EXPECT_EQ(inner.find(c), std::string::npos);
    // Every quote inside is escaped.
    for (size_t at = inner.find('"'); at != std::string::npos; at = inner.find('"', at + 1))
        EXPECT_EQ(inner[at - 1], '\\');
    EXPECT_EQ(inner.find("\xE2\x80\xA8"), std::string::npos);
}

WebGlScene twoVertexScene() {
    WebGlScene scene;
    for (int i = 0; i < 17; ++i)
        scene.vertices.insert(scene.vertices.end(), {0.5, -0.25, 0, 0, 0, 0, 1});
    scene.texcoords.assign(34, 0.5);
    scene.triangles = {0, 1, 2};
    return scene;
}

TEST(WebGlDataText, ArraysAndRecordsAreScriptValues) {
    WebGlScene scene = twoVertexScene();
    WebGlPageSettings settings;
    std::string text = webGlDataText(scene, settings);
    // No paths: the trajectory is the single 0.
    EXPECT_NE(text.find("zxwebgl_trajectory = [\r\n0\r\n];"), std::string::npos);
    // Sixteen vertices to a line.
    const size_t first = text.find("zxwebgl_vertices = [\r\n") + 22;
    const std::string line = text.substr(first, text.find("\r\n", first) - first);
    EXPECT_EQ(std::count(line.begin(), line.end(), ','), 16 * 7);
    EXPECT_NE(text.find("objs:[\r\n\r\n]};"), std::string::npos);

    WebGlObjectRecord o;
    o.name = "fish \"1\"";
    o.firstVertex = 3;
    o.firstFace = 1;
    o.endFace = 4;
    o.effects = {{", opacity:", "{trajx:1}"}};
    scene.objects = {o, o};
    text = webGlDataText(scene, settings);
    EXPECT_NE(text.find("{name:\"fish \\\"1\\\"\", vxstart:3, center:[0,0,0], faces:{start:1, "
                        "end:4}, opacity:{trajx:1}},\n{name:"),
              std::string::npos);
    EXPECT_TRUE(text.ends_with(
        "zxwebgl_header, zxwebgl_mesh, zxwebgl_global, zxwebgl_objects];\r\n\r\n\r\n"));
}

TEST(WebGlDataText, MouseOverStartsAfterTheClickKey) {
    WebGlPageSettings settings;
    settings.background.trigger = WebGlTrigger::OnOver;
    settings.background.followCamera = true;
    settings.background.followAmount = 0.5;
    const std::string text = webGlDataText(twoVertexScene(), settings);
    EXPECT_NE(text.find("zxwebgl_bgrd = {show:true,start:ONCLICK,start:ONOVER,followcam:true,"
                        "followamount:.50,zoom:1};"),
              std::string::npos);
}

TEST(WebGlDataText, AnimatorsNameOnlyWhatDiffersFromTheirDefaults) {
    WebGlAnimator a = WebGlAnimator::constant(2, 0.1, 10);
    EXPECT_EQ(animatorText(a, 0.1, 10), "{startvalue:2}");
    a.max = 4, a.speed = 0.5, a.loop = false;
    EXPECT_EQ(animatorText(a, 0.1, 10), "{startvalue:2,max:4,speed:.5,loop:false}");
}

void addObject(AnimationModel& model, int vertices) {
    AnimObject& o = model.object(model.objectCount++);
    o.points.resize(size_t(vertices));
    o.vertexCount = vertices;
}

TEST(WebGlLimits, SixtyFourObjectsAnd65536VerticesAreTheMost) {
    AnimationModel model;
    for (int i = 0; i < kMaxWebGlObjects; ++i) addObject(model, 1);
    EXPECT_TRUE(checkWebGlLimits(model, nullptr));
    addObject(model, 1);
    EXPECT_EQ(checkWebGlLimits(model, nullptr).code(), StatusCode::Refused);

    AnimationModel big;
    addObject(big, kMaxWebGlVertices - 10);
    addObject(big, 10);
    EXPECT_TRUE(checkWebGlLimits(big, nullptr));
    addObject(big, 1);
    EXPECT_EQ(checkWebGlLimits(big, nullptr).code(), StatusCode::Refused);
    big.object(2).hidden = 1; // hidden objects are not exported
    EXPECT_TRUE(checkWebGlLimits(big, nullptr));
}

} // namespace
} // namespace zx
