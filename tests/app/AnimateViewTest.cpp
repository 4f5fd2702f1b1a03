// The Animate view driven with the mouse and keys offscreen: a free-hand selection made
// a mesh with Enter, a dot added with the Dots button and taken back with Undo.
#include "FrameHarness.h"

#include "anim/AnimationModel.h"
#include "anim/AnimationRecord.h"
#include "app/CanvasView.h"
#include "app/CommandTable.h"
#include "commands/ViewLayout.h"
#include "commands/Workspace.h"
#include "ui/ModePanels.h"

#include <QAction>
#include <QPushButton>
#include <QToolBar>
#include <QtTest>

using namespace zx;

class AnimateViewTest : public QObject, public FrameHarness {
    Q_OBJECT

private:
    // Widget coordinates of image pixel (x, y) in the start-image pane.
    QPoint startPanePoint(int x, int y) {
        CanvasView* view = frame_->view();
        const ViewLayoutResult layout =
            animateViewLayout(frame_->animateViewMode(), view->width(), view->height(), {});
        const ViewRect& a = layout.panes.at(0).picture;
        const ProjectImage* image = frame_->workspace().currentImage();
        const double f = zoomFactor(frame_->zoom());
        const int w = int(image->width() * f), h = int(image->height() * f);
        return {int(a.x + std::max(0, (a.w - w) / 2) + x * f),
                int(a.y + std::max(0, (a.h - h) / 2) + y * f)};
    }
    void click(int x, int y) {
        const QPoint at = startPanePoint(x, y);
        QTest::mouseMove(frame_->view(), at);
        QTest::mouseClick(frame_->view(), Qt::LeftButton, {}, at);
    }
    void pressPanelButton(const QString& text) {
        for (QPushButton* b : frame_->animatePanel()->findChildren<QPushButton*>())
            if (b->text() == text) {
                QVERIFY(b->isEnabled());
                b->click();
                return;
            }
        QFAIL(qPrintable("no button " + text));
    }
    AnimationModel record() {
        AnimationModel model;
        const auto& words = frame_->workspace().currentImage()->animation;
        if (words) readAnimationRecord(model, *words);
        return model;
    }

    // A closed free-hand path around (10, 10)–(60, 60) of the start pane.
    void drawSquare() {
        frame_->view()->setFocus();
        QTest::mousePress(frame_->view(), Qt::LeftButton, {}, startPanePoint(10, 10));
        for (auto [x, y] : {std::pair{60, 10}, {60, 60}, {10, 60}})
            QTest::mouseMove(frame_->view(), startPanePoint(x, y));
        QTest::mouseRelease(frame_->view(), Qt::LeftButton, {}, startPanePoint(10, 60));
    }

private slots:
    void init() {
        openFrame("settings.ini");
        frame_->resize(1000, 700);
        frame_->show();
        QVERIFY(frame_->workspace().addPictureAsImage(RasterImage(120, 80, 0xFF336699u), "p.png"));
        frame_->refreshAll();
        QVERIFY(frame_->trigger(Cmd::ModeAnimate));
    }
    void cleanup() { closeFrame(); }

    void freeHandSelectionBecomesAMeshAndADotIsAddedAndUndone() {
        pressPanelButton("Regions");
        QTest::keyClick(frame_->view(), Qt::Key_Escape); // nothing open: ignored
        drawSquare(); // the Regions button gives the free-hand tool
        QTest::keyClick(frame_->view(), Qt::Key_Return);
        QCOMPARE(record().objectCount, 1);

        pressPanelButton("Dots");
        click(30, 30);
        const AnimationModel withDot = record();
        QCOMPARE(withDot.object(0).userDotCount(), 1);
        QCOMPARE(frame_->project().history.labels().back(), std::string("Add Dot"));
        QVERIFY(frame_->paneText(1).startsWith("Screen= start x= 30"));
        QTest::keyClick(frame_->view(), Qt::Key_L);
        QCOMPARE(currentFrameCaption(frame_->animateCaptions()),
                 std::string("Current Frame - Selected Region: User defined Region  [LOCK]"));

        QVERIFY(frame_->trigger(Cmd::Undo));
        QCOMPARE(record().object(0).userDotCount(), 0);
        QVERIFY(frame_->trigger(Cmd::Redo));
        QCOMPARE(record().object(0).userDotCount(), 1);
    }

    void selectedObjectIsOutlinedAndPerspectiveIsAStep() {
        auto outlinePixels = [this] {
            const QImage shot =
                frame_->view()->grab().toImage().convertToFormat(QImage::Format_RGB32);
            int n = 0;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    if (shot.pixel(x, y) == qRgb(255, 255, 0)) ++n;
            return n;
        };
        pressPanelButton("Regions");
        drawSquare();
        QTest::keyClick(frame_->view(), Qt::Key_Return);
        QCOMPARE(record().objectCount, 1);
        pressPanelButton("Dots");
        click(30, 30); // a dot selects its object
        QCOMPARE(frame_->editorSelectedObject(), 0);
        QVERIFY(outlinePixels() > 50);
        frame_->view()->setFocus();
        QTest::keyClick(frame_->view(), Qt::Key_Delete);
        QCOMPARE(record().objectCount, 0);
        QCOMPARE(outlinePixels(), 0);

        auto* bar = frame_->findChild<QToolBar*>("AnimateTools");
        QVERIFY(bar);
        QAction* perspective = nullptr;
        for (QAction* a : bar->actions())
            if (a->text() == "Use Perspective") perspective = a;
        QVERIFY(perspective && perspective->isEnabled() && !perspective->isChecked());
        perspective->trigger();
        QVERIFY(perspective->isChecked());
        QCOMPARE(frame_->project().history.labels().back(), std::string("Change Perspective"));
        QVERIFY(frame_->trigger(Cmd::Undo));
        QVERIFY(!perspective->isChecked());
    }

    // The Animation and Meshes menus run the tools' commands, each an undoable step,
    // and stay greyed where the tools have nothing to act on.
    void menuCommandsActOnTheTools() {
        QVERIFY(!frame_->trigger(Cmd::ConvertToMesh)); // no selection drawn
        QVERIFY(!frame_->trigger(Cmd::HideObject));    // no object selected
        QVERIFY(frame_->trigger(Cmd::FullImageRectangle));
        QCOMPARE(record().objectCount, 1);

        pressPanelButton("Regions");
        drawSquare();
        QVERIFY(frame_->trigger(Cmd::SplitMesh));
        QCOMPARE(record().objectCount, 2);

        const size_t steps = frame_->project().history.labels().size();
        QVERIFY(frame_->trigger(Cmd::ClearAll));
        QCOMPARE(record().objectCount, 0);
        QCOMPARE(frame_->project().history.labels().size(), steps + 1);
        QVERIFY(frame_->trigger(Cmd::Undo));
        QCOMPARE(record().objectCount, 2);
    }
};

QTEST_MAIN(AnimateViewTest)
#include "AnimateViewTest.moc"
