#include "output/PublicationClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <fstream>
#include <mutex>
#include <thread>

namespace zx {

namespace fs = std::filesystem;

namespace {

// Only the first line of an answer counts; a server that sends more is not read into
// memory beyond this.
constexpr size_t kMaxAnswer = 1024;
constexpr long kConnectTimeoutSeconds = 10;
constexpr long kCommandTimeoutSeconds = 60;
// An upload that moves less than a byte a second for this long has stalled.
constexpr long kStallSeconds = 30;

void initialiseCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct ServerAnswer {
    std::string text;
    bool complete = false; // a line feed was seen
};

size_t collectAnswer(char* data, size_t size, size_t count, void* user) {
    auto* answer = static_cast<ServerAnswer*>(user);
    const std::string_view chunk(data, size * count);
    if (!answer->complete) {
        const size_t end = chunk.find('\n');
        answer->text.append(chunk.substr(0, std::min(end, kMaxAnswer - answer->text.size())));
        answer->complete = end != std::string_view::npos || answer->text.size() >= kMaxAnswer;
    }
    return size * count;
}

struct UploadState {
    std::ifstream in;
    long long sent = 0, total = 0;
    Progress* progress = nullptr;
    Prompter* prompter = nullptr;
    bool started = false, cancelled = false, declined = false;
};

size_t sendBlock(char* buffer, size_t size, size_t count, void* user) {
    auto* s = static_cast<UploadState*>(user);
    s->started = true;
    if (s->progress->cancelled() && !s->declined) {
        if (s->prompter->askYesNo(kCancelPublication)) {
            s->cancelled = true;
            return CURL_READFUNC_ABORT;
        }
        s->declined = true;
    }
    s->in.read(buffer, std::streamsize(std::min(size * count, PublicationClient::kUploadBlock)));
    const auto n = size_t(s->in.gcount());
    s->sent += n;
    s->progress->setPosition(s->sent, s->total);
    return n;
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

} // namespace

bool isValidHandle(std::string_view handle) {
    return !handle.empty() && handle.size() <= 32 &&
           std::all_of(handle.begin(), handle.end(), [](unsigned char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
           });
}

PublicationClient::PublicationClient(PublishServerAddress address) : address_(std::move(address)) {
    initialiseCurl();
    CURL* h = curl_easy_init();
    http_ = h;
    if (!h) return;
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, kCommandTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, ""); // the login's session cookie, in memory
    if (!address_.caFile.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, address_.caFile.c_str());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, collectAnswer);
}

PublicationClient::~PublicationClient() {
    curl_easy_cleanup(static_cast<CURL*>(http_));
}

std::string PublicationClient::request(std::string_view query) {
    CURL* h = static_cast<CURL*>(http_);
    if (!h) return std::string(kCommandFailed);
    const std::string url = address_.http + "/ajax.php?" + std::string(query);
    ServerAnswer answer;
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &answer);
    long status = 0;
    if (curl_easy_perform(h) != CURLE_OK ||
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status >= 400)
        return std::string(kCommandFailed);
    if (!answer.text.empty() && answer.text.back() == '\r') answer.text.pop_back();
    return answer.text;
}

bool PublicationClient::connect() {
    if (connected_) return true;
    if (attempts_ >= kMaxConnectAttempts) return false;
    ++attempts_;
    connected_ = request("command=echo&value=test") == "test";
    return connected_;
}

std::string PublicationClient::command(std::string_view name, const CommandParams& params) {
    if (!connected_) {
        if (attempts_ >= kMaxConnectAttempts) return {};
        if (!connect()) return std::string(kCommandFailed);
    }
    std::string query = "command=" + std::string(name);
    for (const auto& [key, value] : params) {
        char* escaped =
            curl_easy_escape(static_cast<CURL*>(http_), value.data(), int(value.size()));
        query += "&" + key + "=" + (escaped ? escaped : "");
        curl_free(escaped);
    }
    return request(query);
}

std::string PublicationClient::databaseUnavailableMessage() const {
    return "The database is currently unavailable\nPossible reasons:\n   - You have no Internet "
           "connection\n   - Your Windows Firewall blocks access\n   - The " +
           address_.siteName + " website is too busy, please try again later\n";
}

std::string PublicationClient::failureMessage(std::string_view otherwise) {
    return command("dbstatus") == "ok" ? std::string(otherwise) : databaseUnavailableMessage();
}

std::string PublicationClient::ftpAddress() {
    if (address_.ftp.empty()) {
        std::string named = command("ftpaddress");
        if (isFtpAddress(named) && named.find_first_of(" \t") == std::string::npos)
            address_.ftp = named;
    }
    return address_.ftp;
}

std::string PublicationClient::playerLink(std::string_view handle) const {
    return address_.http + "/?h=" + std::string(handle);
}

std::string PublicationClient::shortLink(std::string_view handle) const {
    return address_.http + "/s/" + std::string(handle);
}

Status PublicationClient::uploadOnce(const fs::path& file, const std::string& url, bool& started,
                                     Progress& progress, Prompter& prompter) {
    UploadState state;
    state.in.open(file, std::ios::binary);
    std::error_code ec;
    state.total = (long long)fs::file_size(file, ec);
    if (!state.in || ec) return Status::failed("Cannot open " + file.string(), ec.message());
    state.progress = &progress;
    state.prompter = &prompter;
    CURL* h = curl_easy_init();
    if (!h) return Status::failed("Cannot start the upload");
    const bool tls = startsWith(url, "ftps://");
    const std::string plain = tls ? "ftp://" + url.substr(7) : url;
    curl_easy_setopt(h, CURLOPT_URL, plain.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "ftp");
    if (tls) curl_easy_setopt(h, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    if (!address_.caFile.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, address_.caFile.c_str());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, curl_off_t(state.total));
    curl_easy_setopt(h, CURLOPT_READFUNCTION, sendBlock);
    curl_easy_setopt(h, CURLOPT_READDATA, &state);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    progress.setPosition(0, state.total);
    const CURLcode rc = curl_easy_perform(h);
    curl_easy_cleanup(h);
    started = state.started;
    if (state.cancelled) return Status::cancelled();
    if (rc != CURLE_OK)
        return Status::failed("Could not upload " + file.filename().string() + " to the server",
                              withoutCredentials(url) + ": " + curl_easy_strerror(rc));
    return Status::ok();
}

Status PublicationClient::upload(const fs::path& file, std::string_view folder,
                                 std::string_view remoteName, Progress& progress,
                                 Prompter& prompter) {
    const std::string base = ftpAddress();
    if (base.empty()) return Status::failed("The server names no upload address");
    const std::string url = base + "/" + std::string(folder) + "/" + std::string(remoteName);
    bool started = false;
    Status s = uploadOnce(file, url, started, progress, prompter);
    if (s || s.isCancelled() || started) return s;
    // The folder could not be reached: the server may be busy, so try once more.
    std::this_thread::sleep_for(retryDelay);
    return uploadOnce(file, url, started, progress, prompter);
}

} // namespace zx
