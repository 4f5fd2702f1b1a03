// Runs the real zelvotrix-cli on the fixtures.

#include "platform/Prompter.h"
#include "storage/GzContainer.h"
#include "storage/ProjectFile.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace zx {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const fs::path kFixtures = ZX_FIXTURES_DIR;

std::string quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("zx-cli-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        // Tests never read the settings of whoever runs them.
        settings_ = dir_ / "settings.conf";
        writeSettings("");
    }
    void TearDown() override { fs::remove_all(dir_); }

    void writeSettings(const std::string& lines) {
        std::ofstream(settings_) << "[Settings]\n" << lines;
    }

    struct Result {
        int status = -1;
        std::string out, err;
    };

    // Runs the tool with the test's settings file; stdin is not a terminal.
    Result run(const std::vector<std::string>& args, bool withSettings = true) {
        std::string cmd = quote(ZX_CLI_PATH);
        if (withSettings) cmd += " --settings " + quote(settings_.string());
        for (const auto& a : args) cmd += " " + quote(a);
        fs::path errFile = dir_ / "stderr.txt";
        cmd += " 2>" + quote(errFile.string()) + " </dev/null";
        Result r;
        std::FILE* pipe = ::popen(cmd.c_str(), "r");
        if (!pipe) return r;
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
        int st = ::pclose(pipe);
        r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        r.err = slurp(errFile);
        return r;
    }

    json info(const fs::path& file) {
        Result r = run({"info", file.string(), "--json"});
        EXPECT_EQ(r.status, 0) << r.err;
        return json::parse(r.out, nullptr, false);
    }

    fs::path operator/(const std::string& name) const { return dir_ / name; }

    fs::path dir_;
    fs::path settings_;
};

std::vector<uint8_t> streamOf(const fs::path& file) {
    ContainerContent c = readGzContainer(file, kProjectMagic);
    EXPECT_EQ(c.status, ContainerStatus::Ok) << file;
    return c.data;
}

TEST_F(Cli, HelpForEverySubcommand) {
    for (std::vector<std::string> args : {std::vector<std::string>{"--help"},
                                          {"info", "--help"},
                                          {"new", "--help"},
                                          {"resave", "--help"}}) {
        Result r = run(args);
        EXPECT_EQ(r.status, 0) << args[0];
        EXPECT_NE(r.out.find("Usage"), std::string::npos) << r.out;
    }
    EXPECT_NE(run({}).status, 0);
    Result unknown = run({"frobnicate"});
    EXPECT_NE(unknown.status, 0);
    EXPECT_NE(unknown.err.find("\"frobnicate\""), std::string::npos) << unknown.err;
    EXPECT_NE(unknown.err.find("resave"), std::string::npos) << "the subcommands are listed";

    Result version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("zelvotrix-cli ", 0), 0u) << version.out;
    // The global options go after the subcommand too.
    EXPECT_EQ(run({"info", (kFixtures / "golden-empty.zxp").string(), "-q", "-y"}).status, 0);
}

