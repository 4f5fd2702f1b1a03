#include "PublishServer.h"

#include "PasswordHash.h"
#include "PlayerPage.h"

#include <httplib.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <set>
#include <sys/stat.h>

namespace zx::server {

namespace fs = std::filesystem;

namespace {

using Params = std::map<std::string, std::string>;

constexpr const char* kOk = "ok";
constexpr const char* kFailed = "failed";
constexpr const char* kSessionCookie = "zxsession";
constexpr size_t kHandleLength = 10, kSessionLength = 32;
constexpr size_t kMaxTitleBytes = 256, kMaxDescriptionBytes = 4096, kMaxMailBytes = 254;
constexpr int kMinTitleLetters = 4, kPublicListLength = 50;
// After this many failed logins an account takes no login for kLoginPause.
constexpr int kMaxLoginFailures = 5;
constexpr std::chrono::seconds kLoginPause{60};
constexpr const char* kUploadKinds[] = {"json", "img", "vig", "video"};
// Pages and files run in an origin of their own: a published scene is the uploader's
// script, and must not reach anything of this site.
constexpr const char* kSandbox = "sandbox allow-scripts";

const std::set<std::string> kPrivacies = {"Public", "Unlisted", "Private"};
const std::set<std::string> kCategories = {"Other3D", "Education",  "Morphing", "People",
                                           "Science", "Landscapes", "Adult"};
const std::set<std::string> kMedia = {"animation", "video"};

std::string param(const Params& p, const char* key) {
    auto it = p.find(key);
    return it == p.end() ? std::string() : it->second;
}

bool onlyWordCharacters(const std::string& s) {
    return std::all_of(s.begin(), s.end(),
                       [](unsigned char c) { return std::isalnum(c) || c == '_'; });
}

bool validUserName(const std::string& s) {
    return s.size() >= 3 && s.size() <= 20 && onlyWordCharacters(s);
}

bool validPassword(const std::string& s) {
    return s.size() >= 4 && s.size() <= 10 && onlyWordCharacters(s);
}

bool validHandle(const std::string& s) {
    return !s.empty() && s.size() <= 32 &&
           std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isalnum(c); });
}

// Letters of UTF-8 text: bytes that do not continue a sequence.
int letters(const std::string& s) {
    return int(
        std::count_if(s.begin(), s.end(), [](unsigned char c) { return (c & 0xC0) != 0x80; }));
}

