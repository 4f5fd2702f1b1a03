// "Publish To Web..." driven as a user would: the dialog's settings reach the page,
// "Browser Preview" writes a fresh folder and hands its page to the browser, and a
// scene a page cannot show gets a message and no browser.
#include "FrameHarness.h"

#include "app/CommandTable.h"
#include "commands/DemoScene.h"
#include "output/JsNumber.h"
#include "ui/WebGlExportDialog.h"

#include <QTableWidget>
#include <QUrl>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace zx;
namespace fs = std::filesystem;

namespace {

std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

class WebGlPublishTest : public QObject, public FrameHarness {
    Q_OBJECT

    std::vector<QUrl> opened_;

    void openDemo() {
        SilentPrompter silent;
        auto project =
            buildDemoProject({{demoPicture(160, 120), "demo.png"}}, settings_, nullptr, silent);
        QVERIFY(project);
        frame_->workspace().replaceProject(std::move(project));
        frame_->refreshAll();
        QVERIFY(frame_->trigger(Cmd::ModeAnimate) || frame_->mode() == AnimationMode::Animate);
    }

private slots:
    void init() {
        openFrame("settings.ini");
        frame_->show();
        opened_.clear();
        frame_->setUrlOpener([this](const QUrl& url) {
            opened_.push_back(url);
            return true;
        });
    }
    void cleanup() { closeFrame(); }

    void dialogSettingsReachThePage() {
        openDemo();
        QVERIFY(frame_->trigger(Cmd::PublishToWeb));
        WebGlExportDialog* dialog = frame_->webGlDialog();
        QVERIFY(dialog);
        dialog->pressShading(2);
        dialog->pressLight(0);
        QTableWidget* table = dialog->animatorTable();
        table->item(0, 3)->setText("15");   // scenery X rotation speed
        table->item(0, 1)->setText("oops"); // not a number: keeps its value

        dialog->pressBrowserPreview();
        QCOMPARE(opened_.size(), size_t(1));
        const fs::path first = opened_[0].toLocalFile().toStdString();
        QVERIFY(fs::is_regular_file(first));
        const std::string data = readText(first.parent_path() / kWebGlDataFile);
        QVERIFY(data.find("shading:{startvalue:" + jsNumber(128 / 255.0) + "}") !=
                std::string::npos);
        QVERIFY(data.find("vector:[.408, -.408, .816]") != std::string::npos);
        QVERIFY(data.find("xrot:{startvalue:0,speed:15}") != std::string::npos);
        QVERIFY(fs::is_regular_file(first.parent_path() / kWebGlPlayerFile));

        // A second preview gets a folder of its own; the stale one goes.
        dialog->pressBrowserPreview();
        QCOMPARE(opened_.size(), size_t(2));
        QVERIFY(opened_[1] != opened_[0]);
        QVERIFY(!fs::exists(first.parent_path()));

        // The settings come back as they were left at the next opening.
        const WebGlExportOptions before = dialog->options();
        dialog->close();
        QTRY_VERIFY(!frame_->webGlDialog());
        QVERIFY(frame_->trigger(Cmd::PublishToWeb));
        WebGlExportDialog* again = frame_->webGlDialog();
        QVERIFY(again);
        const WebGlExportOptions after = again->options();
        QCOMPARE(after.shadingIntensity, before.shadingIntensity);
        QCOMPARE(after.page.camera.xrot.speed, 15.0);
        QVERIFY(!after.projectLight);
        QVERIFY(after.page.light.vector == kWebGlLightButtons[0].vector);
        again->close();
    }

    // A browser picked from the list gets the page with its family's arguments.
    void chosenBrowserOpensThePage() {
        QTemporaryDir bin;
        const fs::path fake = fs::path(bin.path().toStdString()) / "firefox";
        {
            std::ofstream script(fake);
            script << "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args.tmp\" && mv \"$0.args.tmp\" "
                      "\"$0.args\"\n";
        }
        fs::permissions(fake, fs::perms::owner_all);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toUtf8() + ":" + path);
        openDemo();
        QVERIFY(frame_->trigger(Cmd::PublishToWeb));
        qputenv("PATH", path);
        WebGlExportDialog* dialog = frame_->webGlDialog();
        QVERIFY(dialog);
        dialog->chooseBrowser(1);
        QCOMPARE(dialog->chosenBrowser().program, fake);
        dialog->pressBrowserPreview();
        QVERIFY(opened_.empty());
        const fs::path args = fake.string() + ".args";
        QTRY_VERIFY(fs::exists(args));
        std::ifstream in(args);
        std::string flag, page;
        std::getline(in, flag);
        std::getline(in, page);
        QCOMPARE(flag, std::string("-url"));
        QVERIFY(fs::is_regular_file(page));
        dialog->close();
    }

    void folderExportAndEmptyScene() {
        openDemo();
        QTemporaryDir out;
        QVERIFY(frame_->exportWebGlToFolder(WebGlExportOptions{}, out.path()));
        QVERIFY(fs::is_regular_file(fs::path(out.path().toStdString()) / kWebGlPageFile));

        // An image without objects: the page would be empty, so no browser opens.
        QVERIFY(
            frame_->workspace().addPictureAsImage(RasterImage(40, 30, 0xFF336699u), "plain.png"));
        frame_->refreshAll();
        prompter_.clear();
        QVERIFY(!frame_->previewWebGl(WebGlExportOptions{}));
        QVERIFY(opened_.empty());
        QVERIFY(!prompter_.texts().empty());
    }
};

QTEST_MAIN(WebGlPublishTest)
#include "WebGlPublishTest.moc"
