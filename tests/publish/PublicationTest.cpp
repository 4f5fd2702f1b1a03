#include "output/Publication.h"
#include "PlayerPage.h"
#include "PublishServers.h"
#include "output/MovieFrameSource.h"
#include "output/PublicationAccount.h"
#include "output/WebGlExport.h"
#include "output/WebGlExportText.h"
#include "platform/RecordingPrompter.h"
#include "platform/SettingsStore.h"
#include "storage/Project.h"
#include "storage/ProjectFile.h"

#include <cstdio>
#include <fstream>
#include <functional>

namespace zx {
namespace {

using test::PublishServers;
namespace fs = std::filesystem;

// Every character a query or a page could trip over, and some that are not ASCII.
const std::string kAwkwardTitle =
    "A&B=C#D \"q\" 'r' <script>alert(1)</script> \xC3\xA9\xE2\x82\xAC ,0,";

std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct WatchedProgress : NullProgress {
    std::function<void(long long)> onPosition;
    void setPosition(long long position, long long) override {
        if (onPosition) onPosition(position);
    }
};

// An account "alice" / "pw1234", logged in on `client`.
void loginAlice(PublicationClient& client, bool adult = false) {
    NewAccount a{"alice", "pw1234", "pw1234", "alice@example.org", adult};
    ASSERT_TRUE(createAccount(client, a));
    ASSERT_TRUE(loginToService(client, "alice", "pw1234"));
}

NewAccount account(std::string user, std::string password, std::string confirmation) {
    NewAccount a;
    a.user = std::move(user), a.password = std::move(password);
    a.confirmation = std::move(confirmation);
    return a;
}

TEST(PublicationRules, AreCheckedBeforeAnyRequest) {
    // Nothing listens here: a rule that sent a request would use up an attempt.
    PublicationClient client({"http://127.0.0.1:9", "", "127.0.0.1", ""});
    EXPECT_EQ(userNameAvailability(client, "GuEsT"), "GuEsT: This user name is not available");
    EXPECT_EQ(userNameAvailability(client, std::string(21, 'a')),
              "User name should be between 3 and 20 characters");
    EXPECT_EQ(userNameAvailability(client, "al ice"),
              "User name can only use alphanumeric characters (a-z, A-Z, 0-9 and _)");
    const NewAccount broken[] = {account("ab", "pw12", "pw12"), account("alice", "pw1", "pw1"),
                                 account("alice", "pw-12", "pw-12"),
                                 account("alice", "pw12345678x", "pw12345678x"),
                                 account("alice", "pw12", "pw13")};
    for (const NewAccount& a : broken) EXPECT_FALSE(accountRuleProblem(a).empty()) << a.password;
    EXPECT_TRUE(
        accountRuleProblem(account(std::string(20, '_'), "pw_1234567", "pw_1234567")).empty());
    EXPECT_FALSE(createAccount(client, account("Guest", "pw12", "pw12")));
    EXPECT_EQ(client.attempts(), 0);

    client.user = "alice";
    PublicationDetails d;
    d.title = "abc";
    EXPECT_EQ(checkPublicationDetails(client, d).message(),
              "Please enter a title (at least 4 characters");
    d.title = "\xC3\xA9t\xC3\xA9s"; // four letters in six bytes
    EXPECT_TRUE(checkPublicationDetails(client, d));
    d.category = "Adult";
    EXPECT_FALSE(checkPublicationDetails(client, d)) << "adult content needs the account's consent";
}

TEST(PublicationRules, PublishedDataElidesZerosOutsideStrings) {
    EXPECT_EQ(publishedDataText("zxwebgl_zxdef = [1,0,0,2,0,0,0,3];"), "zxdef = [1,,,2,,,,3];");
    const std::string text = "t:\"a,0,b \\\",0, zxwebgl_zxdef\", u:'c,0,d', v:[0,0,0]";
    EXPECT_EQ(publishedDataText(text), "t:\"a,0,b \\\",0, zxwebgl_zxdef\", u:'c,0,d', v:[0,,0]");
}

TEST(PublicationClient, GivesUpAfterTenFailedConnections) {
    httplib::Server fake;
    int requests = 0;
    fake.Get("/ajax.php", [&](const httplib::Request&, httplib::Response& res) {
        ++requests;
        res.set_content("busy\n", "text/plain");
    });
    const int port = fake.bind_to_any_port("127.0.0.1");
    std::thread t([&] { fake.listen_after_bind(); });
    PublicationClient client({"http://127.0.0.1:" + std::to_string(port), "", "127.0.0.1", ""});
    std::vector<std::string> answers;
    for (int i = 0; i < 12; ++i) answers.push_back(client.command("dbstatus"));
    fake.stop();
    t.join();
    EXPECT_EQ(requests, kMaxConnectAttempts);
    EXPECT_EQ(answers[kMaxConnectAttempts - 1], kCommandFailed);
    EXPECT_EQ(answers.back(), "");
}

TEST(PublicationService, AccountsAndLogin) {
    PublishServers servers;
    PublicationClient client(servers.address());
    RecordingPrompter prompter;
    EXPECT_EQ(userNameAvailability(client, "alice"), "alice: Available");
    Result<std::string> made = createAccount(client, account("alice", "pw1234", "pw1234"));
    ASSERT_TRUE(made) << made.status().message();
    EXPECT_EQ(*made, "alice: Account successfully created");
    EXPECT_EQ(userNameAvailability(client, "ALICE"), "ALICE: This user name is not available");
    EXPECT_FALSE(createAccount(client, account("Alice", "pw1234", "pw1234")));
    EXPECT_EQ(loginToService(client, "alice", "wrong").message(), "Invalid user name or password");
    // Guessing is paused: after five failures even the right password is refused.
    ASSERT_TRUE(createAccount(client, account("bob", "pw1234", "pw1234")));
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(loginToService(client, "bob", "guess" + std::to_string(i)));
    EXPECT_FALSE(loginToService(client, "BOB", "pw1234"));
    EXPECT_EQ(publishingAsText(client), "Publishing as Guest");
    ASSERT_TRUE(loginToService(client, "alice", "pw1234"));
    EXPECT_EQ(publishingAsText(client), "Publishing as alice");
    EXPECT_FALSE(client.adultAllowed);
    // Another client without the login's session cannot reserve handles.
    PublicationClient stranger(servers.address());
    EXPECT_EQ(stranger.command("gethandle"), kCommandFailed);
    EXPECT_TRUE(isValidHandle(client.command("gethandle")));
}

// Opens the sample project; the scene tests publish its first image.
std::unique_ptr<Project> sampleProject() {
    RecordingPrompter prompter;
    auto project = openProjectDocument(ZX_SAMPLES_DIR "/sample.zxp", prompter);
    return project ? std::move(project).value() : nullptr;
}

const fs::path kPlayer = ZX_SAMPLES_DIR "/../../web/player/zelvotrixv2.js";

// The page's DOM after its scripts ran in headless Chromium (software WebGL); none
// when Chromium is not installed.
std::optional<std::string> browsedPage(const std::string& url, const fs::path& profile) {
    if (std::system("command -v chromium >/dev/null 2>&1") != 0) return std::nullopt;
    const std::string command =
        "chromium --headless=new --no-sandbox --disable-gpu --use-gl=angle "
        "--use-angle=swiftshader --enable-unsafe-swiftshader --no-first-run "
        "--disable-background-networking --virtual-time-budget=10000 --user-data-dir='" +
        profile.string() + "' --dump-dom '" + url + "' 2>/dev/null";
    std::string dom;
    if (FILE* out = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;) dom.append(buffer, n);
        ::pclose(out);
    }
    return dom;
}

TEST(PublicationClient, TreatsAnswersAsUntrustedText) {
    httplib::Server hostile;
    hostile.Get("/ajax.php", [](const httplib::Request& req, httplib::Response& res) {
        const std::string command = req.get_param_value("command");
        if (command == "echo")
            res.set_content("test\r\nmore", "text/plain");
        else if (command == "gethandle")
            res.set_content("../../etc/x\n", "text/plain");
        else if (command == "dbstatus")
            res.set_content("ok\n", "text/plain");
        else
            res.set_content(std::string(1 << 20, 'A'), "text/plain");
    });
    const int port = hostile.bind_to_any_port("127.0.0.1");
    std::thread t([&] { hostile.listen_after_bind(); });
    // The client goes before the server stops, closing its kept-alive connection.
    auto client = std::make_unique<PublicationClient>(
        PublishServerAddress{"http://127.0.0.1:" + std::to_string(port), "", "127.0.0.1", ""});
    EXPECT_EQ(client->command("zxversion").size(), 1024u);
    EXPECT_FALSE(latestProgramVersion(*client));
    client->user = "alice";
    MemorySettingsStore settings;
    NullProgress progress;
    RecordingPrompter prompter;
    const PublicationDetails d{"Title", "", "Public", "Other3D"};
    const std::unique_ptr<Project> project = sampleProject();
    ASSERT_TRUE(project);
    Result<PublishedItem> item =
        publishScene(*client, *project, {}, kPlayer, d, settings, progress, prompter);
    EXPECT_EQ(item.status().message(), kDatabaseProblem) << "a handle that is no name is refused";
    client.reset();
    hostile.stop();
    t.join();
}

TEST(PublicationService, PublishesASceneEndToEnd) {
    if (!PublishServers::ftpAvailable()) GTEST_SKIP() << "vsftpd needs root and the package";
    PublishServers servers;
    PublicationClient client(servers.address());
    loginAlice(client);
    const std::unique_ptr<Project> project = sampleProject();
    ASSERT_TRUE(project);
    const PublicationDetails d{kAwkwardTitle, "line 1\nline 2 & <b>", "Unlisted", "Education"};
    MemorySettingsStore settings;
    NullProgress progress;
    RecordingPrompter prompter;
    Result<PublishedItem> item =
        publishScene(client, *project, {}, kPlayer, d, settings, progress, prompter);
    ASSERT_TRUE(item) << item.status().fullText();
    EXPECT_EQ(settings.readInt("ftpwarning"), 1);
    const std::string h = item->handle;
    EXPECT_EQ(item->playerLink, servers.address().http + "/?h=" + h);

    const auto stored = servers.db->item(h);
    ASSERT_TRUE(stored && stored->registered);
    EXPECT_EQ(stored->title, d.title);
    EXPECT_EQ(stored->description, d.description);
    EXPECT_EQ(stored->owner, "alice");

    const auto page = servers.get("/?h=" + h);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_NE(page->body.find(server::htmlEscape(d.title)), std::string::npos);
    EXPECT_EQ(page->body.find("<script>alert"), std::string::npos);
    EXPECT_EQ(servers.get("/zelvotrixv2.js")->body, readText(kPlayer));
    EXPECT_EQ(servers.get("/?h=unknown1")->status, 404);
    EXPECT_EQ(servers.get("/pub/json/unknown1.js")->status, 404);
    EXPECT_EQ(servers.get("/pub/img/" + h + ".jpg")->status, 404) << "a file of another kind";
    const auto shortLink = servers.get("/s/" + h);
    EXPECT_EQ(shortLink->get_header_value("Location"), "/?h=" + h);

    // The same scene written here in publish mode is what the page gets.
    WebGlExportOptions options;
    options.publish = true;
    options.publishedName = h;
    options.page.owner = "alice";
    options.page.title = d.title;
    options.page.description = d.description;
    options.page.privacy = d.privacy;
    options.page.category = d.category;
    const fs::path local = servers.data / "local";
    ASSERT_TRUE(exportWebGl(*project, options, local, kPlayer, nullptr));
    const std::string data = servers.get("/pub/json/" + h + ".js")->body;
    EXPECT_EQ(data, publishedDataText(readText(local / kWebGlDataFile)));
    EXPECT_NE(data.find(jsString(d.title)), std::string::npos);
    EXPECT_NE(data.find("zxdef = ["), std::string::npos);
    const auto texture = servers.get("/pub/img/" + h + ".png");
    EXPECT_EQ(texture->body, readText(local / "zxwebgl_tex.png"));
    // The sandboxed page may give it to WebGL.
    EXPECT_EQ(texture->get_header_value("Access-Control-Allow-Origin"), "*");
    EXPECT_EQ(servers.get("/pub/vig/" + h + ".jpg")->body, readText(local / kWebGlThumbnailFile));

    // The item page, sandboxed as the server sends it, draws the scene.
    if (const auto dom = browsedPage(item->playerLink + "&zxfreeze=0", servers.data / "profile")) {
        EXPECT_NE(dom->find("<title>zx-drawn</title>"), std::string::npos) << *dom;
    }
}

fs::path testVideo(const fs::path& folder) {
    const fs::path video = folder / "clip.avi";
    ChildProcess ffmpeg;
    std::string out;
    EXPECT_TRUE(
        ffmpeg.start({"ffmpeg", "-nostdin", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25",
                      "-t", "2", "-c:v", "rawvideo", "-pix_fmt", "bgr24", "-y", video.string()}));
    while (ffmpeg.read(out, std::chrono::seconds(5)) != ChildProcess::ReadStatus::Closed) {}
    EXPECT_EQ(ffmpeg.wait(), 0) << out;
    return video;
}

TEST(PublicationService, PublishesAVideoEndToEnd) {
    if (!PublishServers::ftpAvailable()) GTEST_SKIP() << "vsftpd needs root and the package";
    PublishServers servers;
    PublicationClient client(servers.address());
    loginAlice(client);
    const PublicationDetails d{"\xC3\x89t\xC3\xA9 & \"nuit\" #1", "<i>desc</i>", "Public",
                               "People"};
    MemorySettingsStore settings;
    NullProgress progress;
    RecordingPrompter prompter;
    Result<PublishedItem> item =
        publishVideo(client, {testVideo(servers.data), 2}, d, settings, progress, prompter);
    ASSERT_TRUE(item) << item.status().fullText();
    const std::string h = item->handle;
    const std::string page = servers.get("/?h=" + h)->body;
    EXPECT_NE(page.find("<video controls width=\"320\" height=\"240\""), std::string::npos);
    EXPECT_NE(page.find(server::htmlEscape(d.title)), std::string::npos);
    EXPECT_EQ(servers.get("/pub/json/" + h + ".js")->body,
              videoDescriptorText("alice", d, 320, 240));
    for (const char* ext : {".webm", ".mp4"}) {
        const std::string body = servers.get("/pub/video/" + h + ext)->body;
        EXPECT_GT(body.size(), 1000u);
        EXPECT_EQ(body, readText(servers.uploads() / "video" / (h + ext)));
    }
    EXPECT_EQ(servers.get("/pub/vig/" + h + ".jpg")->body.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(servers.db->publicItems(5).size(), 1u);
}

// A square crossing a 160 × 120 movie in 25 frames.
class SquareMovie : public MovieFrameSource {
public:
    int frameCount() const override { return 25; }
    Result<RasterImage> frame(int index) override {
        RasterImage picture(160, 120, 0xFF203040u);
        for (int y = 40; y < 80; ++y)
            for (int x = 0; x < 40; ++x) picture.at(index * 4 + x, y) = 0xFFFFC000u;
        return picture;
    }
};

TEST(PublicationService, PublishesTheMovieAsAVideo) {
    if (!PublishServers::ftpAvailable()) GTEST_SKIP() << "vsftpd needs root and the package";
    PublishServers servers;
    PublicationClient client(servers.address());
    loginAlice(client);
    SquareMovie movie;
    MemorySettingsStore settings;
    NullProgress progress;
    RecordingPrompter prompter;
    const PublicationDetails d{"The square", "", "Public", "Education"};
    Result<PublishedItem> item =
        publishMovie(client, {&movie, 160, 120, 25}, d, settings, progress, prompter);
    ASSERT_TRUE(item) << item.status().fullText();
    const std::string h = item->handle;
    EXPECT_EQ(servers.get("/pub/json/" + h + ".js")->body,
              videoDescriptorText("alice", d, 160, 120));
    EXPECT_NE(servers.get("/?h=" + h)->body.find("width=\"160\" height=\"120\""),
              std::string::npos);
    EXPECT_GT(servers.get("/pub/video/" + h + ".mp4")->body.size(), 1000u);
}

TEST(PublicationService, AnUploadCutOffNeverRegistersTheItem) {
    if (!PublishServers::ftpAvailable()) GTEST_SKIP() << "vsftpd needs root and the package";
    PublishServers servers;
    PublicationClient client(servers.address());
    client.retryDelay = std::chrono::milliseconds(10);
    loginAlice(client);
    MemorySettingsStore settings;
    WatchedProgress progress;
    progress.onPosition = [&](long long sent) {
        if (sent > 0) servers.stopFtp();
    };
    RecordingPrompter prompter;
    const PublicationDetails d{"Cut off", "", "Public", "Other3D"};
    Result<PublishedItem> item =
        publishVideo(client, {testVideo(servers.data), 1}, d, settings, progress, prompter);
    EXPECT_FALSE(item);
    bool told = false;
    for (const std::string& t : prompter.texts())
        told = told || t.find("The item was not published.") != std::string::npos;
    EXPECT_TRUE(told);
    EXPECT_TRUE(servers.db->publicItems(5).empty());
}

// ftps:// sends everything over TLS, to a server whose certificate is trusted only
// through the certificates it was told of.
TEST(PublicationClient, UploadsOverTlsOnlyToATrustedServer) {
    if (!PublishServers::ftpAvailable()) GTEST_SKIP() << "vsftpd needs root and the package";
    PublishServers servers(true);
    const fs::path file = servers.data / "sent.js";
    std::ofstream(file) << kAwkwardTitle;
    PublishServerAddress address = servers.address();
    const std::string where = "127.0.0.1:" + std::to_string(servers.ftpPort) + "/zelvotrix/upload";
    NullProgress progress;
    RecordingPrompter prompter;
    auto send = [&](const std::string& ftp, const std::string& caFile, const char* name) {
        address.ftp = ftp;
        address.caFile = caFile;
        PublicationClient client(address);
        client.retryDelay = std::chrono::milliseconds(10);
        return bool(client.upload(file, "json", name, progress, prompter));
    };
    EXPECT_FALSE(send("ftps://" + where, "", "untrusted.js"));
    EXPECT_FALSE(send("ftp://" + where, "", "plain.js"));
    EXPECT_TRUE(send("ftps://" + where, servers.certFile.string(), "trusted.js"));
    EXPECT_EQ(readText(servers.uploads() / "json" / "trusted.js"), kAwkwardTitle);
    EXPECT_FALSE(fs::exists(servers.uploads() / "json" / "untrusted.js"));
    EXPECT_FALSE(fs::exists(servers.uploads() / "json" / "plain.js"));
}

std::string runCli(const std::vector<std::string>& args, int& status) {
    ChildProcess cli;
    std::vector<std::string> argv{ZX_CLI, "--settings", "/nonexistent/zx.conf", "-q"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::string out;
    EXPECT_TRUE(cli.start(argv));
    while (cli.read(out, std::chrono::seconds(5)) != ChildProcess::ReadStatus::Closed) {}
    status = cli.wait();
    return out;
}

TEST(PublicationService, CommandLineToolPublishesWithThePasswordFromTheEnvironment) {
    if (!PublishServers::ftpAvailable()) GTEST_SKIP() << "vsftpd needs root and the package";
    PublishServers servers;
    PublicationClient client(servers.address());
    loginAlice(client);
    const std::vector<std::string> args{
        "publish",  ZX_SAMPLES_DIR "/sample.zxp", "--image", "0",    "--title", "From the tool",
        "--server", servers.address().http,       "--user",  "alice"};
    int status = 0;
    ::setenv("ZX_PUBLISH_PASSWORD", "wrong", 1);
    EXPECT_NE(runCli(args, status).find("Invalid user name or password"), std::string::npos);
    EXPECT_NE(status, 0);
    ::setenv("ZX_PUBLISH_PASSWORD", "pw1234", 1);
    const std::string out = runCli(args, status);
    ::unsetenv("ZX_PUBLISH_PASSWORD");
    ASSERT_EQ(status, 0) << out;
    const size_t at = out.find(servers.address().http + "/?h=");
    ASSERT_NE(at, std::string::npos) << out;
    const std::string link = out.substr(at, out.find('\n', at) - at);
    EXPECT_NE(servers.get(link.substr(servers.address().http.size()))->body.find("From the tool"),
              std::string::npos);
    EXPECT_EQ(out.find("pw1234"), std::string::npos);
}

} // namespace
} // namespace zx
