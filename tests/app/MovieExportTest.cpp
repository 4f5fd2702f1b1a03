// Export Movie, Export Image and video import driven through the main frame as a
// user would, the dialogs answered by the test, offscreen.
#include "FrameHarness.h"

#include "app/CommandTable.h"
#include "app/Timeline.h"
#include "commands/ProjectMovieSource.h"
#include "commands/VideoStills.h"
#include "output/VideoFormat.h"
#include "ui/ExportMovieDialog.h"
#include "ui/ProgressWindow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QtTest>

#include <fstream>

using namespace zx;

namespace {

// An uncompressed AVI as the export writes it: the header's sizes and frame rows.
struct AviFile {
    std::vector<uint8_t> bytes;
    uint32_t word(size_t at) const {
        return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
               uint32_t(bytes[at + 3]) << 24;
    }
    int frames() const { return int(word(48)); }
    int width() const { return int(word(64)); }
    int height() const { return int(word(68)); }
    // Frame `i` as opaque pixels, top row first.
    RasterImage frame(int i) const {
        const int w = width(), h = height(), stride = (3 * w + 3) & ~3;
        const size_t start = 2048 + size_t(i) * (size_t(stride) * h + 8) + 8;
        RasterImage out(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = &bytes[start + size_t(h - 1 - y) * stride + size_t(x) * 3];
                out.at(x, y) = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
            }
        return out;
    }
};

AviFile readAvi(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {})};
}

