// "Edit Library" from the main frame offscreen: the library dialog with its preview,
// the new image with the library object, saving it back, and undo.
#include "FrameHarness.h"

#include "anim/LibraryFile.h"
#include "app/CommandTable.h"
#include "storage/GzContainer.h"
#include "ui/LibraryFileDialog.h"

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QtTest>

using namespace zx;

class LibraryEditingTest : public QObject, public FrameHarness {
    Q_OBJECT

private:
    static std::vector<uint8_t> content(const QString& file) {
        return readGzContainer(file.toStdString(), "ZZXL").data;
    }

    // Answers the next library dialog with `file`, checking its preview on the way.
    void answerLibraryDialog(const QString& file, bool& previewed) {
        QTimer::singleShot(0, this, [this, file, &previewed] {
            auto* dialog = qobject_cast<LibraryFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            dialog->selectFile(file);
            dialog->showPreview(file);
            previewed = !dialog->preview().isNull();
            static_cast<QDialog*>(dialog)->accept();
        });
    }

private slots:
    void init() { openFrame("settings.ini"); }
    void cleanup() { closeFrame(); }

    void editLibraryOpensTheObjectOnANewImageAndSavesItBack() {
        QVERIFY(frame_->openProject(ZX_SAMPLES_DIR "/sample.zxp"));
        const QString lib = dir_.filePath("whole.zxl");
        QVERIFY(frame_->saveObjectFile(lib));
        const int images = frame_->project().imageCount();

        bool previewed = false;
        answerLibraryDialog(lib, previewed);
        QVERIFY(frame_->trigger(Cmd::EditLibrary));
        QVERIFY(previewed);
        QCOMPARE(frame_->project().imageCount(), images + 1);
        QCOMPARE(frame_->project().currentImage, images);
        QCOMPARE(frame_->mode(), AnimationMode::Animate);
        QCOMPARE(frame_->action(Cmd::Undo)->text(), QString("Undo Edit Library\tCtrl+Z"));
        QVERIFY(frame_->action(Cmd::SaveAsObject)->isEnabled());

        // Saved back alone, the unchanged object gives the file it came from.
        const QString back = dir_.filePath("back.zxl");
        QVERIFY(frame_->saveOneObjectFile(back, 0));
        QCOMPARE(content(back), content(lib));

        QVERIFY(frame_->trigger(Cmd::Undo));
        QCOMPARE(frame_->project().imageCount(), images);
        QVERIFY(frame_->trigger(Cmd::Redo));
        QCOMPARE(frame_->project().imageCount(), images + 1);
    }

    void aFileThatIsNoLibraryAddsNoImage() {
        const QString bad = dir_.filePath("bad.zxl");
        QFile f(bad);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a library");
        f.close();
        const int images = frame_->project().imageCount();
        QVERIFY(!frame_->editLibraryFile(bad));
        QCOMPARE(frame_->project().imageCount(), images);
        QVERIFY(prompter_.saw(LibraryMessage::CannotRead));
    }
};

QTEST_MAIN(LibraryEditingTest)
#include "LibraryEditingTest.moc"
