// The main frame driven as a user would: commands, modes, history, timeline,
// dropped files and the memory pane, offscreen.
#include "FrameHarness.h"

#include "anim/CurveLibrary.h"
#include "anim/LibraryFile.h"
#include "app/CommandTable.h"
#include "app/MainFrame.h"
#include "app/QtSettingsStore.h"
#include "app/Timeline.h"
#include "platform/RecordingPrompter.h"
#include "storage/CurveFile.h"
#include "ui/HistoryWindow.h"
#include "ui/ModePanels.h"
#include "ui/SetDurationDialog.h"
#include "ui/ThreeDPreviewDialog.h"

#include <QAction>
#include <QListWidget>
#include <QSet>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <utility>
#include <vector>

using namespace zx;

class MainFrameTest : public QObject, public FrameHarness {
    Q_OBJECT

private:
    void addImages(int n) {
        for (int i = 0; i < n; ++i)
            QVERIFY(frame_->workspace().addPictureAsImage(RasterImage(40 + i, 30, 0xFF336699u),
                                                          "photo" + std::to_string(i) + ".png"));
        frame_->refreshAll();
    }
    QString undoText() const { return frame_->action(Cmd::Undo)->text(); }

private slots:
    void init() {
        openFrame("settings.ini");
        frame_->resize(1000, 700);
        frame_->show();
    }
    void cleanup() { closeFrame(); }

    void commandTableIsConsistent() {
        QSet<int> ids;
        for (const CommandEntry& e : commandTable()) {
            QVERIFY2(!ids.contains(e.id), qPrintable(QString::number(e.id)));
            ids.insert(e.id);
            QAction* a = frame_->action(e.id);
            QVERIFY(a);
            if (e.id != Cmd::Undo && e.id != Cmd::Redo) QCOMPARE(a->text(), e.text);
        }
        // Undo and Redo are composed from the history: nothing to undo yet.
        QCOMPARE(undoText(), QString("Undo\tCtrl+Z"));
        QCOMPARE(frame_->action(Cmd::Redo)->text(), QString("Redo\tCtrl+Y"));
        frame_->updateCommands();
        // commands of later work are present and greyed
        QVERIFY(!frame_->action(Cmd::ExportMovie)->isEnabled());
        QVERIFY(!frame_->action(Cmd::SelectAll)->isEnabled());
        QVERIFY(!frame_->trigger(Cmd::Crop));
        QCOMPARE(frame_->action(Cmd::CanvasGrid)->text(), QString("G&rid\tCtrl+R"));
        QCOMPARE(frame_->action(Cmd::New)->shortcut(), QKeySequence("Ctrl+N"));
    }

    void modeSwitchesAndTheirHistorySteps() {
        addImages(1);
        QCOMPARE(frame_->mode(), AnimationMode::ImageEdit);
        frame_->workspace().record(
            HistoryStep::panelStep(AnimationMode::ImageEdit, "Select All", 0, false, 0));
        QVERIFY(frame_->trigger(Cmd::ModeAnimate));
        QCOMPARE(frame_->mode(), AnimationMode::Animate);
        QVERIFY(frame_->action(Cmd::ModeAnimate)->isChecked());
        QCOMPARE(frame_->statusText(), QString("Ready"));
        auto* stack = frame_->findChild<QStackedWidget*>();
        QCOMPARE(stack->currentIndex(), 2);
        frame_->workspace().record(
            HistoryStep::panelStep(AnimationMode::Animate, "Move Dot", 0, false, 0));
        const auto labels = frame_->project().history.labels();
        QCOMPARE(QString::fromStdString(labels[labels.size() - 2]), QString("Animate Mode"));
        // the History window lists them with the current one selected
        QListWidget* list = frame_->historyWindow()->list();
        QCOMPARE(list->count(), int(labels.size()));
        QCOMPARE(list->currentItem()->text(), QString("Move Dot"));

        QVERIFY(frame_->trigger(Cmd::Undo));
        QVERIFY(frame_->trigger(Cmd::Undo));
        QCOMPARE(frame_->mode(), AnimationMode::ImageEdit);
        // clicking an entry jumps there
        list->setCurrentRow(list->count() - 1);
        QCOMPARE(frame_->mode(), AnimationMode::Animate);
        QCOMPARE(frame_->project().history.position(), list->count() - 1);

        QVERIFY(frame_->trigger(Cmd::ModeMovie));
        QCOMPARE(frame_->project().currentImage, 0); // the first movie frame's image
        QVERIFY(frame_->trigger(Cmd::Mode3DCreator));
        QCOMPARE(stack->currentIndex(), 4);
    }