int runningThreads() {
    return int(QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

} // namespace

class MovieExportTest : public QObject, public FrameHarness {
    Q_OBJECT

    QString project_;

    // The sample project, small and short: 48 × 36, images of 4 and 3 frames.
    void openSmallSample() {
        project_ = dir_.filePath("sample.zxp");
        QFile::remove(project_);
        QVERIFY(QFile::copy(ZX_SAMPLES_DIR "/sample.zxp", project_));
        QVERIFY(frame_->openProject(project_));
        Project& p = frame_->project();
        p.movieWidth = 48;
        p.movieHeight = 36;
        p.images[0].setDuration(4);
        p.images[1].setDuration(3);
        QVERIFY(frame_->saveProject(project_));
        QVERIFY(frame_->trigger(Cmd::ModeMovie));
    }
    // Answers the movie dialog with `path` in `format`, as displayed; `more` may set more.
    void answerMovieDialog(const QString& path, VideoFormat format,
                           std::function<void(ExportMovieDialog&)> more = {}) {
        frame_->answerExportMovieDialog = [=](ExportMovieDialog& d) {
            d.fileName->setText(path);
            d.format->button(int(format))->click();
            d.processing->button(0)->click();
            if (more) more(d);
            d.accept();
        };
    }
    // Runs `act` on the export's progress window as soon as the export shows it.
    void whenExporting(std::function<void(ProgressWindow&)> act) {
        QTimer::singleShot(0, frame_.get(), [this, act] {
            if (ProgressWindow* w = frame_->exportProgress())
                act(*w);
            else
                whenExporting(act);
        });
    }
    // Movie frame `index` as the command-line tool renders it (Medium: the preview
    // quality setting).
    RasterImage movieFrame(int index, RenderQuality quality = RenderQuality::Medium) {
        ProjectMovieOptions options;
        options.quality = quality;
        options.library.projectFolder = frame_->project().folder;
        ProjectMovieSource source(frame_->project(), options);
        return source.frame(index).value();
    }

private slots:
    void init() {
        installVideoStillConverter();
        openFrame("export.ini");
        frame_->show();
    }
    void cleanup() { closeFrame(); }

    void theDialogsNameAndFormatFollowEachOther() {
        ExportMovieDialog d({"/movies", "My *Film.zxp", 48, 36, 25}, prompter_);
        QCOMPARE(d.fileName->text(), QString("/movies/My Film.wmv"));
        d.format->button(int(VideoFormat::Avi))->click();
        QCOMPARE(d.fileName->text(), QString("/movies/My Film.avi"));
        for (QAbstractButton* b : d.bitRate->buttons()) QVERIFY(!b->isEnabled());
        QTest::keyClicks(d.fileName, "x.mp4");
        QCOMPARE(d.format->checkedId(), int(VideoFormat::Mp4));
        QVERIFY(d.bitRate->button(0)->isEnabled());
    }

    // The AVI holds the movie's frames as the movie renders them, then one second and
    // one frame of black; between markers on one frame, that frame alone, at Maximum
    // quality when asked.
    void anAviHoldsTheMovieFramesAndTheTrailer() {
        openSmallSample();
        const QString avi = dir_.filePath("movie.avi");
        answerMovieDialog(avi, VideoFormat::Avi,
                          [](ExportMovieDialog& d) { d.blackTrailer->setChecked(true); });
        QVERIFY(frame_->trigger(Cmd::ExportMovie));
        AviFile file = readAvi(avi);
        const int fps = frame_->project().fps;
        QCOMPARE(file.frames(), 7 + fps + 1);
        QCOMPARE(file.width(), 48);
        for (int i = 0; i < 7; ++i)
            QVERIFY2(file.frame(i) == movieFrame(i), qPrintable(QString::number(i)));
        QVERIFY(file.frame(7 + fps) == RasterImage(48, 36, 0xFF000000u));
        QCOMPARE(prompter_.texts().size(), size_t(0));

        frame_->timeline()->markers().setStart(5, 6);
        frame_->timeline()->markers().setEnd(5, 6);
        prompter_.answers = {Answer::Yes}; // replace the file
        answerMovieDialog(avi, VideoFormat::Avi,
                          [](ExportMovieDialog& d) { d.markersOnly->setChecked(true); });
        QVERIFY(frame_->trigger(Cmd::ExportMovie));
        file = readAvi(avi);
        QCOMPARE(file.frames(), 1);
        QVERIFY(file.frame(0) == movieFrame(5));
    }

    // Escape asks first: No goes on to a whole movie, Yes leaves no file behind.
    void escapeAsksAndYesLeavesNothing() {
        openSmallSample();
        const QString mp4 = dir_.filePath(QString::fromUtf8("cancel \"d\u00e9j\u00e0\" 1.mp4"));
        answerMovieDialog(mp4, VideoFormat::Mp4);
        prompter_.answers = {Answer::No};
        whenExporting([](ProgressWindow& w) { QTest::keyClick(&w, Qt::Key_Escape); });
        QVERIFY(frame_->trigger(Cmd::ExportMovie));
        QVERIFY(prompter_.saw("Cancel Movie Export, are you sure?"));
        QVERIFY(QFileInfo(mp4).size() > 0);

        QFile::remove(mp4);
        prompter_.clear();
        prompter_.answers = {Answer::Yes};
        whenExporting([](ProgressWindow& w) { QTest::keyClick(&w, Qt::Key_Escape); });
        QVERIFY(frame_->trigger(Cmd::ExportMovie));
        QVERIFY(prompter_.saw("Cancel Movie Export, are you sure?"));
        QCOMPARE(QDir(dir_.path()).entryList({"*cancel*"}, QDir::Files | QDir::Hidden),
                 QStringList());
    }

    // Closing the window mid-export ends the export and joins its workers before the
    // window's own close goes ahead; nothing is left under the file's name.
    void quittingDuringAnExportEndsEveryWorkerFirst() {
        openSmallSample();
        const QString avi = dir_.filePath("quit.avi");
        answerMovieDialog(avi, VideoFormat::Avi);
        const int before = runningThreads();
        int during = 0;
        bool exportGoneAtClose = false;
        whenExporting([&](ProgressWindow&) {
            during = runningThreads();
            frame_->close();
        });
        struct CloseWatch : QObject {
            std::function<void()> onClose;
            bool eventFilter(QObject*, QEvent* e) override {
                if (e->type() == QEvent::Close) onClose();
                return false;
            }
        } filter;
        // The last close counts: by then the export and its workers have ended. Movie
        // mode's own builder and the spool end inside the window's close itself.
        filter.onClose = [&] { exportGoneAtClose = frame_->exportProgress() == nullptr; };
        frame_->installEventFilter(&filter);
        QVERIFY(frame_->trigger(Cmd::ExportMovie));
        frame_->removeEventFilter(&filter);
        QVERIFY(during > before); // the builder's workers were running
        QVERIFY(exportGoneAtClose);
        QVERIFY(runningThreads() <= before);
        QVERIFY(!frame_->isVisible());
        QVERIFY(!QFile::exists(avi));
    }

    // Export Image in Movie mode saves what export-image saves for the same frame.
    void exportImageMatchesTheCommandLine() {
        openSmallSample();
        frame_->showMovieFrame(5);
        const QString png = dir_.filePath("frame.png"), cli = dir_.filePath("cli.png");
        frame_->answerExportImagePath = [&](const QString&) { return png; };
        QVERIFY(frame_->trigger(Cmd::ExportImage));
        QProcess run;
        run.start(ZX_CLI_BINARY, {"export-image", project_, "--frame", "5", "-o", cli, "--settings",
                                  dir_.filePath("none.ini"), "-q"});
        QVERIFY(run.waitForFinished(60000));
        QCOMPARE(run.exitCode(), 0);
        QFile a(png), b(cli);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(a.readAll(), b.readAll());

        frame_->answerExportImagePath = [&](const QString&) { return dir_.filePath("f.bmp"); };
        QVERIFY(frame_->trigger(Cmd::ExportImage));
        QVERIFY(!QFile::exists(dir_.filePath("f.bmp")));
    }

    void aDroppedVideoBecomesItsFirstFrame() {
        const QString video = dir_.filePath("clip one.mp4");
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg",
                     {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=25", "-t",
                      "1", "-pix_fmt", "yuv420p", video});
        QVERIFY(ffmpeg.waitForFinished(60000));
        QCOMPARE(ffmpeg.exitCode(), 0);
        QFile broken(dir_.filePath("broken.mov"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("no video in here");
        broken.close();
        frame_->dropFiles({broken.fileName(), video});
        QVERIFY(prompter_.saw("Not a valid video file, or format not supported"));
        QCOMPARE(frame_->project().imageCount(), 1);
        QCOMPARE(frame_->project().images[0].width(), 64);
        QCOMPARE(frame_->project().images[0].height(), 48);
    }
};

QTEST_MAIN(MovieExportTest)
#include "MovieExportTest.moc"
