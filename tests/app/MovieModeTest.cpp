// Movie mode shows the movie as it is exported: the view's frames against the frames
// the command line renders, playback moving through them, and a window closed while
// the movie plays and its frames are being built.
#include "FrameHarness.h"
#include "cli/MovingRectangle.h"

#include "app/ImageComposer.h"
#include "app/MovieModeView.h"
#include "app/Timeline.h"
#include "commands/ProjectMovieSource.h"
#include "render/CameraTags.h"
#include "storage/PhotoImport.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace zx;

namespace {

RasterImage photo(int w, int h, int seed) {
    RasterImage p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.at(x, y) = 0xFF000000u | uint32_t((x * 7 + seed) & 0xFF) << 16 |
                         uint32_t((y * 9) & 0xFF) << 8 | uint32_t((x + y + seed) & 0xFF);
    return p;
}

// Two images, the first animated and with a background of its own, seen through a
// camera zoomed in.
std::unique_ptr<Project> twoImageMovie(int width, int height, int firstFrames, int secondFrames) {
    auto p = std::make_unique<Project>(Project::fromSettings(Settings{}));
    p->movieWidth = width;
    p->movieHeight = height;
    p->fps = 25;
    auto first = buildPhotoImage(photo(32, 24, 0), "first.png", firstFrames, CanvasColour::Black);
    first->animation =
        testing::movingRectangleRecord(photo(32, 24, 0), 4, 4, 12, 14, {8, 9, 0}, {20, 9, 0});
    first->setLayerPicture(kBackgroundLayer, photo(32, 24, 120));
    p->images.append(std::move(first));
    p->images.append(
        buildPhotoImage(photo(30, 40, 90), "second.png", secondFrames, CanvasColour::Blue));
    MovieFrames frames = layoutMovieFrames(*p, {});
    ensureFirstFrameTags(frames);
    setZoomTag(frames, {}, 0, 1.5);
    p->cameraValues = snapshotCameraValues(frames);
    return p;
}

} // namespace

class MovieModeTest : public QObject, public FrameHarness {
    Q_OBJECT

private:
    void enterMovie(std::unique_ptr<Project> project) {
        frame_->workspace().replaceProject(std::move(project));
        frame_->refreshAll();
        QVERIFY(frame_->trigger(Cmd::ModeMovie));
    }

private slots:
    void init() {
        openFrame("settings.ini");
        settings_.videoRender = int(RenderQuality::Medium);
        frame_->resize(900, 700);
        frame_->show();
    }
    void cleanup() { closeFrame(); }

    void viewShowsTheFramesTheCommandLineRenders() {
        enterMovie(twoImageMovie(48, 36, 5, 4));
        ProjectMovieOptions options;
        options.quality = RenderQuality::Medium;
        ProjectMovieSource exported(frame_->project(), options);
        QCOMPARE(frame_->movieFrameCount(), exported.frameCount());
        QImage previous;
        for (int k : {0, 3, 4, 5, 8}) {
            frame_->showMovieFrame(k);
            const QImage& shown = frame_->movieView()->picture(k);
            Result<RasterImage> expected = exported.frame(k);
            QVERIFY(expected);
            QCOMPARE(shown, toQImage(*expected));
            if (k < 5) QVERIFY(shown != previous); // the rectangle moves
            previous = shown;
        }
        // A longer image is laid out anew: its new frames come out too.
        frame_->workspace().project().images[1].setDuration(6);
        ProjectMovieSource longer(frame_->project(), options);
        QCOMPARE(frame_->movieView()->picture(10), toQImage(*longer.frame(10)));
        // Every frame ends up built by the workers.
        QTRY_VERIFY_WITH_TIMEOUT(frame_->movieView()->framesBuilt() >= 11 - 2, 20000);
        // Another project: the workers of this one end.
        frame_->workspace().replaceProject(std::make_unique<Project>());
        QVERIFY(!frame_->movieView()->running());
    }

    void playbackMovesThroughTheFramesAndStops() {
        enterMovie(twoImageMovie(48, 36, 20, 20));
        TimelineBar& timeline = *frame_->timeline();
        timeline.markers().setEnd(30, 39);
        timeline.play();
        QVERIFY(timeline.moviePlaying());
        QTRY_VERIFY_WITH_TIMEOUT(timeline.markers().cursor >= 10, 5000);
        const QImage& shown = frame_->movieView()->picture(timeline.markers().cursor);
        QVERIFY(!shown.isNull());
        QTRY_VERIFY_WITH_TIMEOUT(!timeline.moviePlaying(), 5000);
        QTRY_COMPARE(timeline.markers().cursor, 30); // the end marker
        // Leaving Movie mode stops playback and pauses the workers.
        timeline.markers().setStart(0, 39);
        timeline.play();
        QVERIFY(frame_->trigger(Cmd::ModeAnimate));
        QVERIFY(!timeline.moviePlaying());
        for (int j = 0; j < 2; ++j)
            QCOMPARE(frame_->movieView()->builder().entry(j)->state(), WorkerState::Idle);
    }

    void closingDuringPlaybackEndsEveryWorkerPromptly() {
        enterMovie(twoImageMovie(640, 480, 200, 200));
        TimelineBar& timeline = *frame_->timeline();
        timeline.play();
        QTRY_VERIFY_WITH_TIMEOUT(timeline.markers().cursor >= 2, 10000);
        QVERIFY(frame_->movieView()->running());
        frame_->project().modified = false;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(frame_->close());
        QVERIFY(clock.elapsed() < 2000);
        QVERIFY(!timeline.moviePlaying());
        QVERIFY(!frame_->movieView()->running());
    }
};

QTEST_MAIN(MovieModeTest)
#include "MovieModeTest.moc"