TEST_F(Cli, NewBuildsOneSixLayerImagePerPhotograph) {
    writeSettings("FPS=10\nTimeDefS=2\nTimeDefF=3\nvideoX=320\nvideoY=5000\n");
    fs::path out = *this / "two.zxp";
    Result r = run({"new", (kFixtures / "photo-24x16.png").string(),
                    (kFixtures / "photo-alpha-12x10.png").string(), "-o", out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;

    json d = info(out);
    EXPECT_EQ(d["kind"], "project");
    EXPECT_EQ(d["version"], 1005);
    EXPECT_EQ(d["movie"], (json{{"width", 320}, {"height", 360}, {"fps", 10}}));
    EXPECT_EQ(d["mode"], 0);
    EXPECT_EQ(d["current_image"], 1);
    EXPECT_EQ(d["canvas_colour"], -1);
    EXPECT_EQ(d["camera_frames"], 0);
    // The timeline shows both rows, as in a project the app starts.
    SilentPrompter quiet;
    std::unique_ptr<Project> loaded = loadProject(out, quiet);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->timelineWords, TimelineWords::forNewProject());
    ASSERT_EQ(d["images"].size(), 2u);
    const json& a = d["images"][0];
    EXPECT_EQ(a["width"], 24);
    EXPECT_EQ(a["height"], 16);
    EXPECT_EQ(a["duration"], 23);
    EXPECT_TRUE(a["animation"].is_null());
    ASSERT_EQ(a["layers"].size(), 5u);
    std::vector<int> kinds;
    std::vector<std::string> names;
    for (const json& l : a["layers"]) {
        kinds.push_back(l["kind"]);
        names.push_back(l["name"]);
    }
    EXPECT_EQ(kinds, (std::vector<int>{0, 0, 1, 0, 2}));
    EXPECT_EQ(names, (std::vector<std::string>{"", "photo-24x16.png", "<alpha>", "", ""}));
    EXPECT_EQ(a["layers"][1]["width"], 24);
    EXPECT_EQ(a["layers"][1]["index"], 2);
    EXPECT_EQ(a["layers"][1]["opacity"], 255);
    EXPECT_EQ(a["layers"][1]["word_a"], 1);
    EXPECT_EQ(a["layers"][3]["width"], 0);
    EXPECT_EQ(d["images"][1]["width"], 12);

    // The text form names the same things.
    Result text = run({"info", out.string()});
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("2 images"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("\"photo-alpha-12x10.png\" 12 x 10"), std::string::npos) << text.out;
}

TEST_F(Cli, LargePhotographsAreReducedOnlyWhenTheAnswerIsYes) {
    writeSettings("MaxSize=150\n");
    fs::path wide = kFixtures / "wide-300x20.png";
    Result no = run({"new", wide.string(), "-o", (*this / "kept.zxp").string()});
    ASSERT_EQ(no.status, 0) << no.err;
    EXPECT_NE(no.err.find("Resize image for best performance?"), std::string::npos);
    EXPECT_EQ(info(*this / "kept.zxp")["images"][0]["width"], 300);

    Result yes =
        run({"--yes", "new", wide.string(), wide.string(), "-o", (*this / "reduced.zxp").string()});
    ASSERT_EQ(yes.status, 0) << yes.err;
    // Asked once, then later pictures are reduced silently.
    size_t first = yes.err.find("Resize image");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(yes.err.find("Resize image", first + 1), std::string::npos) << yes.err;
    json d = info(*this / "reduced.zxp");
    for (const json& img : d["images"]) {
        EXPECT_EQ(img["width"], 150);
        EXPECT_EQ(img["height"], 10);
    }
}

TEST_F(Cli, FailuresExitNonZeroWithTheMessage) {
    Result tooSmall =
        run({"new", (kFixtures / "tiny-7x9.png").string(), "-o", (*this / "x.zxp").string()});
    EXPECT_NE(tooSmall.status, 0);
    EXPECT_NE(tooSmall.err.find("Image too small (minimum = 8 x 8), cannot load!"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(*this / "x.zxp"));

    Result missing = run({"info", (*this / "missing.zxp").string()});
    EXPECT_NE(missing.status, 0);
    EXPECT_EQ(missing.err, "Not a valid Zelvotrix project, or file corrupted\n" +
                               (*this / "missing.zxp").string() + ": there is no such file\n");

    Result image = run({"info", (kFixtures / "photo-24x16.png").string()});
    EXPECT_NE(image.status, 0);
    EXPECT_NE(image.err.find("zelvotrix-cli new "), std::string::npos) << image.err;

    Result ext =
        run({"resave", (kFixtures / "golden-empty.zxp").string(), (*this / "out.txt").string()});
    EXPECT_NE(ext.status, 0);
    EXPECT_EQ(ext.err, "Invalid file extension, .zxp expected\n");

    std::ofstream(*this / "broken.zxp") << "garbage";
    Result broken = run({"resave", (*this / "broken.zxp").string(), (*this / "o.zxp").string()});
    EXPECT_NE(broken.status, 0);
    EXPECT_NE(broken.err.find("Not a valid Zelvotrix project"), std::string::npos);
    EXPECT_FALSE(fs::exists(*this / "o.zxp"));
}

TEST_F(Cli, ResaveKeepsTheChunkStream) {
    for (const char* name : {"golden-two-images.zxp", "golden-empty.zxp"}) {
        fs::path out = *this / name;
        Result r = run({"resave", (kFixtures / name).string(), out.string()});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(streamOf(out), streamOf(kFixtures / name)) << name;
    }
    // A project made by `new` too.
    fs::path made = *this / "made.zxp";
    ASSERT_EQ(
        run({"new", (kFixtures / "photo-alpha-12x10.png").string(), "-o", made.string()}).status,
        0);
    ASSERT_EQ(run({"resave", made.string(), (*this / "again.zxp").string()}).status, 0);
    EXPECT_EQ(streamOf(*this / "again.zxp"), streamOf(made));
}

TEST_F(Cli, NamesInTheFilesCodePageAreShownAsUtf8AndKeptAsBytes) {
    // A photograph named with a Latin-1 byte, as an older file system would give it.
    const fs::path photo = *this / "caf\xE9 \"1\".png";
    fs::copy_file(kFixtures / "photo-24x16.png", photo);
    const fs::path made = *this / "made.zxp", again = *this / "again.zxp";
    ASSERT_EQ(run({"new", photo.string(), "-o", made.string()}).status, 0);

    json d = info(made);
    ASSERT_TRUE(d.is_object());
    EXPECT_EQ(d["images"][0]["layers"][1]["name"], "caf\xC3\xA9 \"1\".png");
    Result text = run({"info", made.string()});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("\"caf\xC3\xA9 \\\"1\\\".png\""), std::string::npos) << text.out;

    ASSERT_EQ(run({"resave", made.string(), "-o", again.string()}).status, 0);
    EXPECT_EQ(streamOf(again), streamOf(made)) << "the name's bytes are written back";
}

// The commands of the README, as it writes them.
TEST_F(Cli, TheReadmeCommandsWork) {
    const fs::path photo = kFixtures / "photo-24x16.png";
    const fs::path in = *this / "IN.zxp", out = *this / "OUT.zxp";
    EXPECT_EQ(run({"new", photo.string(), "-o", in.string()}).status, 0);
    EXPECT_EQ(run({"info", in.string(), "--json"}).status, 0);
    Result resave = run({"resave", in.string(), "-o", out.string()});
    EXPECT_EQ(resave.status, 0) << resave.err;
    Result mesh = run(
        {"mesh", in.string(), "--image", "0", "--regions", "contours", "--3d", "-o", out.string()});
    EXPECT_EQ(mesh.status, 0) << mesh.err;
    Result render = run({"render", out.string(), "--image", "0", "--frame", "0", "--quality", "1",
                         "-o", (*this / "OUT.png").string()});
    EXPECT_EQ(render.status, 0) << render.err;
    Result all =
        run({"render", out.string(), "--image", "0", "--all-frames", (*this / "frames").string()});
    EXPECT_EQ(all.status, 0) << all.err;
    Result demo = run({"demo", photo.string(), "-o", (*this / "demo.zxp").string()});
    EXPECT_EQ(demo.status, 0) << demo.err;
}

TEST_F(Cli, InfoOnTheGoldenProject) {
    json d = info(kFixtures / "golden-two-images.zxp");
    EXPECT_EQ(d["movie"], (json{{"width", 320}, {"height", 200}, {"fps", 12}}));
    EXPECT_EQ(d["mode"], 2);
    EXPECT_EQ(d["canvas_colour"], 0);
    EXPECT_EQ(d["camera_frames"], 3);
    ASSERT_EQ(d["images"].size(), 2u);
    const json& a = d["images"][0];
    EXPECT_EQ(a["duration"], 36);
    ASSERT_FALSE(a["animation"].is_null());
    EXPECT_EQ(a["animation"]["words"], 21);
    EXPECT_TRUE(a["animation"]["objects"].is_array());
    EXPECT_EQ(a["layers"][1]["opacity"], 200);
    EXPECT_TRUE(d["images"][1]["animation"].is_null());
}

} // namespace
} // namespace zx
