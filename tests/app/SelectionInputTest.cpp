// The selection tools driven through the real view with the mouse, offscreen: the
// marquee, the free-hand lasso and the cleaner change the mask, and undo and redo
// give back every mask word for word.
#include "FrameHarness.h"

#include "app/CanvasView.h"
#include "app/CommandTable.h"
#include "commands/SelectionHistory.h"
#include "commands/ViewLayout.h"
#include "ui/ModePanels.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <vector>

using namespace zx;

namespace {

// Light grey with a dark 16 x 16 square at (50, 30).
RasterImage photo() {
    RasterImage p(80, 60, 0xFFD0D0D0u);
    for (int y = 30; y < 46; ++y)
        for (int x = 50; x < 66; ++x) p.at(x, y) = 0xFF181818u;
    return p;
}

int selectedCount(const RasterImage& m) {
    return int(std::ranges::count_if(m.pixelVector(), isSelectedWord));
}

} // namespace

class SelectionInputTest : public QObject, public FrameHarness {
    Q_OBJECT

private:
    CanvasView* view() { return frame_->view(); }
    ImageEditSelection& selection() { return frame_->imageEditPanel()->selection(); }
    const RasterImage& mask() { return *selection().mask(); }
    // The view's point over the centre of image pixel (x, y).
    QPoint at(int x, int y) { return imagePoint(80, 60, x, y); }
    void chooseTool(const QString& tip) {
        for (QToolButton* b : frame_->imageEditPanel()->findChildren<QToolButton*>())
            if (b->toolTip() == tip) return b->click();
        QFAIL(qPrintable("no tool " + tip));
    }

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

    void mouseToolsChangeTheMaskAndUndoRedoRestoreIt() {
        std::vector<RasterImage> states{mask()};

        // Rectangular marquee from (5, 5) to (30, 25), both corners included
        QTest::mousePress(view(), Qt::LeftButton, {}, at(5, 5));
        QTest::mouseMove(view(), at(20, 15));
        QCOMPARE(frame_->paneText(1), QString("x= 20 y= 15"));
        QTest::mouseRelease(view(), Qt::LeftButton, {}, at(30, 25));
        QCOMPARE(selectedCount(mask()), 26 * 21);
        states.push_back(mask());

        // Free-hand lasso with Shift: added to the rectangle
        chooseTool("Free Hand Lasso");
        QTest::mousePress(view(), Qt::LeftButton, Qt::ShiftModifier, at(40, 5));
        for (QPoint p : {at(60, 5), at(60, 20)}) QTest::mouseMove(view(), p);
        QTest::mouseRelease(view(), Qt::LeftButton, Qt::ShiftModifier, at(40, 20));
        QVERIFY(isSelectedWord(mask().at(10, 10)));
        QVERIFY(isSelectedWord(mask().at(50, 12)));
        states.push_back(mask());
        view()->grab(); // marching ants over the selection

        // The cleaner takes the dark square out of a whole selection
        QVERIFY(frame_->trigger(Cmd::SelectAll));
        states.push_back(mask());
        chooseTool("Magic backgound cleaner");
        QTest::mouseMove(view(), at(57, 37));
        QVERIFY(mask().at(57, 37) & MaskBit::PendingSelected); // the highlight
        QTest::mouseClick(view(), Qt::LeftButton, {}, at(57, 37));
        QVERIFY(!isSelectedWord(mask().at(57, 37)));
        QVERIFY(isSelectedWord(mask().at(10, 50)));
        states.push_back(mask());
        QVERIFY(frame_->trigger(Cmd::RedMask));
        view()->grab();

        QCOMPARE(frame_->project().history.undoStep()->label,
                 std::string("Magic Bgrd Cleaner (auto-mask)"));
        for (int i = int(states.size()) - 2; i >= 0; --i) {
            QVERIFY(frame_->trigger(Cmd::Undo));
            QVERIFY2(mask() == states[size_t(i)], qPrintable(QString("undo to %1").arg(i)));
        }
        for (size_t i = 1; i < states.size(); ++i) {
            QVERIFY(frame_->trigger(Cmd::Redo));
            QVERIFY2(mask() == states[i], qPrintable(QString("redo to %1").arg(i)));
        }
    }

    void menuCommandsNeedAnImageInImageEditMode() {
        QVERIFY(frame_->action(Cmd::SelectAll)->isEnabled());
        QVERIFY(frame_->trigger(Cmd::ModeAnimate));
        QVERIFY(!frame_->action(Cmd::SelectAll)->isEnabled());
        QVERIFY(!frame_->trigger(Cmd::Deselect));
    }

    // A copied picture pasted, dragged by the mouse and merged with Enter; Esc drops
    // the next one; a clipboard without a picture gives a message.
    void floatingPasteFollowsTheMouseAndEnterMergesIt() {
        const RasterImage before = *frame_->project().current()->layerPicture(kSubjectLayer);
        QApplication::clipboard()->clear();
        frame_->onPaste();
        QVERIFY(!prompter_.texts().empty());
        QVERIFY(!frame_->workspace().floating.pending);

        QImage square(24, 24, QImage::Format_ARGB32);
        square.fill(QColor(255, 0, 0));
        QApplication::clipboard()->setImage(square);
        frame_->updateCommands();
        QVERIFY(frame_->trigger(Cmd::Paste));
        QVERIFY(frame_->workspace().floating.picture);
        view()->grab(); // drawn in its place with its handles

        QTest::mousePress(view(), Qt::LeftButton, {}, at(34, 24));
        QTest::mouseMove(view(), at(29, 19));
        QTest::mouseMove(view(), at(24, 14));
        QTest::mouseRelease(view(), Qt::LeftButton, {}, at(24, 14));
        QVERIFY(frame_->routeKey(Qt::Key_Return, {}));
        QVERIFY(!frame_->workspace().floating.pending);
        const RasterImage& subject = *frame_->project().current()->layerPicture(kSubjectLayer);
        QCOMPARE(subject.at(18, 8), 0xFFFF0000u);
        QCOMPARE(subject.at(41, 31), 0xFFFF0000u);
        QCOMPARE(subject.at(17, 8), before.at(17, 8));
        QCOMPARE(subject.at(42, 32), before.at(42, 32));
        QCOMPARE(QString::fromStdString(frame_->project().history.labels().back()),
                 QString("Merge Selection"));

        QVERIFY(frame_->trigger(Cmd::Undo));
        QVERIFY(*frame_->project().current()->layerPicture(kSubjectLayer) == before);
        QVERIFY(frame_->trigger(Cmd::Paste));
        QVERIFY(frame_->routeKey(Qt::Key_Escape, {}));
        QVERIFY(*frame_->project().current()->layerPicture(kSubjectLayer) == before);
    }
};

QTEST_MAIN(SelectionInputTest)
#include "SelectionInputTest.moc"
