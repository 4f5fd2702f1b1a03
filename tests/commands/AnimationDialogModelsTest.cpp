#include "SilentTestPrompter.h"
#include "commands/AnimationContinuation.h"
#include "commands/AnimationEditSession.h"
#include "commands/AnimationPropertiesModel.h"
#include "commands/ObjectEditorModel.h"
#include "commands/TimeCurveEditorModel.h"

#include "anim/Deformation.h"
#include "commands/DemoScene.h"
#include "commands/Workspace.h"
#include "platform/RecordingPrompter.h"
#include "render/ImageScene.h"
#include "render/ProjectFrame.h"
#include "storage/CurveFile.h"
#include "storage/Settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <unistd.h>

namespace zx {
namespace {

namespace fs = std::filesystem;

// A workspace in Animate mode on the small demo image: a 3D head on a bone and a
// lifted flat object.
struct DemoWorkspace : ::testing::Test {
    RecordingPrompter prompter;
    Settings settings;
    Workspace ws{prompter, settings};
    ModePanel panels[5];

    DemoWorkspace() {
        ws.replaceProject(std::make_unique<Project>(Project::fromSettings(settings)));
        for (int m = 0; m < 5; ++m) ws.setPanel(AnimationMode(m), &panels[m]);
        DemoOptions options;
        options.durationFrames = 6;
        options.meshDefinition = 0;
        auto demo = buildDemoImage(demoPicture(160, 120), "demo.png", options, nullptr,
                                   testing::silentPrompter());
        EXPECT_TRUE(demo && demo->animation);
        EXPECT_TRUE(ws.selectImage(ws.project().images.append(std::move(demo)), false, false));
        EXPECT_TRUE(ws.switchMode(AnimationMode::Animate));
    }

    const std::optional<std::vector<uint32_t>>& record() {
        return ws.project().images[0].animation;
    }

    std::unique_ptr<AnimationEditSession> session() {
        auto s = AnimationEditSession::open(ws);
        EXPECT_TRUE(s.isOk());
        return std::move(s).value();
    }

    // The image's own frame, rendered the one way frames are rendered.
    RasterImage frame(int image, int frameIndex) {
        AnimationModel scene;
        EXPECT_TRUE(loadImageScene(ws.project().images[image], scene).isOk());
        ProjectFrameRequest request;
        request.image = image;
        request.frame = frameIndex;
        request.view = FrameView::Image;
        auto picture = renderProjectFrame(ws.project(), scene, request);
        EXPECT_TRUE(picture.isOk()) << picture.status().fullText();
        return picture.isOk() ? std::move(picture).value() : RasterImage(1, 1);
    }

