// The program itself in its screenshot mode, run as a script would run it: nobody is
// there to close a message box, so a failure must end the run with a non-zero code.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class ScreenshotModeTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    // Runs the program on `project` (none when empty); the exit code, or -1 when it
    // did not end within the time a screenshot takes.
    int screenshot(const QString& project, QString* errors = nullptr) {
        QStringList args;
        if (!project.isEmpty()) args << project;
        args << "--screenshot" << dir_.filePath("shot.png");
        QProcess run;
        run.start(ZX_APP_BINARY, args);
        if (!run.waitForFinished(30000)) {
            run.kill();
            run.waitForFinished();
            return -1;
        }
        if (errors) *errors = QString::fromUtf8(run.readAllStandardError());
        return run.exitStatus() == QProcess::NormalExit ? run.exitCode() : -1;
    }

private slots:
    void aSoundRunSucceeds() {
        QCOMPARE(screenshot({}), 0);
        QVERIFY(QFile::exists(dir_.filePath("shot.png")));
    }

    void aMissingOrCorruptProjectEndsTheRunWithItsMessage() {
        QString errors;
        const int missing = screenshot(dir_.filePath("nothing-here.zxp"), &errors);
        QVERIFY2(missing > 0, qPrintable(QString::number(missing)));
        QVERIFY(!errors.isEmpty());

        QFile bad(dir_.filePath("bad.zxp"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a project at all");
        bad.close();
        const int corrupt = screenshot(bad.fileName(), &errors);
        QVERIFY2(corrupt > 0, qPrintable(QString::number(corrupt)));
        QVERIFY(errors.contains("corrupted"));

        QFile picture(dir_.filePath("broken.png"));
        QVERIFY(picture.open(QIODevice::WriteOnly));
        picture.write("\x89PNG\r\n\x1a\n broken");
        picture.close();
        QVERIFY(screenshot(picture.fileName()) > 0);
    }
};

QTEST_MAIN(ScreenshotModeTest)
#include "ScreenshotModeTest.moc"