std::string lowerCase(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// Account names compare without regard to case, as the database keeps them.
bool sameName(const std::string& a, const std::string& b) {
    return lowerCase(a) == lowerCase(b);
}

bool isGuest(const std::string& name) {
    return lowerCase(name) == "guest";
}

bool regularFile(const fs::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<std::string> readFile(const fs::path& p) {
    if (!regularFile(p)) return std::nullopt;
    std::ifstream in(p, std::ios::binary);
    std::string out((std::istreambuf_iterator<char>(in)), {});
    if (in.bad()) return std::nullopt;
    return out;
}

fs::path sceneFile(const fs::path& dataDir, const std::string& handle) {
    return dataDir / "scenes" / handle / kSceneDataFile;
}

const char* contentType(const std::string& extension) {
    if (extension == "js") return "text/javascript; charset=utf-8";
    if (extension == "png") return "image/png";
    if (extension == "jpg") return "image/jpeg";
    if (extension == "webm") return "video/webm";
    return "video/mp4";
}

bool extensionFits(const std::string& kind, const std::string& ext) {
    return (kind == "json" && ext == "js") || (kind == "img" && ext == "png") ||
           (kind == "vig" && ext == "jpg") || (kind == "video" && (ext == "webm" || ext == "mp4"));
}

std::string cookieValue(const std::string& header, const std::string& name) {
    const std::string key = name + "=";
    for (size_t at = header.find(key); at != std::string::npos; at = header.find(key, at + 1)) {
        if (at > 0 && header[at - 1] != ' ' && header[at - 1] != ';') continue;
        const size_t end = header.find(';', at);
        return header.substr(at + key.size(),
                             end == std::string::npos ? end : end - at - key.size());
    }
    return {};
}

// The video's size from its descriptor ("…, width:640, height:480}];").
std::pair<int, int> videoSize(const fs::path& descriptor) {
    const std::optional<std::string> text = readFile(descriptor);
    static const std::regex size(R"(width:(\d{1,5}), height:(\d{1,5})\})");
    std::smatch m;
    if (!text || !std::regex_search(*text, m, size)) return {0, 0};
    return {std::stoi(m[1]), std::stoi(m[2])};
}

} // namespace

fs::path uploadFolder(const fs::path& dataDir) {
    return dataDir / "ftp" / "zelvotrix" / "upload";
}

bool prepareDataFolder(const fs::path& dataDir, std::string* error) {
    std::error_code ec;
    for (const char* kind : kUploadKinds) fs::create_directories(uploadFolder(dataDir) / kind, ec);
    if (!ec) fs::create_directories(dataDir / "scenes", ec);
    if (ec && error) *error = dataDir.string() + ": " + ec.message();
    return !ec;
}

PublishServer::PublishServer(ServerConfig config, ServerDatabase& database)
    : config_(std::move(config)), db_(database), http_(std::make_unique<httplib::Server>()) {
    routes();
}

PublishServer::~PublishServer() = default;

bool PublishServer::listen(const std::string& host, int port) {
    return http_->listen(host, port);
}

int PublishServer::bindToAnyPort(const std::string& host) {
    return http_->bind_to_any_port(host);
}

bool PublishServer::listenAfterBind() {
    return http_->listen_after_bind();
}

void PublishServer::stop() {
    http_->stop();
}

void PublishServer::routes() {
    http_->Get("/ajax.php", [this](const httplib::Request& req, httplib::Response& res) {
        Params params;
        for (const auto& [k, v] : req.params) params.emplace(k, v);
        std::string session = cookieValue(req.get_header_value("Cookie"), kSessionCookie);
        const std::string before = session;
        res.set_content(command(params, session) + "\n", "text/plain; charset=utf-8");
        if (session != before)
            res.set_header("Set-Cookie", std::string(kSessionCookie) + "=" + session +
                                             "; Path=/; HttpOnly; SameSite=Strict");
    });
    http_->Get("/", [this](const httplib::Request& req, httplib::Response& res) {
        itemPageRoute(req, res);
    });
    http_->Get(R"(/s/([A-Za-z0-9]{1,32}))",
               [](const httplib::Request& req, httplib::Response& res) {
                   res.set_redirect("/?h=" + std::string(req.matches[1]));
               });
    http_->Get("/zelvotrixv2.js", [this](const httplib::Request&, httplib::Response& res) {
        const std::optional<std::string> script = readFile(config_.playerScript);
        if (!script)
            res.status = 404;
        else
            res.set_content(*script, contentType("js"));
    });
    http_->Get(
        R"(/pub/(json|img|vig|video)/([A-Za-z0-9]{1,32})\.(js|png|jpg|webm|mp4))",
        [this](const httplib::Request& req, httplib::Response& res) { fileRoute(req, res); });
}

std::optional<Item> PublishServer::visibleItem(const std::string& handle) {
    std::optional<Item> item = validHandle(handle) ? db_.item(handle) : std::nullopt;
    if (!item || !item->registered || item->privacy == "Private") return std::nullopt;
    return item;
}

void PublishServer::itemPageRoute(const httplib::Request& req, httplib::Response& res) {
    res.set_header("Content-Security-Policy", kSandbox);
    if (!req.has_param("h")) {
        res.set_content(itemListPage(db_.publicItems(kPublicListLength)),
                        "text/html; charset=utf-8");
        return;
    }
    const std::optional<Item> item = visibleItem(req.get_param_value("h"));
    if (!item) {
        res.status = 404;
        res.set_content(messagePage("Not found", "There is no published item of this name."),
                        "text/html; charset=utf-8");
        return;
    }
    const auto [w, h] = videoSize(uploadFolder(config_.dataDir) / "json" / (item->handle + ".js"));
    res.set_content(itemPage(*item, w, h), "text/html; charset=utf-8");
}

void PublishServer::fileRoute(const httplib::Request& req, httplib::Response& res) {
    const std::string kind = req.matches[1], handle = req.matches[2], ext = req.matches[3];
    const std::optional<Item> item = visibleItem(handle);
    std::optional<std::string> body;
    if (item && extensionFits(kind, ext)) {
        const bool scene = kind == "json" && item->media == "animation";
        body = readFile(scene ? sceneFile(config_.dataDir, handle)
                              : uploadFolder(config_.dataDir) / kind / (handle + "." + ext));
    }
    if (!body) {
        res.status = 404;
        return;
    }
    res.set_header("X-Content-Type-Options", "nosniff");
    res.set_header("Content-Security-Policy", kSandbox);
    // The item page runs sandboxed, with an origin of its own: the player reads the
    // texture's bytes and hands it to WebGL only when the file says any page may.
    res.set_header("Access-Control-Allow-Origin", "*");
    res.set_content(std::move(*body), contentType(ext));
}

std::string PublishServer::sessionUser(const std::string& session) {
    std::lock_guard lock(sessionMutex_);
    auto it = sessions_.find(session);
    return it == sessions_.end() ? std::string() : it->second;
}

std::string PublishServer::login(const std::string& user, const std::string& pass,
                                 std::string& session) {
    const std::string key = lowerCase(user);
    const auto now = std::chrono::steady_clock::now();
    {
        std::lock_guard lock(sessionMutex_);
        auto it = failures_.find(key);
        if (it != failures_.end() && it->second.first >= kMaxLoginFailures &&
            now - it->second.second < kLoginPause)
            return kFailed; // guessing passwords takes a pause
    }
    const std::optional<Account> account = validUserName(user) ? db_.account(user) : std::nullopt;
    const bool ok = account && verifyPassword(pass, account->passwordHash);
    std::lock_guard lock(sessionMutex_);
    if (!ok) {
        auto& [count, last] = failures_[key];
        count = now - last < kLoginPause ? count + 1 : 1;
        last = now;
        return kFailed;
    }
    failures_.erase(key);
    sessions_.erase(session);
    session = randomToken(kSessionLength);
    sessions_[session] = account->name;
    return kOk;
}

std::string PublishServer::addUser(const Params& p) {
    const std::string user = param(p, "user"), pass = param(p, "pass"), mail = param(p, "mail");
    if (!validUserName(user) || !validPassword(pass) || mail.size() > kMaxMailBytes ||
        isGuest(user))
        return kFailed;
    if (db_.accountExists(user)) return "exists";
    return db_.addAccount({user, hashPassword(pass), mail, param(p, "adult") == "1"}) ? kOk
                                                                                      : kFailed;
}

std::string PublishServer::unzip(const std::string& handle, const std::string& user) {
    if (user.empty() || !validHandle(handle) || !db_.handleReserved(handle, user)) return kFailed;
    const std::string error =
        unpackSceneArchive(uploadFolder(config_.dataDir) / "json" / (handle + ".zip"),
                           config_.dataDir / "scenes" / handle, config_.limits);
    return error.empty() ? kOk : kFailed;
}

std::string PublishServer::storeHandle(const Params& p, const std::string& user) {
    Item item{param(p, "handle"),   param(p, "user"),  param(p, "media"),       param(p, "privacy"),
              param(p, "category"), param(p, "title"), param(p, "description"), true};
    const std::optional<Account> account = user.empty() ? std::nullopt : db_.account(user);
    if (!account || !sameName(item.owner, account->name) || !validHandle(item.handle))
        return kFailed;
    item.owner = account->name;
    if (!kMedia.count(item.media) || !kPrivacies.count(item.privacy) ||
        !kCategories.count(item.category) || (item.category == "Adult" && !account->adult))
        return kFailed;
    if (letters(item.title) < kMinTitleLetters || item.title.size() > kMaxTitleBytes ||
        item.description.size() > kMaxDescriptionBytes)
        return kFailed;
    const fs::path uploads = uploadFolder(config_.dataDir);
    const bool uploaded = item.media == "animation"
                              ? regularFile(sceneFile(config_.dataDir, item.handle))
                              : regularFile(uploads / "video" / (item.handle + ".webm")) ||
                                    regularFile(uploads / "video" / (item.handle + ".mp4"));
    return uploaded && db_.registerItem(item) ? kOk : kFailed;
}

std::string PublishServer::command(const Params& p, std::string& session) {
    const std::string cmd = param(p, "command");
    const std::string user = sessionUser(session);
    if (cmd == "echo") return param(p, "value");
    if (cmd == "dbstatus") return db_.healthy() ? kOk : kFailed;
    if (cmd == "zxversion") return config_.latestVersion;
    if (cmd == "ftpaddress") return config_.ftpAddress;
    if (cmd == "login") return login(param(p, "user"), param(p, "pass"), session);
    if (cmd == "logout") {
        std::lock_guard lock(sessionMutex_);
        sessions_.erase(session);
        session.clear();
        return kOk;
    }
    if (cmd == "getadult") {
        const std::optional<Account> a = db_.account(param(p, "user"));
        return a && a->adult ? kOk : "no";
    }
    if (cmd == "userexists") {
        const std::string name = param(p, "user");
        return isGuest(name) || db_.accountExists(name) ? kOk : "no";
    }
    if (cmd == "adduser") return addUser(p);
    if (cmd == "gethandle") {
        if (user.empty()) return kFailed;
        const std::string handle = randomToken(kHandleLength);
        return db_.reserveHandle(handle, user) ? handle : kFailed;
    }
    if (cmd == "unzip") return unzip(param(p, "handle"), user);
    if (cmd == "storehandle") return storeHandle(p, user);
    if (cmd == "setcrosslog")
        return !user.empty() && sameName(param(p, "user"), user) &&
                       db_.setCrossLog(param(p, "handle"), user)
                   ? kOk
                   : kFailed;
    return kFailed;
}

} // namespace zx::server
