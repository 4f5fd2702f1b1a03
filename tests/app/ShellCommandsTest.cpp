// Dialog rules, the clipboard exchange, movie settings and the smaller commands of
// the main frame, offscreen.
#include "FrameHarness.h"

#include "app/CommandTable.h"
#include "app/ImageComposer.h"
#include "app/MainFrame.h"
#include "app/QtSettingsStore.h"
#include "app/Timeline.h"
#include "platform/RecordingPrompter.h"
#include "render/ImageScene.h"
#include "render/ProjectFrame.h"
#include "storage/PhotoImport.h"
#include "ui/HistoryWindow.h"
#include "ui/SettingsDialogs.h"
#include "ui/SystemInfoDialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

using namespace zx;

class ShellCommandsTest : public QObject, public FrameHarness {
    Q_OBJECT

private:
    void addImages(int n) {
        for (int i = 0; i < n; ++i)
            QVERIFY(frame_->workspace().addPictureAsImage(RasterImage(32, 24, 0xFF102030u),
                                                          "p" + std::to_string(i) + ".png"));
        frame_->refreshAll();
    }

private slots:
    void init() {
        openFrame("shell.ini");
        frame_->show();
    }
    void cleanup() { closeFrame(); }

    void generalSettingsRules() {
        Settings s;
        s.maxSize = 2048;
        GeneralSettingsDialog d(s);
        QCOMPARE(d.maxSize->value(), 2048);
        d.warnLarge->setChecked(false); // unchecked stores −1
        d.seconds->setValue(0);
        d.frames->setValue(0); // both zero: 3 s
        d.jpegQuality->button(1)->setChecked(true);
        d.apply(s);
        QCOMPARE(s.maxSize, -1);
        QCOMPARE(s.timeDefS, 3);
        QCOMPARE(s.timeDefF, 0);
        QCOMPARE(s.jpegQuality, 1);
        d.warnLarge->setChecked(true);
        d.frames->setValue(12);
        d.apply(s);
        QCOMPARE(s.timeDefS, 0);
        QCOMPARE(s.timeDefF, 12);
        QCOMPARE(s.maxSize, 2048);
    }

    void animationSettingsShowTheCores() {
        Settings s;
        s.cores = 7;
        s.cacheSpool = 0;
        AnimationSettingsDialog d(s);
        bool found = false;
        for (QLabel* l : d.findChildren<QLabel*>())
            found |= l->text() == "Processor Cores in your system: 7";
        QVERIFY(found);
        QVERIFY(!d.multiThread->isChecked());
        d.multiThread->setChecked(true);
        d.meshDefinition->button(2)->setChecked(true);
        d.apply(s);
        QCOMPARE(s.cacheSpool, 1);
        QCOMPARE(s.contourDef, 2);
    }

    void movieSettingsDialogClampsAndPresets() {
        MovieSettingsDialog d({640, 480, 30, 1});
        d.presets->setCurrentIndex(d.presets->findText("1280 x 720"));
        QCOMPARE(d.values().width, 1280);
        QCOMPARE(d.values().height, 720);
        d.fps->setValue(500); // the spin box stops at 100
        QCOMPARE(d.values().framesPerSecond, 100);
        bool warned = false;
        for (QLabel* l : d.findChildren<QLabel*>())
            warned |= l->text() == "WARNING: A change in Movie Size will remove all Movie Tags";
        QVERIFY(warned);
    }

    void movieSizeChangeDropsCameraTagsButFrameRateKeepsThem() {
        addImages(1);
        Project& p = frame_->project();
        p.cameraValues = CameraValueBlock(5);
        const int w = p.movieWidth, h = p.movieHeight;
        frame_->applyMovieSettings({w, h, 12, settings_.videoRender});
        QCOMPARE(p.fps, 12);
        QVERIFY(p.cameraValues.has_value()); // the frame rate alone keeps the tags
        frame_->applyMovieSettings({w + 16, h, 12, settings_.videoRender});
        QCOMPARE(p.movieWidth, w + 16);
        QVERIFY(!p.cameraValues.has_value());
        QCOMPARE(settings_.videoX, w + 16);
        frame_->applyMovieSettings({5000, 2, 0, 9}); // clamped to the limits
        QCOMPARE(p.movieWidth, 4095);
        QCOMPARE(p.movieHeight, 16);
        QCOMPARE(p.fps, 1);
    }

