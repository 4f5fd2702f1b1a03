#pragma once
// The program's side of the publication service: one-line commands to the server's
// command script over HTTP, and file uploads over FTP. One client per publish dialog:
// it connects on its first command and gives up for good after kMaxConnectAttempts
// failed connections. Parameter values are URL-encoded; answers are untrusted text
// (only their first line counts, and only so much of it). Passwords and the upload
// account never appear in messages.

#include "output/PublishServerAddress.h"
#include "platform/Progress.h"
#include "platform/Prompter.h"
#include "platform/Status.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zx {

inline constexpr int kMaxConnectAttempts = 10;
inline constexpr std::string_view kCommandFailed = "failed";
inline constexpr std::string_view kCancelPublication = "Cancel Publication, are you sure?";
inline constexpr std::string_view kDatabaseProblem =
    "There is a problem connecting to data base\nPlease try again later.";

using CommandParams = std::vector<std::pair<std::string, std::string>>;

class PublicationClient {
public:
    explicit PublicationClient(PublishServerAddress address);
    ~PublicationClient();
    PublicationClient(const PublicationClient&) = delete;
    PublicationClient& operator=(const PublicationClient&) = delete;

    // Sends "echo&value=test" and counts the connection only when the answer is
    // "test". Each failure uses up one of the attempts.
    bool connect();
    bool connected() const { return connected_; }
    int attempts() const { return attempts_; }

    // The command's answer: the first line of the response, "failed" when the request
    // fails, and the empty text once every connection attempt has failed.
    std::string command(std::string_view name, const CommandParams& params = {});

    // The message after a failed command: when "dbstatus" is not "ok", that the
    // database is unavailable; otherwise `otherwise`.
    std::string failureMessage(std::string_view otherwise);
    std::string databaseUnavailableMessage() const;

    // Uploads a file as `remoteName` into the upload area's `folder` ("json", "img",
    // "vig", "video") in kUploadBlock-byte blocks, reporting the bytes sent on
    // `progress`. A failure to reach the folder is tried once more after retryDelay.
    // When `progress` is cancelled the user is asked kCancelPublication; Yes ends the
    // transfer (cancelled).
    Status upload(const std::filesystem::path& file, std::string_view folder,
                  std::string_view remoteName, Progress& progress, Prompter& prompter);
    static constexpr size_t kUploadBlock = 4096;
    std::chrono::milliseconds retryDelay{5000};

    // The upload area: the address's FTP part, else what the server names.
    std::string ftpAddress();
    const PublishServerAddress& address() const { return address_; }

    // Login state of the dialog.
    std::string user;
    bool adultAllowed = false;
    bool loggedIn() const { return !user.empty(); }

    std::string playerLink(std::string_view handle) const;
    std::string shortLink(std::string_view handle) const;

private:
    std::string request(std::string_view query);
    Status uploadOnce(const std::filesystem::path& file, const std::string& url, bool& started,
                      Progress& progress, Prompter& prompter);

    PublishServerAddress address_;
    void* http_ = nullptr; // the HTTP handle, keeping the session's cookie
    bool connected_ = false;
    int attempts_ = 0;
};

// A handle as the server may give it: letters and digits, at most 32. Anything else is
// taken as a failure, so that no answer can reach a file name or a URL.
bool isValidHandle(std::string_view handle);

} // namespace zx
