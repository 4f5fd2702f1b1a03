// Publishing from the main frame: "Publish To Web...", "Publish a Video" and "Check for
// Updates...". The service's address is the setting "PublishServer", asked for once.

#include "app/KeyringVault.h"
#include "app/MainFrame.h"
#include "app/QtProgress.h"
#include "commands/ProjectMovieSource.h"
#include "output/Publication.h"
#include "output/WebGlExport.h"
#include "platform/SettingsStore.h"
#include "storage/Project.h"
#include "ui/PublishDialog.h"
#include "ui/QtText.h"

#include <QCoreApplication>
#include <QInputDialog>

namespace zx {

namespace {

// This program's version as "zxversion" states versions.
constexpr double kProgramVersion = 0.1;

MemorySettingsStore& scratchSettings() {
    static MemorySettingsStore store;
    return store;
}

} // namespace

std::optional<PublishServerAddress> MainFrame::publishServer() {
    SettingsStore& store = store_ ? *store_ : scratchSettings();
    std::string text = store.readString(kPublishServerSetting).value_or("");
    const std::string caFile = store.readString(kPublishServerCaSetting).value_or("");
    if (auto address = parsePublishServer(text)) {
        address->caFile = caFile;
        return address;
    }
    bool ok = false;
    const QString typed = QInputDialog::getText(
        this, "Publication server",
        "Address of the publication server (http:// or https://), optionally followed by its "
        "ftp:// upload address:",
        QLineEdit::Normal, QString::fromStdString(text), &ok);
    if (!ok) return std::nullopt;
    text = typed.trimmed().toStdString();
    std::optional<PublishServerAddress> address = parsePublishServer(text);
    if (!address) {
        prompter_->message("Not a publication server address: " + text);
        return std::nullopt;
    }
    store.writeString(kPublishServerSetting, text);
    (void)store.flush();
    address->caFile = caFile;
    return address;
}

// The movie as the command-line tool renders it, one frame at a time.
Result<PublishedItem> MainFrame::publishMovieNow(PublicationClient& client,
                                                 const PublicationDetails& details,
                                                 SettingsStore& store, Progress& progress) {
    ProjectMovieOptions options;
    options.library.prompter = prompter_;
    options.library.projectFolder = project().folder;
    ProjectMovieSource source(project(), options);
    const MoviePublication movie{&source, project().movieWidth, project().movieHeight,
                                 project().fps};
    return publishMovie(client, movie, details, store, progress, *prompter_);
}

void MainFrame::runPublishDialog(bool video) {
    const std::optional<PublishServerAddress> address = publishServer();
    if (!address) return;
    PublicationClient client(*address);
    SettingsStore& store = store_ ? *store_ : scratchSettings();
    const int image = project().currentImage;
    const bool movie = !video && mode() == AnimationMode::Movie;
    PublishDialog::Publisher publisher = [this, &store, video, movie,
                                          image](PublicationClient& c, const PublicationDetails& d,
                                                 const std::filesystem::path& file) {
        QtProgress progress(this, video ? "Publish a Video" : "Publish To Web");
        if (video) return publishVideo(c, {file, 1}, d, store, progress, *prompter_);
        if (movie) return publishMovieNow(c, d, store, progress);
        // The page as the "Advanced settings" left it.
        WebGlExportOptions options = webGl_;
        options.image = image;
        const std::filesystem::path player =
            findPlayerScript(enginePath(QCoreApplication::applicationDirPath()));
        return publishScene(c, project(), options, player, d, store, progress, *prompter_);
    };
    const PublishDialog::Kind kind = video   ? PublishDialog::Kind::Video
                                     : movie ? PublishDialog::Kind::Movie
                                             : PublishDialog::Kind::Scene;
    KeyringVault keyring;
    PublishDialog d(kind, client, store, &keyring, std::move(publisher), this);
    d.exec();
}

void MainFrame::onPublishVideo() {
    runPublishDialog(true);
}

void MainFrame::onCheckUpdates() {
    const std::optional<PublishServerAddress> address = publishServer();
    if (!address) return;
    PublicationClient client(*address);
    Result<double> latest = latestProgramVersion(client);
    if (!latest) {
        prompter_->message(latest.status().message());
        return;
    }
    prompter_->message(*latest > kProgramVersion
                           ? "A new version (" + QString::number(*latest).toStdString() +
                                 ") is available"
                           : std::string("You have the latest version"));
}

CommandState MainFrame::publishToWebState() const {
    return {(mode() == AnimationMode::Animate && project().current() != nullptr) ||
                (mode() == AnimationMode::Movie && movieFrameCount() > 0),
            false};
}

} // namespace zx
