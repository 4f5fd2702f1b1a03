// zelvotrix [PROJECT] [--mode edit|align|animate|movie|3d] [--screenshot OUT.png]
#include "app/AutomaticPrompter.h"
#include "app/CommandTable.h"
#include "app/MainFrame.h"
#include "app/QtSettingsStore.h"
#include "commands/VideoStills.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

bool haveDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return (platform && *platform) || std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

int modeCommand(const QString& name) {
    if (name == "edit") return zx::Cmd::ModeImageEdit;
    if (name == "align") return zx::Cmd::ModeImageAlign;
    if (name == "animate") return zx::Cmd::ModeAnimate;
    if (name == "movie") return zx::Cmd::ModeMovie;
    if (name == "3d") return zx::Cmd::Mode3DCreator;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    bool screenshot = false;
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--screenshot") screenshot = true;
    if (!haveDisplay()) {
        if (!screenshot) {
            std::fprintf(stderr, "zelvotrix: no display (DISPLAY and WAYLAND_DISPLAY are unset); "
                                 "use the command-line tool zelvotrix-cli instead\n");
            return 2;
        }
        // A screenshot needs no screen.
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName("Brenlok");
    QApplication::setApplicationName("Zelvotrix");
    // Videos open wherever a picture does, as their first frame.
    zx::installVideoStillConverter();

    QCommandLineParser parser;
    parser.setApplicationDescription("Zelvotrix turns still photographs into animations");
    parser.addHelpOption();
    parser.addPositionalArgument("project", "a project (.zxp) to open");
    QCommandLineOption modeOption("mode", "enter a mode: edit, align, animate, movie or 3d",
                                  "mode");
    QCommandLineOption shotOption("screenshot", "save a picture of the window and quit", "file");
    parser.addOption(modeOption);
    parser.addOption(shotOption);
    parser.process(app);

    // A screenshot run has nobody to close a message box: prompts answer themselves.
    const bool automatic = parser.isSet(shotOption);
    zx::AutomaticPrompter automaticPrompter;
    zx::QtSettingsStore store;
    zx::Settings settings = zx::readSettings(store);
    zx::MainFrame frame(settings, &store, automatic ? &automaticPrompter : nullptr);

    bool opened = true;
    const QStringList args = parser.positionalArguments();
    if (!args.isEmpty()) {
        frame.suspendImportLimitForRun();
        opened = frame.openProject(args.front());
    }
    if (parser.isSet(modeOption)) {
        const int id = modeCommand(parser.value(modeOption));
        if (!id) {
            std::fprintf(stderr, "zelvotrix: unknown mode %s\n",
                         qPrintable(parser.value(modeOption)));
            return 2;
        }
        frame.trigger(id);
    }

    if (parser.isSet(shotOption)) {
        frame.resize(1280, 800);
        frame.show();
        QApplication::processEvents();
        const QString out = parser.value(shotOption);
        bool saved = false;
        QTimer::singleShot(50, &frame, [&] {
            saved = frame.grab().save(out);
            frame.project().modified = false;
            QApplication::quit();
        });
        QApplication::exec();
        if (!saved) {
            std::fprintf(stderr, "zelvotrix: could not write %s\n", qPrintable(out));
            return 1;
        }
        return opened && !automaticPrompter.failureReported() ? 0 : 1;
    }

    if (settings.windowMaximised)
        frame.showMaximized();
    else
        frame.show();
    return QApplication::exec();
}
