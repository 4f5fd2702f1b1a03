// The Image menu's picture edits, the hand tools and the Shape Tools through the real
// window, offscreen: a command without values, a command through its dialog, a brush
// stroke and an applied shape each record one step, and undo gives back every picture word for
// word.
#include "FrameHarness.h"

#include "app/CanvasView.h"
#include "app/CommandTable.h"
#include "commands/ViewLayout.h"
#include "ui/HandToolsPanel.h"
#include "ui/ImageEditCommandDialog.h"
#include "ui/LightingEffectsDialog.h"
#include "ui/ModePanels.h"
#include "ui/ShapeToolsPanel.h"
#include "ui/TextPanel.h"

#include <QAction>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace zx;

namespace {

constexpr int kWidth = 80;
constexpr int kHeight = 60;

// A dull warm gradient (Auto Levels and White Balance have work) with a dark square.
RasterImage photo() {
    RasterImage p(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const uint32_t g = uint32_t(80 + x);
            p.at(x, y) = 0xFF000000u | (g + 20) << 16 | g << 8 | (g - 20);
        }
    for (int y = 30; y < 46; ++y)
        for (int x = 50; x < 66; ++x) p.at(x, y) = 0xFF404040u;
    return p;
}

using Pictures = std::vector<std::optional<RasterImage>>;

// Every layer's picture of the current image, with its size.
Pictures pictures(const Project& project) {
    Pictures all;
    const ProjectImage* image = project.current();
    for (int i = 0; image && i < image->layerCount(); ++i)
        if (const RasterImage* p = image->layerPicture(i))
            all.emplace_back(*p);
        else
            all.emplace_back();
    return all;
}

} // namespace

