// Animate playback with the frame spool: spooled frames reach the view and look as
// the frames the view renders itself; closing the window ends busy workers at once.
#include "FrameHarness.h"

#include "app/AnimateSpool.h"
#include "app/CommandTable.h"
#include "ui/ModePanels.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace zx;

class AnimateSpoolTest : public QObject, public FrameHarness {
    Q_OBJECT

private:
    // The sample in Animate mode, showing only the current frame, at frame `frame`.
    QImage showSample(const QString& settingsFile, int frame) {
        openFrame(settingsFile);
        frame_->resize(1000, 700);
        frame_->show();
        if (!frame_->openProject(ZX_SAMPLES_DIR "/sample.zxp")) return {};
        frame_->trigger(Cmd::ViewCurrentFrame);
        frame_->workspace().currentImage()->setCurrentFrame(frame);
        return frame_->centralWidget()->grab().toImage();
    }
    int current() const { return frame_->project().currentImage; }

private slots:
    void playbackShowsSpooledFramesThatLookLikeRenderedOnes() {
        {
            Settings off;
            off.cacheSpool = 0;
            QtSettingsStore store(dir_.filePath("nospool.ini"));
            writeSettings(off, store);
        }
        const QImage rendered = showSample("nospool.ini", 3);
        QVERIFY(!rendered.isNull());
        QVERIFY(!frame_->animateSpool().spool().active());
        closeFrame();

        showSample("spool.ini", 0);
        QCOMPARE(frame_->mode(), AnimationMode::Animate);
        FrameSpool& spool = frame_->animateSpool().spool();
        QTRY_VERIFY_WITH_TIMEOUT(spool.isComplete(current()), 60000);
        QVERIFY(spool.isAnimated(current()));
        const long long before = frame_->animateSpool().framesShown();
        AnimatePanel* panel = frame_->animatePanel();
        panel->setLooping(true);
        panel->setPlaying(true);
        QTRY_VERIFY_WITH_TIMEOUT(frame_->animateSpool().framesShown() >= before + 5, 10000);
        panel->setPlaying(false);

        frame_->workspace().currentImage()->setCurrentFrame(3);
        const long long shown = frame_->animateSpool().framesShown();
        const QImage spooled = frame_->centralWidget()->grab().toImage();
        QCOMPARE(spooled, rendered);
        QVERIFY(frame_->animateSpool().framesShown() > shown);
    }

    void closingWithBusyWorkersReturnsPromptly() {
        showSample("busy.ini", 0);
        frame_->settings().videoRender = int(RenderQuality::Maximum);
        for (ProjectImage* image : {&frame_->project().images[0], &frame_->project().images[1]})
            image->setDuration(2000);
        frame_->animateSpool().submitAll(frame_->project(), RenderQuality::Maximum);
        FrameSpool& spool = frame_->animateSpool().spool();
        QTRY_VERIFY_WITH_TIMEOUT(spool.progress().framesDone > 0, 30000);
        QVERIFY(!spool.progress().complete);
        frame_->project().modified = false;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(frame_->close());
        QCOMPARE(spool.entryCount(), 0);
        frame_.reset();
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
    }

    void cleanup() {
        if (frame_) closeFrame();
    }
};

QTEST_MAIN(AnimateSpoolTest)
#include "AnimateSpoolTest.moc"
