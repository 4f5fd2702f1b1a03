#pragma once
// Our publication server (in this process, on a free loopback port) and vsftpd (set up
// by the server's own ftp-setup script), each torn down with its object.

#include "PublishServer.h"
#include "ServerDatabase.h"
#include "output/PublicationClient.h"
#include "platform/ChildProcess.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace zx::test {

namespace fs = std::filesystem;

inline int freePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(s);
    return ntohs(a.sin_port);
}

inline bool accepts(int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(s);
    return ok;
}

class PublishServers {
public:
    // With `tls` FTP takes only TLS connections, with a certificate made for the run
    // (certFile) that nothing trusts unless told to.
    explicit PublishServers(bool tls = false) {
        std::string p = (fs::temp_directory_path() / "zx-publish-test-XXXXXX").string();
        data = ::mkdtemp(p.data());
        fs::permissions(data, fs::perms(0755));
        std::string error;
        EXPECT_TRUE(server::prepareDataFolder(data, &error)) << error;
        db = server::ServerDatabase::open(data / "publish.db", &error);
        ftpPort = freePort();
        server::ServerConfig config;
        config.dataDir = data;
        config.ftpAddress = "ftp://127.0.0.1:" + std::to_string(ftpPort) + "/zelvotrix/upload";
        config.playerScript = ZX_SAMPLES_DIR "/../../web/player/zelvotrixv2.js";
        http = std::make_unique<server::PublishServer>(config, *db);
        httpPort = http->bindToAnyPort("127.0.0.1");
        thread = std::thread([this] { http->listenAfterBind(); });
        if (tls && ftpAvailable()) makeCertificate();
        startFtp();
    }
    ~PublishServers() {
        stopFtp();
        http->stop();
        thread.join();
        fs::remove_all(data);
    }

    // vsftpd needs root (it changes to the FTP user) and must be installed.
    static bool ftpAvailable() {
        return ::geteuid() == 0 &&
               (fs::exists("/usr/sbin/vsftpd") || fs::exists("/usr/bin/vsftpd"));
    }
    void startFtp() {
        if (!ftpAvailable()) return;
        ChildProcess setup;
        std::string out;
        std::vector<std::string> argv{ZX_FTP_SETUP, data.string(), std::to_string(ftpPort),
                                      "127.0.0.1"};
        if (!certFile.empty()) argv.insert(argv.end(), {certFile.string(), keyFile.string()});
        ASSERT_TRUE(setup.start(argv));
        while (setup.read(out, std::chrono::seconds(5)) != ChildProcess::ReadStatus::Closed) {}
        ASSERT_EQ(setup.wait(), 0) << out;
        ftpPid = std::atoi(out.c_str());
        for (int i = 0; i < 100 && !accepts(ftpPort); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    void makeCertificate() {
        certFile = data / "cert.pem";
        keyFile = data / "key.pem";
        ChildProcess openssl;
        std::string out;
        ASSERT_TRUE(
            openssl.start({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                           "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                           "-keyout", keyFile.string(), "-out", certFile.string()}));
        while (openssl.read(out, std::chrono::seconds(5)) != ChildProcess::ReadStatus::Closed) {}
        ASSERT_EQ(openssl.wait(), 0) << out;
    }
    // Stops vsftpd and the session processes it forked, at once.
    void stopFtp() {
        if (ftpPid <= 0) return;
        for (int pid : descendants(ftpPid)) ::kill(pid, SIGKILL);
        ::kill(ftpPid, SIGKILL);
        ftpPid = -1;
    }
    static std::vector<int> descendants(int parent) {
        std::vector<int> out;
        for (const auto& e : fs::directory_iterator("/proc")) {
            const int pid = std::atoi(e.path().filename().c_str());
            if (pid <= 0) continue;
            std::ifstream stat(e.path() / "stat");
            std::string text((std::istreambuf_iterator<char>(stat)), {});
            const size_t close = text.rfind(')');
            if (close == std::string::npos) continue;
            int ppid = 0;
            char state = 0;
            if (std::sscanf(text.c_str() + close + 1, " %c %d", &state, &ppid) != 2 ||
                ppid != parent)
                continue;
            out.push_back(pid);
            for (int child : descendants(pid)) out.push_back(child);
        }
        return out;
    }

    PublishServerAddress address() const {
        return {"http://127.0.0.1:" + std::to_string(httpPort), "", "127.0.0.1", ""};
    }
    httplib::Result get(const std::string& path) const {
        httplib::Client c("127.0.0.1", httpPort);
        return c.Get(path);
    }
    fs::path uploads() const { return server::uploadFolder(data); }

    fs::path data;
    fs::path certFile, keyFile;
    std::unique_ptr<server::ServerDatabase> db;
    std::unique_ptr<server::PublishServer> http;
    std::thread thread;
    int httpPort = 0, ftpPort = 0, ftpPid = -1;
};

} // namespace zx::test