    void systemInformationVerdicts() {
        SystemFacts f;
        f.screenWidth = 1280;
        f.screenHeight = 1024;
        f.colourDepth = 24;
        f.memoryBytes = 300'000'000;
        f.cores = 1;
        // A clock a quarter of a second further on at every reading: each frame takes
        // 0.25 s, 4 frames/sec.
        double now = 0;
        SystemInfoDialog d(f, std::make_unique<RenderSpeedTest>([&] { return now += 0.25; }));
        QCOMPARE(d.speedText().trimmed(), QString("Please wait... Evaluating processor speed"));
        QCOMPARE(d.lineText(0), QString("Ok!"));
        QCOMPARE(
            d.lineText(1),
            QString("Zelvotrix will run faster if you select 32bits/pixel in Control Panel..."));
        QCOMPARE(d.lineText(2),
                 QString("System low in memory, Zelvotrix cannot process large images"));
        QCOMPARE(d.lineText(3), QString("Animation would be faster on a multi-core processor..."));
        QTRY_VERIFY_WITH_TIMEOUT(d.speedTestFinished(), 20000);
        QCOMPARE(d.measuredSpeed(), 4.0);
        QCOMPARE(d.speedText(), QString("4.0 frames/sec at 1024 x 768 Animation may be slow..."));
        const SystemFacts here = measureSystem();
        QVERIFY(here.cores >= 1);
        QVERIFY(here.memoryBytes > 0);
    }

    void copyFrameAndPasteKeepTransparencyInsideTheProgram() {
        QVERIFY(
            frame_->workspace().addPictureAsImage(RasterImage(20, 10, 0x40FF0000u), "half.png"));
        frame_->setShowBackground(false);
        QVERIFY(frame_->trigger(Cmd::CopyFrame));
        frame_->updateCommands();
        QVERIFY(frame_->action(Cmd::PasteNewImage)->isEnabled());
        QVERIFY(frame_->trigger(Cmd::PasteNewImage));
        QCOMPARE(frame_->project().imageCount(), 2);
        const ProjectImage& pasted = frame_->project().images[1];
        QCOMPARE(pasted.layer(kSubjectLayer)->name, std::string("[Clipboard]"));
        // the private copy kept the alpha the clipboard bitmap cannot carry
        QCOMPARE(pasted.layerPicture(kSubjectLayer)->at(3, 3) >> 24, 0x40u);
        QCOMPARE(QString::fromStdString(frame_->project().history.labels().back()),
                 QString("Add Clipboard Image"));
    }

    void floatingEditIsResolvedBeforeAModeChange() {
        addImages(1);
        frame_->workspace().floating.pending = true;
        frame_->workspace().floating.isPaste = true;
        frame_->workspace().floating.background = true;
        prompter_.answers = {Answer::Cancel};
        QVERIFY(frame_->trigger(Cmd::ModeAnimate));
        QCOMPARE(frame_->mode(), AnimationMode::ImageEdit);
        QCOMPARE(QString::fromStdString(prompter_.texts().back()), QString("Paste to Background?"));
        frame_->updateCommands();
        QVERIFY(!frame_->action(Cmd::Undo)->isEnabled()); // not while an edit floats
        QCOMPARE(frame_->action(Cmd::Undo)->text(), QString("Undo\tCtrl+Z"));
        QVERIFY(frame_->routeKey(Qt::Key_Escape, {}));
        QVERIFY(!frame_->workspace().floating.pending);
    }

    void animateViewModes() {
        addImages(1);
        frame_->updateCommands();
        QVERIFY(!frame_->action(Cmd::ViewStartImage)->isEnabled()); // Animate mode only
        QVERIFY(frame_->trigger(Cmd::ModeAnimate));
        QVERIFY(frame_->action(Cmd::ViewFull)->isChecked());
        QVERIFY(frame_->trigger(Cmd::ViewStartImage));
        QCOMPARE(frame_->animateViewMode(), AnimateViewMode::StartImage);
        QVERIFY(frame_->trigger(Cmd::ViewStartImage)); // again: nothing changes
        QCOMPARE(frame_->animateViewMode(), AnimateViewMode::StartImage);
        QVERIFY(frame_->action(Cmd::ViewStartImage)->isChecked());
        QVERIFY(!frame_->action(Cmd::ViewFull)->isChecked());
    }

    void removingTheCurrentImageByKeyAndUndo() {
        addImages(2);
        QCOMPARE(frame_->project().currentImage, 1);
        QVERIFY(frame_->routeKey(Qt::Key_Delete, {}));
        QCOMPARE(frame_->project().imageCount(), 1);
        QVERIFY(frame_->trigger(Cmd::Undo));
        QCOMPARE(frame_->project().imageCount(), 2);
        // in Animate mode Delete belongs to the panel
        QVERIFY(frame_->trigger(Cmd::ModeAnimate));
        QVERIFY(!frame_->routeKey(Qt::Key_Delete, {}));
        QCOMPARE(frame_->project().imageCount(), 2);
        frame_->updateCommands();
        QVERIFY(!frame_->action(Cmd::RemoveImage)->isEnabled());
    }