    void durationUndoRedoAndMenuTexts() {
        addImages(2);
        QCOMPARE(undoText(), QString("Undo Import Subject Image\tCtrl+Z"));
        Workspace& ws = frame_->workspace();
        const int steps = frame_->project().history.size();
        QVERIFY(ws.setImageDuration(40, false));
        QVERIFY(ws.setImageDuration(40, false));
        QCOMPARE(frame_->project().history.size(), steps + 1);
        frame_->updateCommands();
        QCOMPARE(undoText(), QString("Undo Image Duration\tCtrl+Z"));
        QCOMPARE(frame_->action(Cmd::Redo)->text(), QString("Redo\tCtrl+Y"));
        QVERIFY(!frame_->action(Cmd::Redo)->isEnabled());
        QVERIFY(frame_->trigger(Cmd::Undo));
        QCOMPARE(frame_->project().images[1].duration(), 75);
        QCOMPARE(frame_->action(Cmd::Redo)->text(), QString("Redo Image Duration\tCtrl+Y"));
        QVERIFY(frame_->trigger(Cmd::Redo));
        QCOMPARE(frame_->project().images[1].duration(), 40);
    }

    void setDurationDialogArithmetic() {
        SetDurationDialog d(40, 25);
        QCOMPARE(d.frames(), 40);
        d.setValues(2, 3, true);
        QCOMPARE(d.frames(), 53);
        QVERIFY(d.applyToAll());
    }

