// "Publish To Web...": the current image's animated scene as a WebGL page, previewed
// in the desktop's browser or written to a folder the user picks.

#include "app/MainFrame.h"
#include "app/WaitCursor.h"

#include "ui/QtText.h"
#include "ui/WebGlExportDialog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QProcess>
#include <QUrl>

namespace zx {

namespace fs = std::filesystem;

namespace {

fs::path playerScript() {
    return findPlayerScript(enginePath(QCoreApplication::applicationDirPath()));
}

} // namespace

WebGlExportDialog* MainFrame::webGlDialog() const {
    return webGlDialog_.data();
}

// "Publish To Web...": in Movie mode the movie goes to the publication service as a
// video; otherwise the scene's page settings open first, with Browser Preview, a
// folder export, and Publish... on to the service.
void MainFrame::onPublishToWeb() {
    if (mode() == AnimationMode::Movie) {
        runPublishDialog(false);
        return;
    }
    if (webGlDialog_) {
        webGlDialog_->raise();
        webGlDialog_->activateWindow();
        return;
    }
    const ProjectImage* image = project().current();
    if (!image) return;
    // Opening checks the limits, so a scene a page cannot show never gets the dialog.
    if (!openWebGlExport(project(), project().currentImage, playerScript(), &prompter())) return;
    if (webGl_.width <= 0 || webGl_.height <= 0) {
        webGl_.width = std::clamp(image->width(), kMinWebGlCanvasSide, kMaxWebGlCanvasSide);
        webGl_.height = std::clamp(image->height(), kMinWebGlCanvasSide, kMaxWebGlCanvasSide);
    }
    auto* dialog = new WebGlExportDialog(webGl_, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setCurrentFrame(image->currentFrame());
    dialog->setBrowsers(previewBrowsers());
    dialog->onBrowserPreview(
        [this, dialog](const WebGlExportOptions& o) { previewWebGl(o, dialog->chosenBrowser()); });
    dialog->onExportToFolder([this, dialog](const WebGlExportOptions& o) {
        const QString folder = QFileDialog::getExistingDirectory(dialog, "Export to Folder");
        if (!folder.isEmpty()) exportWebGlToFolder(o, folder);
    });
    dialog->onPublish([this](const WebGlExportOptions& o) {
        webGl_ = o;
        runPublishDialog(false);
    });
    // The settings stay for the next opening in this session.
    connect(dialog, &QDialog::finished, this, [this, dialog] { webGl_ = dialog->options(); });
    webGlDialog_ = dialog;
    dialog->open();
}

bool MainFrame::exportWebGlToFolder(const WebGlExportOptions& options, const QString& folder) {
    WebGlExportOptions o = options;
    o.image = project().currentImage;
    WaitCursor busy;
    const Status s = exportWebGl(project(), o, enginePath(folder), playerScript(), &prompter());
    prompter().status(kReadyStatus);
    return bool(s);
}

bool MainFrame::previewWebGl(const WebGlExportOptions& options, const Browser& browser) {
    WebGlExportOptions o = options;
    o.image = project().currentImage;
    const fs::path root = fs::path(enginePath(QDir::tempPath())) / "zelvotrix-preview";
    Result<fs::path> page = [&] {
        WaitCursor busy;
        return writeWebGlPreview(project(), o, root, playerScript(), &prompter());
    }();
    prompter().status(kReadyStatus);
    if (!page) return false;
    // The page of the previous preview is stale now; its folder goes.
    std::error_code ec;
    if (!lastWebGlPreview_.empty()) fs::remove_all(lastWebGlPreview_, ec);
    lastWebGlPreview_ = page->parent_path();
    const bool opened = openInBrowser(*page, browser);
    if (!opened) prompter().message("Cannot open the browser on " + page->string());
    return opened;
}

bool MainFrame::openInBrowser(const fs::path& page, const Browser& browser) {
    if (browser.program.empty()) {
        const QUrl url = QUrl::fromLocalFile(qtPath(page));
        return openUrl_ ? openUrl_(url) : QDesktopServices::openUrl(url);
    }
    QStringList arguments;
    for (const std::string& a : browserArguments(browser.kind, page))
        arguments << QString::fromStdString(a);
    return QProcess::startDetached(qtPath(browser.program), arguments);
}

std::vector<Browser> MainFrame::previewBrowsers() {
    // The desktop names its default browser by its desktop entry ("firefox-esr.desktop").
    constexpr int kDefaultBrowserWaitMs = 2000;
    Browser preferred{"Default browser", {}, BrowserKind::Other};
    QProcess xdg;
    xdg.start("xdg-settings", {"get", "default-web-browser"});
    if (xdg.waitForFinished(kDefaultBrowserWaitMs) && xdg.exitCode() == 0)
        preferred.kind = browserKindOf(xdg.readAllStandardOutput().trimmed().toStdString());
    std::vector<Browser> browsers{preferred};
    for (Browser& b : installedBrowsers(searchFolders(qgetenv("PATH").toStdString())))
        browsers.push_back(std::move(b));
    return browsers;
}

} // namespace zx
