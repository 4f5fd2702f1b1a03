// zelvotrix-publish-server: the publication service for a group. Serves the command
// script, the player pages and the published files over HTTP; uploads arrive through
// an FTP server rooted at DIR/ftp (see scripts/ftp-setup).

#include "PublishServer.h"
#include "ServerDatabase.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using zx::server::PublishServer;

PublishServer* running = nullptr;

void onSignal(int) {
    if (running) running->stop();
}

int usage() {
    std::cerr << "usage: zelvotrix-publish-server --data DIR --port N [--host ADDRESS]\n"
                 "       [--ftp ftp://HOST:PORT/zelvotrix/upload] [--player zelvotrixv2.js]\n"
                 "       [--latest-version X.Y]\n";
    return 2;
}

fs::path defaultPlayer() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec).parent_path();
    const fs::path installed = self / ZX_PLAYER_INSTALLED_RELATIVE;
    return fs::is_regular_file(installed, ec) ? installed.lexically_normal()
                                              : fs::path(ZX_PLAYER_SOURCE);
}

} // namespace

int main(int argc, char** argv) {
    zx::server::ServerConfig config;
    config.playerScript = defaultPlayer();
    std::string host = "127.0.0.1";
    int port = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i], value = argv[i + 1];
        if (key == "--data")
            config.dataDir = value;
        else if (key == "--port")
            port = std::atoi(value.c_str());
        else if (key == "--host")
            host = value;
        else if (key == "--ftp")
            config.ftpAddress = value;
        else if (key == "--player")
            config.playerScript = value;
        else if (key == "--latest-version")
            config.latestVersion = value;
        else
            return usage();
    }
    if (argc % 2 == 0 || config.dataDir.empty() || port <= 0 || port > 65535) return usage();
    if (config.ftpAddress.empty()) config.ftpAddress = "ftp://" + host + ":21/zelvotrix/upload";

    std::string error;
    if (!zx::server::prepareDataFolder(config.dataDir, &error)) {
        std::cerr << "zelvotrix-publish-server: " << error << "\n";
        return 1;
    }
    auto db = zx::server::ServerDatabase::open(config.dataDir / "publish.db", &error);
    if (!db) {
        std::cerr << "zelvotrix-publish-server: " << (config.dataDir / "publish.db").string()
                  << ": " << error << "\n";
        return 1;
    }
    PublishServer server(config, *db);
    running = &server;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::cout << "zelvotrix-publish-server: http://" << host << ":" << port << "/" << std::endl;
    if (!server.listen(host, port)) {
        std::cerr << "zelvotrix-publish-server: cannot listen on " << host << ":" << port << "\n";
        return 1;
    }
    return 0;
}