    void droppedFilesAreRoutedByExtension() {
        prompter_.clear();
        frame_->dropFiles(
            {"/tmp/thing.zxl", "/tmp/notes.txt", QString(ZX_SAMPLES_DIR) + "/chelsea.png"});
        QCOMPARE(prompter_.texts().size(), size_t(2));
        QCOMPARE(QString::fromStdString(prompter_.texts()[0]),
                 QString("To load a library object, please use \"File\" \"Load Object\" from "
                         "the main menu"));
        QCOMPARE(QString::fromStdString(prompter_.texts()[1]), QString("Unrecognized file format"));
        QCOMPARE(frame_->project().imageCount(), 1);
        QCOMPARE(frame_->project().images[0].width(), 451);
        // a corrupt project leaves the open one as it was
        QFile bad(dir_.filePath("bad.zxp"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a project at all");
        bad.close();
        prompter_.clear();
        prompter_.answers = {Answer::No}; // "Save changes to Untitled?"
        QVERIFY(!frame_->openProject(bad.fileName()));
        QCOMPARE(frame_->project().imageCount(), 1);
        QVERIFY(QString::fromStdString(prompter_.texts().back())
                    .startsWith("Not a valid Zelvotrix project, or file corrupted\n"));
    }

    // Labels and names are Windows-1252 text: shown as such, with '&' kept literal.
    void eightBitLabelsAndNamesShowAsWindows1252() {
        addImages(1);
        frame_->workspace().record(
            HistoryStep::panelStep(AnimationMode::ImageEdit, "Caf\xE9 & Co", 0, false, 0));
        frame_->refreshAll();
        QCOMPARE(undoText(), QString::fromUtf8("Undo Caf\u00E9 && Co\tCtrl+Z"));
        QCOMPARE(frame_->historyWindow()->list()->currentItem()->text(),
                 QString::fromUtf8("Caf\u00E9 & Co"));
        // a picture the user picks keeps its file's name in Windows-1252
        const QString picked = dir_.filePath(QString::fromUtf8("caf\u00E9.png"));
        QVERIFY(QFile::copy(QString(ZX_SAMPLES_DIR) + "/chelsea.png", picked));
        frame_->dropFiles({picked});
        QCOMPARE(frame_->project().images[1].layer(kSubjectLayer)->name,
                 std::string("caf\xE9.png"));
    }

    void saveAndReopenAProject() {
        addImages(2);
        QVERIFY(frame_->trigger(Cmd::ModeAnimate));
        const QString path = dir_.filePath("two.zxp");
        QVERIFY(frame_->saveProject(path));
        QVERIFY(!frame_->project().modified);
        QVERIFY(frame_->trigger(Cmd::New));
        QCOMPARE(frame_->project().imageCount(), 0);
        QVERIFY(frame_->openProject(path));
        QCOMPARE(frame_->project().imageCount(), 2);
        QCOMPARE(frame_->mode(), AnimationMode::Animate); // the stored mode, entered afresh
        QCOMPARE(frame_->statusText(), QString("Ready"));
    }

    void aProjectWithoutTimelineStateShowsBothRows() {
        addImages(1);
        frame_->project().timelineWords = {};
        const QString path = dir_.filePath("bare.zxp");
        QVERIFY(frame_->saveProject(path));
        QVERIFY(frame_->openProject(path));
        QVERIFY(frame_->showSubject());
        QVERIFY(frame_->showBackground());
        QCOMPARE(frame_->timeline()->scale(), 4);
    }

    void timelineHitTestingAndKeys() {
        addImages(3);
        TimelineBar* bar = frame_->timeline();
        bar->setScale(2);
        QCOMPARE(bar->scale(), 2);
        bar->setScale(1000);
        QCOMPARE(bar->scale(), 64);
        bar->setScale(1);
        bar->setScale(zoomTimelineOut(bar->scale()));
        QCOMPARE(bar->scale(), 1);
        bar->setScale(4); // 75 frames → 300 px per image
        bar->setFirstImage(0);
        TimelineStrips* strips = bar->strips();
        const int y = strips->subjectTop() + 10;
        bool background = true;
        QCOMPARE(strips->imageAt(QPoint(10, y), &background), 0);
        QVERIFY(!background);
        QCOMPARE(strips->imageAt(QPoint(310, y)), 1);
        QCOMPARE(strips->imageAt(QPoint(5000, y)), 2);
        QCOMPARE(strips->imageAt(QPoint(10, strips->backgroundTop() + 5), &background), 0);
        QVERIFY(background);

        // clicking selects; Page Down on the last selects the first
        QTest::mouseClick(strips, Qt::LeftButton, {}, QPoint(310, y));
        QCOMPARE(frame_->project().currentImage, 1);
        QVERIFY(frame_->routeKey(Qt::Key_End, {}));
        QCOMPARE(frame_->project().currentImage, 2);
        QVERIFY(frame_->routeKey(Qt::Key_PageDown, {}));
        QCOMPARE(frame_->project().currentImage, 0);
        QVERIFY(frame_->routeKey(Qt::Key_PageUp, {}));
        QCOMPARE(frame_->project().currentImage, 2);
        QVERIFY(frame_->routeKey(Qt::Key_Tab, {})); // Tab in Image Edit: next
        QCOMPARE(frame_->project().currentImage, 0);
        QVERIFY(frame_->routeKey(Qt::Key_Home, {}));
        QCOMPARE(frame_->project().currentImage, 0);

        // hovering a thumbnail tells the duration
        QTest::mouseMove(strips, QPoint(20, y));
        QCOMPARE(frame_->paneText(1), QString("Duration= 3:0"));
        QCOMPARE(frame_->statusText(),
                 QString("Click to select. Drag to move on timeline. Right click for additional "
                         "options"));
    }

    void durationDragRecordsAStep() {
        addImages(1);
        TimelineBar* bar = frame_->timeline();
        bar->setScale(4);
        TimelineStrips* strips = bar->strips();
        const int y = strips->subjectTop() + 10;
        // the bar ends at 75 × 4 = 300 px
        QTest::mousePress(strips, Qt::LeftButton, {}, QPoint(300, y));
        QTest::mouseMove(strips, QPoint(400, y));
        QTest::mouseRelease(strips, Qt::LeftButton, {}, QPoint(400, y));
        QCOMPARE(frame_->project().images[0].duration(), 100);
        QCOMPARE(QString::fromStdString(frame_->project().history.labels().back()),
                 QString("Image Duration"));
        QVERIFY(frame_->trigger(Cmd::Undo));
        QCOMPARE(frame_->project().images[0].duration(), 75);
    }

    void draggingAThumbnailMovesTheImage() {
        addImages(3); // 40, 41 and 42 pixels wide, 300 px each at scale 4
        TimelineBar* bar = frame_->timeline();
        bar->setScale(4);
        bar->setFirstImage(0);
        TimelineStrips* strips = bar->strips();
        const int y = strips->subjectTop() + 10;
        auto widths = [&] {
            QList<int> w;
            for (int i = 0; i < frame_->project().imageCount(); ++i)
                w << frame_->project().images[i].width();
            return w;
        };
        // a click alone selects and moves nothing
        QTest::mouseClick(strips, Qt::LeftButton, {}, QPoint(20, y));
        QCOMPARE(frame_->project().currentImage, 0);
        QCOMPARE(widths(), (QList<int>{40, 41, 42}));

        QTest::mousePress(strips, Qt::LeftButton, {}, QPoint(20, y));
        QTest::mouseMove(strips, QPoint(400, y));
        QTest::mouseMove(strips, QPoint(650, y));
        QTest::mouseRelease(strips, Qt::LeftButton, {}, QPoint(650, y));
        QCOMPARE(widths(), (QList<int>{41, 42, 40}));
        QCOMPARE(frame_->project().currentImage, 2);
        QCOMPARE(undoText(), QString("Undo Move Image on Timeline\tCtrl+Z"));
        QVERIFY(frame_->trigger(Cmd::Undo));
        QCOMPARE(widths(), (QList<int>{40, 41, 42}));

        // other modes only select
        QVERIFY(frame_->trigger(Cmd::ModeAnimate));
        QTest::mousePress(strips, Qt::LeftButton, {}, QPoint(20, y));
        QTest::mouseMove(strips, QPoint(650, y));
        QTest::mouseRelease(strips, Qt::LeftButton, {}, QPoint(650, y));
        QCOMPARE(widths(), (QList<int>{40, 41, 42}));
    }

    void movieModeKeysAndMarkers() {
        addImages(2); // 150 movie frames
        QVERIFY(frame_->trigger(Cmd::ModeMovie));
        QCOMPARE(frame_->movieFrameCount(), 150);
        QVERIFY(frame_->routeKey(Qt::Key_PageDown, {}));
        QCOMPARE(frame_->timeline()->markers().cursor, 75);
        QCOMPARE(frame_->project().currentImage, 1);
        QVERIFY(frame_->routeKey(Qt::Key_Right, {}));
        QCOMPARE(frame_->timeline()->markers().cursor, 76);
        QVERIFY(frame_->routeKey(Qt::Key_End, {}));
        QCOMPARE(frame_->timeline()->markers().cursor, 149);
        QVERIFY(frame_->routeKey(Qt::Key_Right, {})); // clamped at the end
        QCOMPARE(frame_->timeline()->markers().cursor, 149);
    }

    void moviePanelShowsTheLengthAndTheFrameShown() {
        addImages(2); // two images of 3 s at 25 frames/sec
        QVERIFY(frame_->trigger(Cmd::ModeMovie));
        QCOMPARE(frame_->moviePanel()->lengthText(), QString("6:0"));
        QCOMPARE(frame_->moviePanel()->timeStampText(), QString("0:0"));
        QVERIFY(frame_->routeKey(Qt::Key_End, {}));
        QCOMPARE(frame_->moviePanel()->timeStampText(), QString("5:24"));
    }

    void userCurvesAreLoadedAtStartUp() {
        closeFrame();
        QFile curves(dir_.filePath(
            QString::fromUtf8(kUserCurveFileName.data(), qsizetype(kUserCurveFileName.size()))));
        QVERIFY(curves.open(QIODevice::WriteOnly));
        curves.write("CURVES\n\nCURVE Mine\nLINEAR\n0,0\n512,512\n");
        curves.close();
        {
            QtSettingsStore store(dir_.filePath("curves.ini"));
            store.writeString("CurveDir", dir_.path().toStdString() + "/");
            QVERIFY(store.flush());
        }
        openFrame("curves.ini");
        QCOMPARE(frame_->curves().count(), kBuiltInCurveCount + 1);
        QVERIFY(frame_->curves().find("Mine") >= 0);
    }

    // The Animate view draws the current frame in the movie settings' preview quality.
    void animateViewFollowsThePreviewQuality() {
        QVERIFY(frame_->openProject(ZX_SAMPLES_DIR "/sample.zxp"));
        QCOMPARE(frame_->mode(), AnimationMode::Animate);
        QVERIFY(frame_->trigger(Cmd::ViewCurrentFrame));
        QWidget* view = frame_->centralWidget();
        frame_->settings().videoRender = 0;
        const QImage low = view->grab().toImage();
        frame_->settings().videoRender = 1;
        const QImage medium = view->grab().toImage();
        QVERIFY(low != medium);
    }

    void zoomAndCanvasCommands() {
        addImages(1);
        for (int i = 0; i < 6; ++i) frame_->trigger(Cmd::ZoomIn);
        QCOMPARE(frame_->zoom(), 4);
        frame_->updateCommands();
        QVERIFY(!frame_->action(Cmd::ZoomIn)->isEnabled());
        QVERIFY(frame_->trigger(Cmd::ZoomReset));
        QCOMPARE(frame_->zoom(), 0);
        QVERIFY(frame_->action(Cmd::ZoomReset)->isChecked());
        QVERIFY(frame_->trigger(Cmd::CanvasBlue));
        QCOMPARE(frame_->project().images[0].canvasColour, CanvasColour::Blue);
        QVERIFY(frame_->action(Cmd::CanvasBlue)->isChecked());
        QVERIFY(!frame_->action(Cmd::CanvasGrid)->isChecked());
    }

    void lowMemoryWarningOncePerRun() {
        prompter_.clear();
        MemoryStatus s{4000ull << 20, 440ull << 20, 89, 0};
        frame_->setMemoryStatusForTest(s);
        QVERIFY(prompter_.entries.empty());
        QVERIFY(frame_->paneText(3).startsWith("  Memory usage = "));
        s.loadPercent = 90;
        frame_->setMemoryStatusForTest(s);
        QCOMPARE(prompter_.entries.size(), size_t(1));
        frame_->setMemoryStatusForTest(s);
        QCOMPARE(prompter_.entries.size(), size_t(1));
    }

    void animatePlaybackAdvancesFrames() {
        addImages(1);
        frame_->project().images[0].setDuration(3);
        QVERIFY(frame_->trigger(Cmd::ModeAnimate));
        AnimatePanel* panel = frame_->animatePanel();
        panel->setLooping(false);
        panel->setPlaying(true);
        QVERIFY(frame_->clock().running());
        // wait for the clock to run the image to its end and stop
        QTRY_VERIFY_WITH_TIMEOUT(!panel->playing(), 5000);
        QCOMPARE(frame_->project().images[0].currentFrame(), 3);
        QVERIFY(!frame_->clock().running());
    }

    void threeDPreviewButtons() {
        ThreeDPreviewDialog d(RasterImage(200, 100, 0xFF808080u), nullptr);
        QCOMPARE(d.camera().distance, 800.0);
        d.press("Front <-> Rear View");
        d.press("Front <-> Rear View");
        QCOMPARE(d.camera().turnDeg, 0.0);
        d.press("Strong Shading");
        QCOMPARE(d.camera().lightIntensity, 128);
    }

    void saveAndLoadObjectFromTheSample() {
        QVERIFY(frame_->openProject(ZX_SAMPLES_DIR "/sample.zxp"));
        QCOMPARE(frame_->mode(), AnimationMode::Animate);
        QVERIFY(frame_->action(Cmd::SaveAsObject)->isEnabled());
        QVERIFY(frame_->action(Cmd::LoadObject)->isEnabled());
        const QString lib = dir_.filePath("whole.zxl");
        QVERIFY(frame_->saveObjectFile(lib));
        QVERIFY(readLibraryThumbnail(lib.toStdString()).has_value());
        QVERIFY(!frame_->project().modified); // saving an object does not change the project

        ProjectImage* image = frame_->workspace().currentImage();
        const auto before = image->animation;
        QVERIFY(frame_->loadObjectFile(lib));
        QCOMPARE(undoText(), QString("Undo Load Object\tCtrl+Z"));
        QVERIFY(image->animation != before);
        QVERIFY(frame_->trigger(Cmd::Undo));
        QCOMPARE(image->animation, before);

        // the cat has no animated objects: nothing to save as an object
        QVERIFY(frame_->workspace().selectImage(1));
        frame_->updateCommands();
        QVERIFY(!frame_->action(Cmd::SaveAsObject)->isEnabled());
        QVERIFY(frame_->action(Cmd::LoadObject)->isEnabled());
    }

    void threeDPreviewTurnsInStepsAndEndsSharp() {
        std::vector<std::pair<double, int>> seen; // turn shown, pixel step
        ThreeDPreviewDialog d(RasterImage(200, 100, 0xFF808080u),
                              [&](const PreviewCamera& c, int w, int h, int step) {
                                  seen.emplace_back(c.turnDeg, step);
                                  return RasterImage(w, h, 0xFF000000u);
                              });
        const double start = d.shownTurn();
        seen.clear();
        d.press("Front <-> Rear View");
        QVERIFY(d.turning());
        QCOMPARE(d.shownTurn(), start); // the view has not jumped
        QTRY_VERIFY_WITH_TIMEOUT(!d.turning(), 5000);
        QCOMPARE(d.shownTurn(), d.camera().turnDeg);
        QVERIFY(seen.size() >= 3);
        for (size_t i = 0; i + 1 < seen.size(); ++i)
            QCOMPARE(seen[i].second, 2); // quick pictures on the way
        QCOMPARE(seen.back(), std::make_pair(d.camera().turnDeg, 1));
        QCOMPARE(d.picture().at(0, 0), 0xFF000000u); // the renderer's picture is shown
    }

    void commandLineProjectKeepsTheStoredImportLimit() {
        settings_.maxSize = 64;
        frame_->settings().maxSize = 64;
        frame_->suspendImportLimitForRun();
        QCOMPARE(frame_->settings().maxSize, -1);
        prompter_.clear();
        QVERIFY(
            frame_->workspace().addPictureAsImage(RasterImage(200, 20, 0xFF000000u), "big.png"));
        QVERIFY(prompter_.entries.empty()); // no reduction offered in this run
        QCOMPARE(frame_->project().images[0].width(), 200);
        frame_->project().modified = false;
        QVERIFY(frame_->close());
        QCOMPARE(store_->readInt("MaxSize").value_or(0), 64);
    }

    void settingsLiveInTheStore() {
        store_->writeInt("FPS", 101);
        const Settings s = readSettings(*store_);
        QCOMPARE(s.fps, 30);
        QVERIFY(store_->flush());
        QtSettingsStore again(dir_.filePath("settings.ini"));
        QCOMPARE(again.readInt("FPS").value_or(0), 101);
    }
};

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
