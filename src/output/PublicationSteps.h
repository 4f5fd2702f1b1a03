#pragma once
// The steps that scene and video publications share.

#include "output/Publication.h"

#include <filesystem>
#include <string>

namespace zx::publication {

// A private folder for the files of one publication, removed with all it holds.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    bool ok() const { return !path_.empty(); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Shows the message and returns it as a failure.
Status fail(Prompter& prompter, const std::string& message, const std::string& detail = {});
// The login and title checks every publication starts with.
Status checkBeforePublishing(PublicationClient& client, const PublicationDetails& details,
                             Prompter& prompter);
// A new handle from the server ("gethandle").
Result<std::string> reserveHandle(PublicationClient& client, Prompter& prompter);
// The FTP notice, shown the first time ever.
void showFtpNotice(SettingsStore& settings, Prompter& prompter);
// "Connecting to server...": the upload area must be known.
Status reachUploadArea(PublicationClient& client, Progress& progress, Prompter& prompter);
// One upload under its step text; a failure is shown, saying the item was not published.
Status uploadStep(PublicationClient& client, const std::filesystem::path& file,
                  std::string_view folder, const std::string& remoteName, std::string_view step,
                  Progress& progress, Prompter& prompter);
// "Finalizing...": registers the item and shows its links.
Result<PublishedItem> finishPublication(PublicationClient& client, const std::string& handle,
                                        std::string_view media, const PublicationDetails& details,
                                        Progress& progress, Prompter& prompter);

} // namespace zx::publication
