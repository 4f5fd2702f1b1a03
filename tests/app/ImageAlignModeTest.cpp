// Image Align mode driven through the real window offscreen: the wizard's box dragged
// with the mouse, ALIGN and Enter bring the picture back over the image before it,
// undo gives it back; an arrow key leaves a transform pending, and leaving the mode
// then asks first.
#include "FrameHarness.h"
#include "LandscapePicture.h"

#include "app/CanvasView.h"
#include "app/CommandTable.h"
#include "commands/ViewLayout.h"
#include "ui/ImageAlignWizardDialog.h"
#include "ui/ModePanels.h"

#include <QPushButton>
#include <QtTest>

using namespace zx;

namespace {

constexpr int kW = 256, kH = 200;

// The test picture moved by (dx, dy).
RasterImage landscape(int dx, int dy) {
    return test::landscapePicture(kW, kH, dx, dy);
}

} // namespace

class ImageAlignModeTest : public QObject, public FrameHarness {
    Q_OBJECT

private:
    CanvasView* view() { return frame_->view(); }
    ImageAlignPanel* panel() { return frame_->imageAlignPanel(); }
    const RasterImage& subject(int image) {
        return *frame_->project().images.at(image)->layerPicture(kSubjectLayer);
    }
    // The view's point over the centre of image pixel (x, y).
    QPoint at(int x, int y) { return imagePoint(kW, kH, x, y); }

private slots:
    void init() {
        openFrame("settings.ini");
        frame_->resize(1000, 700);
        frame_->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame_.get()));
        QVERIFY(frame_->workspace().addPictureAsImage(landscape(0, 0), "first.png"));
        QVERIFY(frame_->workspace().addPictureAsImage(landscape(3, -2), "moved.png"));
        frame_->refreshAll();
        QVERIFY(frame_->trigger(Cmd::ModeImageAlign));
        QCOMPARE(frame_->mode(), AnimationMode::ImageAlign);
        QCOMPARE(frame_->project().currentImage, 1);
    }
    void cleanup() { closeFrame(); }

    void wizardAlignsAndEnterApplies() {
        const RasterImage before = subject(1);
        for (QPushButton* b : panel()->findChildren<QPushButton*>())
            if (b->text() == "Image Align Wizard...") b->click();
        QVERIFY(panel()->wizard()->isVisible());
        QCOMPARE(panel()->wizard()->windowTitle(), QString("Image Align Wizard"));

        QTest::mousePress(view(), Qt::LeftButton, {}, at(64, 64));
        QTest::mouseMove(view(), at(70, 80));
        QTest::mouseRelease(view(), Qt::LeftButton, {}, at(80, 90));
        QCOMPARE((*panel()->align().boxes())[0], (AlignBox{80, 90}));
        panel()->wizard()->alignButton()->click();
        QCOMPARE(panel()->align().transform(), (AlignTransform{-3 * kEighths, 2 * kEighths}));
        view()->grab(); // the moved picture, the reference through it and the boxes

        QTest::keyClick(view(), Qt::Key_Return);
        QVERIFY(!panel()->align().pending());
        const RasterImage& first = subject(0);
        for (int y = 8; y < kH - 8; y += 9)
            for (int x = 8; x < kW - 8; x += 9) QCOMPARE(subject(1).at(x, y), first.at(x, y));

        QVERIFY(frame_->trigger(Cmd::Undo));
        QVERIFY(subject(1) == before);
    }

    void leavingWithAPendingTransformAsks() {
        const RasterImage before = subject(1);
        QTest::keyClick(view(), Qt::Key_Right);
        QCOMPARE(panel()->align().transform().shiftX, 1);
        prompter_.answers = {Answer::Cancel};
        frame_->trigger(Cmd::ModeImageEdit);
        QVERIFY(prompter_.saw(kApplyTransformQuestion));
        QCOMPARE(frame_->mode(), AnimationMode::ImageAlign);
        QVERIFY(panel()->align().pending());

        QTest::keyClick(view(), Qt::Key_Escape);
        QVERIFY(!panel()->align().pending());
        prompter_.clear();
        QVERIFY(frame_->trigger(Cmd::ModeImageEdit));
        QVERIFY(prompter_.entries.empty());
        QVERIFY(subject(1) == before);
    }
};

QTEST_MAIN(ImageAlignModeTest)
#include "ImageAlignModeTest.moc"
