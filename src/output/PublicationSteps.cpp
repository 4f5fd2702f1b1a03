#include "output/PublicationSteps.h"

#include <cstdlib>

namespace zx::publication {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kNotPublished = "The item was not published.";
constexpr const char* kFtpWarningSetting = "ftpwarning";

} // namespace

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "zx-publish-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
}

Status fail(Prompter& prompter, const std::string& message, const std::string& detail) {
    prompter.message(message);
    return Status::failed(message, detail);
}

Status checkBeforePublishing(PublicationClient& client, const PublicationDetails& details,
                             Prompter& prompter) {
    Status s = client.loggedIn()
                   ? checkPublicationDetails(client, details)
                   : Status::refused("Please login or create a free account to publish");
    if (!s) prompter.message(s.message());
    return s;
}

Result<std::string> reserveHandle(PublicationClient& client, Prompter& prompter) {
    std::string handle = client.command("gethandle");
    if (!isValidHandle(handle)) return fail(prompter, client.failureMessage(kDatabaseProblem));
    return handle;
}

void showFtpNotice(SettingsStore& settings, Prompter& prompter) {
    if (settings.readInt(kFtpWarningSetting).value_or(0) != 0) return;
    prompter.message("FTP protocol will be used for fast transfer to server\nWindows may prompt "
                     "you to accept it\n");
    settings.writeInt(kFtpWarningSetting, 1);
    (void)settings.flush();
}

Status reachUploadArea(PublicationClient& client, Progress& progress, Prompter& prompter) {
    progress.setDetail("Connecting to server...");
    if (client.ftpAddress().empty())
        return fail(prompter, "Cannot connect to " + client.address().http);
    return Status::ok();
}

Status uploadStep(PublicationClient& client, const fs::path& file, std::string_view folder,
                  const std::string& remoteName, std::string_view step, Progress& progress,
                  Prompter& prompter) {
    progress.setDetail(step);
    Status s = client.upload(file, folder, remoteName, progress, prompter);
    if (!s && !s.isCancelled()) prompter.message(s.message() + "\n" + std::string(kNotPublished));
    return s;
}

Result<PublishedItem> finishPublication(PublicationClient& client, const std::string& handle,
                                        std::string_view media, const PublicationDetails& d,
                                        Progress& progress, Prompter& prompter) {
    progress.setDetail("Finalizing...");
    const std::string answer = client.command("storehandle", {{"handle", handle},
                                                              {"user", client.user},
                                                              {"media", std::string(media)},
                                                              {"privacy", d.privacy},
                                                              {"category", d.category},
                                                              {"title", d.title},
                                                              {"description", d.description}});
    if (answer != "ok")
        return fail(prompter, client.failureMessage("The server did not register the item.\n" +
                                                    std::string(kNotPublished)));
    if (!client.user.empty())
        (void)client.command("setcrosslog", {{"handle", handle}, {"user", client.user}});
    PublishedItem item{handle, client.playerLink(handle), client.shortLink(handle)};
    progress.setDetail(kPublicationCompleted);
    prompter.status(kPublicationCompleted);
    prompter.message(std::string(kPublicationCompleted) + "\n" + item.playerLink + "\n" +
                     item.shortLink);
    return item;
}

} // namespace zx::publication