class ImageEditCommandsTest : public QObject, public FrameHarness {
    Q_OBJECT

private:
    CanvasView* view() { return frame_->view(); }
    History& history() { return frame_->project().history; }
    QPoint at(int x, int y) { return imagePoint(kWidth, kHeight, x, y); }

private slots:
    void init() {
        openFrame("settings.ini");
        frame_->resize(1000, 700);
        frame_->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame_.get()));
        QVERIFY(frame_->workspace().addPictureAsImage(photo(), "photo.png"));
        frame_->refreshAll();
        QCOMPARE(frame_->mode(), AnimationMode::ImageEdit);
    }
    void cleanup() { closeFrame(); }

    void commandsRecordOneStepEachAndUndoRestoresThePictures() {
        std::vector<Pictures> states{pictures(frame_->project())};
        const int start = history().position();

        QVERIFY(frame_->trigger(Cmd::AutoLevels));
        QCOMPARE(history().position(), start + 1);
        QVERIFY(pictures(frame_->project()) != states.back());
        states.push_back(pictures(frame_->project()));

        // The dialog's preview comes and goes; OK leaves one step, the picture previewed
        // (the whole image is in view).
        RasterImage previewed;
        frame_->answerImageEditDialog = [&](ImageEditCommandDialog& d) {
            QVERIFY(d.fields().set("Brightness", "40"));
            QVERIFY(d.fields().set("Contrast", "-30"));
            QTest::qWait(400);
            // The preview is drawn over the picture; the image itself waits for OK.
            QVERIFY(frame_->previewPicture());
            QVERIFY(frame_->previewPicture()->picture != *states.back()[kSubjectLayer]);
            QVERIFY(pictures(frame_->project()) == states.back());
            previewed = frame_->previewPicture()->picture;
            view()->grab();
            QVERIFY(d.fields().set("OK", {}));
        };
        QVERIFY(frame_->trigger(Cmd::BrightnessContrast));
        QVERIFY(!frame_->previewPicture());
        QVERIFY(*frame_->project().current()->layerPicture(kSubjectLayer) == previewed);
        QCOMPARE(history().position(), start + 2);
        QVERIFY(pictures(frame_->project()) != states.back());
        states.push_back(pictures(frame_->project()));

        // Cancel leaves nothing behind, the preview included.
        frame_->answerImageEditDialog = [](ImageEditCommandDialog& d) {
            QVERIFY(d.fields().set("Hue", "50"));
            QTest::qWait(400);
            QVERIFY(d.fields().set("Cancel", {}));
        };
        QVERIFY(frame_->trigger(Cmd::HueSaturation));
        QCOMPARE(history().position(), start + 2);
        QVERIFY(!frame_->workspace().canRedo());
        QVERIFY(pictures(frame_->project()) == states.back());

        // White Balance balances at the next click on the picture.
        QVERIFY(frame_->trigger(Cmd::WhiteBalance));
        QTest::mouseClick(view(), Qt::LeftButton, {}, at(20, 20));
        QCOMPARE(history().position(), start + 3);
        QVERIFY(!frame_->whiteBalancePicking());
        states.push_back(pictures(frame_->project()));

        // A geometry command changes the size; undo gives it back.
        QVERIFY(frame_->trigger(Cmd::Rotate90CW));
        QCOMPARE(frame_->project().current()->width(), kHeight);
        states.push_back(pictures(frame_->project()));

        for (int i = int(states.size()) - 2; i >= 0; --i) {
            QVERIFY(frame_->trigger(Cmd::Undo));
            QVERIFY2(pictures(frame_->project()) == states[size_t(i)],
                     qPrintable(QString("undo to %1").arg(i)));
        }
        QVERIFY(frame_->trigger(Cmd::Redo));
        QVERIFY(pictures(frame_->project()) == states[1]);
    }

    // The panel's button opens the dialog; the light dragged on its canvas is the light
    // the step lays, as the command table lays it from the same values.
    void lightingEffectsLaysTheLightDraggedOnItsCanvas() {
        const auto before = pictures(frame_->project());
        CommandValues given;
        frame_->answerLightingDialog = [&](LightingEffectsDialog& d) {
            d.show();
            QVERIFY(QTest::qWaitForWindowExposed(&d));
            // Inside the light, off its handles (the focus sits on the centre of a circle).
            const LightPoint centre = d.light().handles()[0];
            const QPointF from = d.canvas()->toWidget(centre.x + 10, centre.y);
            const QPointF to = d.canvas()->toWidget(20, 12); // the centre to (10, 12)
            QTest::mousePress(d.canvas(), Qt::LeftButton, {}, from.toPoint());
            QTest::mouseMove(d.canvas(), ((from + to) / 2).toPoint());
            QTest::mouseMove(d.canvas(), to.toPoint());
            QTest::mouseRelease(d.canvas(), Qt::LeftButton, {}, to.toPoint());
            QVERIFY(d.fields().set("Intensity", "90"));
            given = d.values();
            QVERIFY(d.fields().set("OK", {}));
        };
        QToolButton* button = nullptr;
        for (QToolButton* b : frame_->imageEditPanel()->findChildren<QToolButton*>())
            if (b->toolTip() == "Lighting Effects...") button = b;
        QVERIFY(button);
        button->click();
        QCOMPARE(QString::fromStdString(history().labels().back()), QString("Lighting Effects"));
        QVERIFY(std::abs(given.at("Light X") - 80) <= 16); // eighths: near pixel 10
        QVERIFY(std::abs(given.at("Light Y") - 96) <= 16);
        const auto lit = pictures(frame_->project());
        QVERIFY(lit != before);

        QVERIFY(frame_->trigger(Cmd::Undo));
        QVERIFY(pictures(frame_->project()) == before);
        Project& project = frame_->project();
        QVERIFY(runImageEditCommand(*findImageEditCommand("Lighting Effects..."), project,
                                    project.currentImage, given, prompter_));
        QVERIFY(pictures(frame_->project()) == lit);
    }

    void applyToSelectionLeavesTheRestAlone() {
        const RasterImage before = *frame_->project().current()->layerPicture(kSubjectLayer);
        QTest::mousePress(view(), Qt::LeftButton, {}, at(5, 5));
        QTest::mouseRelease(view(), Qt::LeftButton, {}, at(30, 25));
        frame_->answerImageEditDialog = [](ImageEditCommandDialog& d) {
            QVERIFY(d.fields().set("Red", "50"));
            QVERIFY(d.fields().set("Apply to Selection", "1"));
            QVERIFY(d.fields().set("OK", {}));
        };
        QVERIFY(frame_->trigger(Cmd::ColorBalance));
        const RasterImage& after = *frame_->project().current()->layerPicture(kSubjectLayer);
        QCOMPARE(after.at(10, 10), before.at(10, 10) + (50u << 16));
        QCOMPARE(after.at(40, 40), before.at(40, 40));
    }

    void aRefusedSizeChangesNothing() {
        const auto before = pictures(frame_->project());
        const int start = history().position();
        frame_->answerImageEditDialog = [](ImageEditCommandDialog& d) {
            QVERIFY(d.fields().set("Width", "5000"));
            QVERIFY(d.fields().set("OK", {}));
        };
        QVERIFY(frame_->trigger(Cmd::ImageSize));
        QVERIFY(!prompter_.texts().empty()); // said why
        QCOMPARE(history().position(), start);
        QVERIFY(pictures(frame_->project()) == before);
    }

    void aBrushStrokeRecordsOneStepAndGreysTheMenuWhileUnderWay() {
        HandToolsPanel* hands = frame_->imageEditPanel()->handTools();
        for (QToolButton* b : hands->findChildren<QToolButton*>())
            if (b->toolTip() == "Brush/Pencil Tool") b->click();
        QCOMPARE(hands->tool(), std::optional(PaintTool::Brush));
        // "Pick" takes the 3 x 3 mean inside the dark square, then the brush paints.
        for (QPushButton* b : hands->findChildren<QPushButton*>())
            if (b->text() == "Pick") b->click();
        QVERIFY(hands->picking());
        const int beforePick = history().position();
        QTest::mouseClick(view(), Qt::LeftButton, {}, at(55, 35));
        QVERIFY(!hands->picking());
        QCOMPARE(hands->settings().colour, PaintColour::rgb(0x40, 0x40, 0x40));
        QCOMPARE(history().position(), beforePick);
        hands->setColour(PaintColour::rgb(255, 0, 0));
        QVERIFY(frame_->trigger(Cmd::SelectAll)); // the brush paints selected pixels
        const auto before = pictures(frame_->project());
        const int start = history().position();

        QTest::mousePress(view(), Qt::LeftButton, {}, at(10, 10));
        QVERIFY(hands->painting());
        frame_->updateCommands();
        QVERIFY(!frame_->action(Cmd::AutoLevels)->isEnabled());
        for (int x = 12; x <= 40; x += 4) QTest::mouseMove(view(), at(x, 12));
        QTest::mouseRelease(view(), Qt::LeftButton, {}, at(40, 12));
        QVERIFY(!hands->painting());
        QCOMPARE(history().position(), start + 1);
        QVERIFY(pictures(frame_->project()) != before);
        QVERIFY(frame_->action(Cmd::AutoLevels)->isEnabled());

        QVERIFY(frame_->trigger(Cmd::Undo));
        QVERIFY(pictures(frame_->project()) == before);

        // A selection tool takes the mouse back.
        for (QToolButton* b : frame_->imageEditPanel()->findChildren<QToolButton*>())
            if (b->toolTip() == "Rectangular Marquee") b->click();
        QVERIFY(!hands->tool());
    }

    void aDraggedRectangleWaitsForApplyThenIsOneStep() {
        ImageEditPanel* panel = frame_->imageEditPanel();
        ShapeToolsPanel* shapes = panel->shapeTools();
        panel->findChild<QTabWidget*>()->setCurrentWidget(shapes);
        for (QToolButton* b : shapes->findChildren<QToolButton*>())
            if (b->toolTip() == "Draw a Rectangle") b->click();
        QCOMPARE(shapes->kind(), std::optional(ShapeKind::Rectangle));
        shapes->setColour(PaintColour::rgb(255, 0, 0));
        QCOMPARE(panel->handTools()->settings().colour, PaintColour::rgb(255, 0, 0)); // one colour
        QVERIFY(frame_->trigger(Cmd::SelectAll)); // shapes paint selected pixels
        const auto before = pictures(frame_->project());
        const int start = history().position();

        QTest::mousePress(view(), Qt::LeftButton, {}, at(10, 10));
        for (int x = 14; x <= 40; x += 6) QTest::mouseMove(view(), at(x, x - 10));
        QTest::mouseRelease(view(), Qt::LeftButton, {}, at(40, 30));
        QCOMPARE(history().position(), start); // it waits, with handles, for APPLY
        QVERIFY(pictures(frame_->project()) == before);
        QCOMPARE(shapes->tool().handles().size(), size_t(4));

        for (QPushButton* b : shapes->findChildren<QPushButton*>())
            if (b->text() == "APPLY") b->click();
        QCOMPARE(history().position(), start + 1);
        const RasterImage& subject = *frame_->project().current()->layerPicture(kSubjectLayer);
        QCOMPARE(subject.at(10, 10), PaintColour::rgb(255, 0, 0).pixel());
        QCOMPARE(subject.at(40, 30), PaintColour::rgb(255, 0, 0).pixel());
        QCOMPARE(subject.at(25, 20), before[kSubjectLayer]->at(25, 20)); // hollow
        QVERIFY(!shapes->tool().shape());

        QVERIFY(frame_->trigger(Cmd::Undo));
        QVERIFY(pictures(frame_->project()) == before);
    }

    void typedTextIsPlacedByAClickAndAppliedAsOneStep() {
        QFont font("Arial", 20);
        QVERIFY(drawTextCoverage({}, font, true).empty());
        const RasterImage hard = drawTextCoverage("Hg", font, false);
        QVERIFY(!hard.empty());
        QVERIFY(std::ranges::all_of(hard.pixelVector(), [](uint32_t p) {
            return p == 0 || p == 0xFF000000u; // unsmoothed: every pixel covered or not
        }));
        QVERIFY(std::ranges::count(hard.pixelVector(), 0xFF000000u) > 20);

        ImageEditPanel* panel = frame_->imageEditPanel();
        TextPanel* text = panel->textPanel();
        panel->findChild<QTabWidget*>()->setCurrentWidget(text);
        QVERIFY(!text->active()); // no text yet: the selection tools keep the mouse
        text->setText("Hg");
        QVERIFY(text->active());
        QVERIFY(frame_->trigger(Cmd::SelectAll));
        const auto before = pictures(frame_->project());
        const int start = history().position();
        QTest::mouseClick(view(), Qt::LeftButton, {}, at(4, 6));
        QVERIFY(text->tool().box());
        QCOMPARE(text->tool().box()->left, 4);
        QCOMPARE(history().position(), start);
        for (QPushButton* b : text->findChildren<QPushButton*>())
            if (b->text() == "APPLY") b->click();
        QCOMPARE(history().position(), start + 1);
        QCOMPARE(QString::fromStdString(history().steps().back().label), QString("Text"));
        QVERIFY(pictures(frame_->project()) != before);
        QVERIFY(frame_->trigger(Cmd::Undo));
        QVERIFY(pictures(frame_->project()) == before);
    }
};

QTEST_MAIN(ImageEditCommandsTest)
#include "ImageEditCommandsTest.moc"