    // The Movie view places the image where a rendered movie frame shows it, at any
    // size of the view.
    void movieViewFramesTheImageAsTheRenderedFrame() {
        Project project;
        project.movieWidth = 64;
        project.movieHeight = 48;
        auto image =
            buildPhotoImage(RasterImage(40, 60, 0xFF000000u), "tall.png", 3, CanvasColour::Black);
        image->setLayerPicture(kBackgroundLayer, RasterImage(40, 60, 0xFFFFFFFFu));
        project.images.append(std::move(image));
        MovieFrames tagged = projectMovieFrames(project);
        setZoomTag(tagged, {}, 0, 1.5);
        setLookAtTag(tagged, {}, 0, 3, -2);
        project.cameraValues = snapshotCameraValues(tagged);

        AnimationModel scene;
        QVERIFY(loadImageScene(project.images[0], scene).isOk());
        ProjectFrameRequest request;
        const Result<RasterImage> frame = renderProjectFrame(project, scene, request);
        QVERIFY(frame.isOk());
        int left = 64, top = 48, right = -1, bottom = -1;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                if (frame->at(x, y) == 0xFFFFFFFFu) {
                    left = std::min(left, x), top = std::min(top, y);
                    right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
                }
        for (int factor : {1, 3}) {
            const QRectF placed =
                movieImageRect(project, 0, 0, QRect(10, 20, 64 * factor, 48 * factor));
            const QRectF visible = placed.intersected(QRectF(10, 20, 64 * factor, 48 * factor));
            QVERIFY(std::abs((visible.left() - 10) / factor - left) <= 1);
            QVERIFY(std::abs((visible.top() - 20) / factor - top) <= 1);
            QVERIFY(std::abs((visible.right() - 10) / factor - right) <= 1);
            QVERIFY(std::abs((visible.bottom() - 20) / factor - bottom) <= 1);
        }
    }

    void canvasColourNeedsAnImage() {
        QVERIFY(!frame_->trigger(Cmd::CanvasBlack)); // greyed without an image
        QCOMPARE(frame_->workspace().placeholder().canvasColour, CanvasColour::Grid);
    }

    void viewTogglesFollowTheirBars() {
        QVERIFY(frame_->trigger(Cmd::ViewHistory));
        QVERIFY(frame_->historyWindow()->isVisible());
        QVERIFY(frame_->action(Cmd::ViewHistory)->isChecked());
        QVERIFY(frame_->trigger(Cmd::ViewSubject));
        QVERIFY(!frame_->showSubject());
        QVERIFY(!frame_->action(Cmd::ViewSubject)->isChecked());
        QVERIFY(frame_->trigger(Cmd::ViewTimeline));
        QVERIFY(!frame_->action(Cmd::ViewTimeline)->isChecked());
    }

    void recentProjectsKeepNine() {
        for (int i = 0; i < 11; ++i) {
            const QString path = dir_.filePath(QString("p%1.zxp").arg(i));
            QVERIFY(frame_->saveProject(path));
        }
        QMenu* recent = nullptr;
        for (QMenu* m : frame_->findChildren<QMenu*>())
            if (m->title() == "Recent Project") recent = m;
        QVERIFY(recent);
        QCOMPARE(recent->actions().size(), 9);
        QVERIFY(recent->actions().front()->text().endsWith("p10.zxp"));
        QCOMPARE(QString::fromStdString(store_->readString("Recent1").value_or("")),
                 QFileInfo(dir_.filePath("p10.zxp")).absoluteFilePath());
    }

    void closingAsksToSaveAndStopsTheClock() {
        addImages(1);
        QVERIFY(frame_->project().modified);
        prompter_.clear();
        prompter_.answers = {Answer::Cancel};
        QVERIFY(!frame_->close()); // Cancel keeps the window
        QCOMPARE(QString::fromStdString(prompter_.texts().back()),
                 QString("Save changes to Untitled?"));
        frame_->trigger(Cmd::ModeAnimate);
        QVERIFY(frame_->setAnimatePlaying(true));
        prompter_.answers = {Answer::No};
        QVERIFY(frame_->close());
        QVERIFY(!frame_->clock().running());
    }
};

QTEST_MAIN(ShellCommandsTest)
#include "ShellCommandsTest.moc"
