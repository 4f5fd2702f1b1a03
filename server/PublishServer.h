#pragma once
// The publication server: the command script "/ajax.php" the program talks to, the
// player pages ("/?h=HANDLE", the short link "/s/HANDLE"), the player script and the
// published files. Uploads arrive through an FTP server whose root is the data
// folder's "ftp" folder; this server only reads them.
//
// A login opens a session (a cookie); reserving a handle, unpacking and registering an
// item need one, and an item is registered only under the session's own account.

#include "SceneArchive.h"
#include "ServerDatabase.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace zx::server {

struct ServerConfig {
    std::filesystem::path dataDir;
    // The FTP address the program uploads to ("ftp://host:port/zelvotrix/upload"),
    // given to it by the command "ftpaddress".
    std::string ftpAddress;
    // The answer to "zxversion".
    std::string latestVersion = "0.1";
    std::filesystem::path playerScript;
    ArchiveLimits limits;
};

// Where uploads land, below the FTP server's root.
std::filesystem::path uploadFolder(const std::filesystem::path& dataDir);
// Creates the data folder's layout (database folder, upload folders, scene folders).
bool prepareDataFolder(const std::filesystem::path& dataDir, std::string* error);

class PublishServer {
public:
    PublishServer(ServerConfig config, ServerDatabase& database);
    ~PublishServer();

    // Serves until stop(); false when the address cannot be bound.
    bool listen(const std::string& host, int port);
    // Binds a free port, returns it (or -1), and serves from another thread's call
    // to listenAfterBind().
    int bindToAnyPort(const std::string& host);
    bool listenAfterBind();
    void stop();

    // One command of "/ajax.php": its answer line. `session` is the caller's
    // session token and is set or cleared by "login" and "logout".
    std::string command(const std::map<std::string, std::string>& params, std::string& session);

private:
    void routes();
    void itemPageRoute(const httplib::Request& req, httplib::Response& res);
    void fileRoute(const httplib::Request& req, httplib::Response& res);
    std::string sessionUser(const std::string& session);
    std::string login(const std::string& user, const std::string& pass, std::string& session);
    std::string addUser(const std::map<std::string, std::string>& p);
    std::string storeHandle(const std::map<std::string, std::string>& p, const std::string& user);
    std::string unzip(const std::string& handle, const std::string& user);
    std::optional<Item> visibleItem(const std::string& handle);

    ServerConfig config_;
    ServerDatabase& db_;
    std::unique_ptr<httplib::Server> http_;
    std::mutex sessionMutex_;
    std::map<std::string, std::string> sessions_; // token -> account name
    // Failed logins per account name (lower case): count and time of the last one.
    std::map<std::string, std::pair<int, std::chrono::steady_clock::time_point>> failures_;
};

} // namespace zx::server