    // Keeping records one step; undo puts the record back word for word, redo the kept one.
    void expectOneUndoableStep(AnimationEditSession& s, std::string_view label,
                               const std::optional<std::vector<uint32_t>>& before) {
        const int steps = ws.project().history.size();
        ASSERT_TRUE(s.keep(label));
        EXPECT_EQ(ws.project().history.size(), steps + 1);
        EXPECT_EQ(ws.project().history.labels().back(), label);
        const auto after = record();
        ASSERT_NE(after, before);
        ASSERT_TRUE(ws.undo());
        EXPECT_EQ(record(), before);
        ASSERT_TRUE(ws.redo());
        EXPECT_EQ(record(), after);
    }
};

TEST_F(DemoWorkspace, ObjectEditorKeepsOneStepAndCancelRestoresTheRecord) {
    const auto before = record();
    {
        auto s = session();
        ObjectEditorModel editor(s->model(), 1, false);
        editor.select(EffectKind::Scale);
        editor.setEndSlider(1000);
        editor.select(EffectKind::Opacity);
        editor.setStartSlider(300);
        editor.setLinear(true);
        editor.setSpeedSlider(750);
        s->preview();
        EXPECT_NE(record(), before);
        editor.cancel();
        s->cancel();
        EXPECT_EQ(record(), before);
        EXPECT_FALSE(s->keep(kEditObjectLabel)); // nothing left to keep
    }
    auto s = session();
    ObjectEditorModel editor(s->model(), 1, false);
    editor.select(EffectKind::Rotation);
    editor.setEndSlider(750);
    editor.setLoop(true);
    editor.commit();
    expectOneUndoableStep(*s, kEditObjectLabel, before);
}

TEST(ObjectEditorModel, SlidersKeepTheirValuesAndLockedEffectsBecomeConstants) {
    AnimationModel model;
    model.objectCount = 1;
    model.headerWords[19] = 400;
    ObjectEditorModel editor(model, 0, true);
    for (EffectKind kind : editor.effects()) {
        editor.select(kind);
        for (int position : {0, 137, 500, 999, 1000}) {
            editor.setStartSlider(position);
            editor.setEndSlider(1000 - position);
            EXPECT_EQ(editor.startSlider(), position) << int(kind);
            EXPECT_EQ(editor.endSlider(), 1000 - position) << int(kind);
        }
    }
    // Coupled sliders make a table of one value, which keeping turns into a start value.
    editor.select(EffectKind::Opacity);
    editor.setLocked(true);
    editor.setEndSlider(250);
    EXPECT_EQ(editor.startSlider(), 250);
    editor.commit();
    const ObjectEffect& opacity = model.object(0).effects[EffectSlot::Opacity];
    EXPECT_TRUE(opacity.table.empty());
    EXPECT_FLOAT_EQ(opacity.startValue, 0.25f);
}

// A library object with two materials and an animation of its own of 11 frames.
AnimationModel libraryModel() {
    AnimationModel model;
    model.objectCount = 2;
    model.lastFrameIndex = 10;
    auto data = std::make_shared<LibraryObjectData>();
    data->materials = {"skin", "cloth"};
    for (int s = 0; s < 2; ++s) {
        model.object(s).libraryFlag = 1;
        model.object(s).ownLastFrame = 10;
        model.object(s).library = data;
    }
    return model;
}

TEST(ObjectEditorModel, CancelPutsBackEveryEffectTheSpeedAndTheMaterials) {
    AnimationModel model = libraryModel();
    const AnimObject before = model.object(1);
    ObjectEditorModel editor(model, 1, false);
    ASSERT_EQ(editor.materials().size(), 2u);
    for (EffectKind kind : editor.effects()) {
        editor.select(kind);
        editor.setStartSlider(200);
        editor.setValueAtFrame(5, 0.5);
    }
    editor.fitAnimationTime();
    EXPECT_FLOAT_EQ(editor.speed(), 1); // own animation as long as the image's
    editor.setStartFrame(3);
    editor.setLoop(true);
    ASSERT_TRUE(editor.setColour(1, ColourField::Red, 7).isOk());
    editor.setShown(0, false);
    EXPECT_EQ(materialListText(editor.materials()[0]), "skin (hidden)");
    EXPECT_TRUE(editor.materialsChanged());

    editor.cancel();
    EXPECT_FALSE(editor.materialsChanged());
    const AnimObject& after = model.object(1);
    EXPECT_EQ(after.effects, before.effects);
    EXPECT_EQ(after.speed, before.speed);
    EXPECT_EQ(after.loop, before.loop);
    EXPECT_EQ(after.timeOffset, before.timeOffset);
}

TEST(ObjectEditorModel, ValuePointsShapeTheCurveAndResetTakesThemAway) {
    AnimationModel model = libraryModel();
    ObjectEditorModel editor(model, 0, false);
    editor.select(EffectKind::Opacity);
    editor.setStartSlider(0);
    editor.setEndSlider(0);
    const std::vector<float> flat = editor.selectedEffect().table;
    editor.setValueAtFrame(5, 0.75); // half way through 11 frames
    const ObjectEffect& e = editor.selectedEffect();
    ASSERT_EQ(e.points.size(), 3u);
    EXPECT_FLOAT_EQ(e.table[size_t(e.points[1].x)], 0.75f);
    EXPECT_EQ(editor.startSlider(), 0); // the ends stay
    editor.resetCurve();
    EXPECT_EQ(editor.selectedEffect().table, flat);

    // The graph adds a point at the top and drags it; the ends keep their exact values.
    editor.setStartSlider(333);
    const ObjectEffect ends = editor.selectedEffect();
    editor.graphPress(100, 256);
    editor.graphDrag(200, 256);
    editor.graphRelease();
    ASSERT_EQ(e.points.size(), 3u);
    EXPECT_EQ(e.points[1], (EffectPoint{200, 1.0f}));
    EXPECT_EQ(e.points.front(), ends.points.front());
    EXPECT_EQ(e.points.back(), ends.points.back());
    EXPECT_FLOAT_EQ(e.table[200], 1.0f);
}

TEST(ObjectEditorModel, ColourFieldsRefuseOutOfRangeValuesAndKeepTheWord) {
    uint32_t colour = 0x0A112233;
    for (auto [field, max] :
         {std::pair{ColourField::Red, 255}, std::pair{ColourField::Green, 255},
          std::pair{ColourField::Blue, 255}, std::pair{ColourField::Transparency, 31}}) {
        EXPECT_FALSE(setColourField(colour, field, max + 1).isOk());
        EXPECT_FALSE(setColourField(colour, field, -1).isOk());
        EXPECT_EQ(colour, 0x0A112233u);
        for (int v : {0, max / 3, max}) {
            uint32_t c = colour;
            ASSERT_TRUE(setColourField(c, field, v).isOk());
            EXPECT_EQ(colourField(c, field), v);
            // The other fields stay as they were.
            ASSERT_TRUE(setColourField(c, field, colourField(colour, field)).isOk());
            EXPECT_EQ(c, colour);
        }
    }
}

TEST_F(DemoWorkspace, AnimationPropertiesKeepOneStepAndCancelRestoresEverything) {
    const auto before = record();
    {
        auto s = session();
        AnimationPropertiesModel properties(s->model());
        ASSERT_EQ(properties.rows().size(), size_t(s->model().objectCount));
        properties.select(0);
        properties.setReverse(true);
        properties.setInteractionSlider(90);
        properties.applyToRegion();
        properties.setCurve(alternateCommandCurve());
        ASSERT_TRUE(properties.setDisplayedWidth(333));
        s->preview();
        EXPECT_NE(record(), before);
        properties.cancel();
        EXPECT_FALSE(s->keep(kAnimationPropertiesLabel)); // the model is back as it was
        s->cancel();
        EXPECT_EQ(record(), before);
    }
    auto s = session();
    AnimationPropertiesModel properties(s->model());
    properties.select(1);
    properties.setInvert(true);
    expectOneUndoableStep(*s, kAnimationPropertiesLabel, before);
}

TEST(AnimationPropertiesModel, SizeUnitsConvertBothWays) {
    AnimationModel model;
    model.sceneryWidth = 1000;
    model.sceneryHeight = 600;
    AnimationPropertiesModel properties(model);
    properties.setUnit(SizeUnit::Meters);
    ASSERT_TRUE(properties.setDisplayedWidth(10));
    EXPECT_FLOAT_EQ(properties.pixelsPerMeter(), 100);
    EXPECT_DOUBLE_EQ(properties.displayedHeight(), 6);
    properties.setUnit(SizeUnit::Feet);
    ASSERT_TRUE(properties.setDisplayedHeight(properties.displayedHeight() * 2));
    properties.setUnit(SizeUnit::Meters);
    EXPECT_NEAR(properties.displayedWidth(), 20, 1e-4);
    for (double bad : {0.0, -3.0, std::nan("")}) EXPECT_FALSE(properties.setDisplayedWidth(bad));
    properties.setUnit(SizeUnit::Pixels);
    EXPECT_FALSE(properties.setDisplayedWidth(1e12));
    EXPECT_EQ(model.sceneryWidth, 1000);
}

TEST_F(DemoWorkspace, ContinuationStartsAtThePoseReached) {
    // The demo's objects go and come back; half way they stand furthest off.
    ProjectImage& original = ws.project().images[0];
    const int reached = original.duration() / 2;
    original.setCurrentFrame(reached);
    const RasterImage reachedFrame = frame(0, reached);
    ASSERT_FALSE(reachedFrame == frame(0, 0));
    const auto originalRecord = original.animation;

    ASSERT_TRUE(addContinuation(ws).isOk());
    ASSERT_EQ(ws.project().imageCount(), 2);
    EXPECT_EQ(ws.project().currentImage, 1);
    EXPECT_EQ(ws.mode(), AnimationMode::Animate);
    EXPECT_EQ(ws.project().images[0].animation, originalRecord);
    const ProjectImage& continuation = ws.project().images[1];
    EXPECT_EQ(continuation.layer(kSubjectLayer)->name, "demo[Copy_2]");
    EXPECT_EQ(continuation.layer(kBackgroundLayer)->name, "demo[Copy_2].b");
    EXPECT_TRUE(frame(1, 0) == reachedFrame);

    const auto continued = continuation.animation;
    ASSERT_TRUE(ws.undo());
    EXPECT_EQ(ws.project().imageCount(), 1);
    ASSERT_TRUE(ws.redo());
    ASSERT_EQ(ws.project().imageCount(), 2);
    EXPECT_EQ(ws.project().images[1].animation, continued);

    ASSERT_TRUE(ws.switchMode(AnimationMode::ImageEdit));
    EXPECT_FALSE(addContinuation(ws).isOk());
    EXPECT_EQ(ws.project().imageCount(), 2);
}

TEST(AnimationPropertiesModel, JointControlsStayOffForLibraryObjectsAndFlagsRoundTrip) {
    AnimationModel model = libraryModel();
    model.objectCount = 3;
    model.object(2) = AnimObject{};
    model.object(2).curvePoints = {packCurvePoint(0, 0), packCurvePoint(300, 100),
                                   packCurvePoint(512, 512)};
    resampleObjectCurve(model.object(2));
    AnimationPropertiesModel properties(model);
    properties.select(0);
    EXPECT_FALSE(properties.jointControlsEnabled());
    properties.setInteractionSlider(100);
    EXPECT_EQ(model.object(0).jointInteraction, AnimObject{}.jointInteraction);

    properties.select(2);
    ASSERT_TRUE(properties.skinFillEnabled());
    for (int position : {0, 17, kInteractionSliderMax}) {
        properties.setInteractionSlider(position);
        EXPECT_EQ(properties.interactionSlider(), position);
    }
    const CurveTable table = model.object(2).curveTable;
    properties.setReverse(true);
    properties.setInvert(true);
    EXPECT_NE(model.object(2).curveTable, table);
    properties.setReverse(false);
    properties.setInvert(false);
    EXPECT_EQ(model.object(2).curveTable, table);
}

TEST(AnimationContinuation, TheReachedPoseBecomesTheStartPose) {
    AnimationModel model;
    model.objectCount = 1;
    AnimObject& o = model.object(0);
    AnimPoint dot;
    dot.start = {10, 10, 0};
    dot.end = {50, 30, 0};
    dot.trajectory = DotTrajectory{{10, 10, 0}, {40, 0, 0}, {50, 30, 0}};
    o.points = {dot};
    o.spin = 3;
    computeFrame(model, 0.4, testing::silentPrompter());
    const Vec3 reached = o.points[0].current;
    makeCurrentPoseStart(model, 0);
    computeFrame(model, 0, testing::silentPrompter());
    EXPECT_EQ(o.points[0].current, reached);
    EXPECT_EQ(o.spin, 0);
    computeFrame(model, 1, testing::silentPrompter());
    EXPECT_EQ(o.points[0].current, dot.end); // it still goes where it went
}

TEST(AnimationContinuation, NamesDropTheExtensionAndAnEarlierCopySuffix) {
    EXPECT_EQ(continuationName("street.jpg", 4), "street[Copy_4]");
    EXPECT_EQ(continuationName(continuationName("street.jpg", 4), 5), "street[Copy_5]");
    EXPECT_EQ(continuationName("", 2), "[Copy_2]");
}

struct CurveFolder : ::testing::Test {
    fs::path folder = fs::temp_directory_path() / ("zx-curves-" + std::to_string(::getpid()));
    fs::path file = folder / std::string(kUserCurveFileName);
    RecordingPrompter prompter;
    CurveFolder() {
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    ~CurveFolder() override {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    std::string fileText() {
        std::ifstream in(file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(CurveFolder, SavedCurvesAreFoundAtTheNextStart) {
    CurveLibrary library;
    TimeCurveEditorModel editor(library, {});
    EXPECT_EQ(editor.proposedName(), kNewCurveName);
    // An empty curve cannot be saved; nothing is written.
    EXPECT_EQ(editor.save("empty", file, prompter).code(), StatusCode::Refused);
    editor.press(0, 400);   // (0, 112) and (512, 112)
    editor.press(200, 100); // a point (200, 412)
    editor.drag(260, 50);
    editor.release();
    editor.setLinear(true);
    for (const std::string& bad :
         {std::string(), std::string(kNewCurveName), std::string("two\nlines")})
        EXPECT_EQ(editor.save(bad, file, prompter).message(), kInvalidCurveName);
    EXPECT_FALSE(fs::exists(file));

    ASSERT_TRUE(editor.save("Hop", file, prompter).isOk());
    editor.takeLibraryCurve(1); // "Smooth"
    ASSERT_TRUE(editor.save("Smooth again", file, prompter).isOk());
    const std::string written = fileText();

    CurveLibrary nextStart;
    nextStart.load(file, prompter);
    EXPECT_TRUE(prompter.entries.empty());
    ASSERT_EQ(nextStart.count(), kBuiltInCurveCount + 2);
    EXPECT_EQ(nextStart.entries(), library.entries());
    const int hop = nextStart.find("Hop");
    ASSERT_GE(hop, 0);
    EXPECT_EQ(nextStart.curve(hop), (TimeCurve{1,
                                               {packCurvePoint(0, 112), packCurvePoint(260, 462),
                                                packCurvePoint(512, 112)}}));
    // A refused save leaves the file as it was.
    TimeCurveEditorModel again(nextStart, {});
    EXPECT_FALSE(again.save("x", file, prompter).isOk());
    EXPECT_EQ(fileText(), written);
}

TEST_F(CurveFolder, AFileThatCannotBeWrittenIsToldAndKeepsTheCurveForTheSession) {
    // A file where the curve folder should be: nothing can be created inside it.
    std::ofstream(folder / "blocked") << "x";
    const fs::path blocked = folder / "blocked" / std::string(kUserCurveFileName);
    CurveLibrary library;
    TimeCurveEditorModel editor(library, linearCommandCurve());
    EXPECT_EQ(editor.save("Straight", blocked, prompter).code(), StatusCode::Failed);
    EXPECT_TRUE(prompter.saw(blocked.string() + std::string(kCurveFileNotCreated)));
    EXPECT_EQ(library.find("Straight"), kBuiltInCurveCount);
}

TEST(TimeCurveEditorModel, AreaPositionsMapToTheGridUpwards) {
    for (int x : {-5, 0, 17, 512, 900})
        for (int y : {-5, 0, 300, 512, 900}) {
            const GridPoint p = gridPointInArea(x, y);
            EXPECT_EQ(p.x, std::clamp(x, 0, 512));
            EXPECT_EQ(p.y, std::clamp(512 - y, 0, 512));
        }
    EXPECT_EQ(pointerText({3, 509}), "x = 3, y = 509");
}

} // namespace
} // namespace zx
