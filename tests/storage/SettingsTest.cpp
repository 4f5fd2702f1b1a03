#include "storage/Settings.h"

#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace zx {
namespace {

SettingsEnvironment testEnv() {
    return {"/home/u/Documents/", "/home/u/.local/share/Zelvotrix/", 6};
}

Settings readWith(std::initializer_list<std::pair<const char*, int>> ints) {
    MemorySettingsStore store;
    for (auto [k, v] : ints) store.writeInt(k, v);
    return readSettings(store, testEnv());
}

TEST(Settings, DefaultsOfAnEmptyStore) {
    MemorySettingsStore store;
    Settings s = readSettings(store, testEnv());
    EXPECT_EQ(s.firstRun, 1);
    EXPECT_EQ(s.windowMaximised, 1);
    EXPECT_EQ(s.videoX, 640);
    EXPECT_EQ(s.videoY, 480);
    EXPECT_EQ(s.fps, 30);
    EXPECT_EQ(s.maxSize, 1024);
    EXPECT_EQ(s.timeDefS, 3);
    EXPECT_EQ(s.timeDefF, 0);
    EXPECT_EQ(s.jpegQuality, 3);
    EXPECT_EQ(s.videoRender, 1);
    EXPECT_EQ(s.animRender, 1);
    EXPECT_EQ(s.contourDef, 1);
    EXPECT_EQ(s.cacheSpool, 1);
    EXPECT_EQ(s.projectDir, "/home/u/Documents/");
    EXPECT_EQ(s.libDir, "/home/u/Documents/");
    EXPECT_EQ(s.videoDir, "/home/u/Documents/");
    EXPECT_EQ(s.curveDir, "/home/u/.local/share/Zelvotrix/");
    EXPECT_EQ(s.cores, 6);
    EXPECT_EQ(s.defaultDurationFrames(), 90);
}

TEST(Settings, OutOfRangeValuesTakeTheirReplacements) {
    EXPECT_EQ(readWith({{"FPS", 0}}).fps, 30);
    EXPECT_EQ(readWith({{"FPS", 101}}).fps, 30);
    EXPECT_EQ(readWith({{"FPS", 100}}).fps, 100);
    EXPECT_EQ(readWith({{"MaxSize", 32}}).maxSize, 1024);
    EXPECT_EQ(readWith({{"MaxSize", -1}}).maxSize, -1);
    EXPECT_EQ(readWith({{"MaxSize", 64}}).maxSize, 64);
    EXPECT_EQ(readWith({{"MaxSize", 4096}}).maxSize, 1024);
    // The replacement differs from the default.
    EXPECT_EQ(readWith({{"videoX", 5000}}).videoX, 480);
    EXPECT_EQ(readWith({{"videoY", 0}}).videoY, 360);
    EXPECT_EQ(readWith({{"JPEGquality", 4}}).jpegQuality, 3);
    EXPECT_EQ(readWith({{"VideoRender", -1}}).videoRender, 1);
    EXPECT_EQ(readWith({{"AnimRender", 2}}).animRender, 1);
    EXPECT_EQ(readWith({{"ContourDef", 3}}).contourDef, 1);
    EXPECT_EQ(readWith({{"ContourDef", 2}}).contourDef, 2);
}

TEST(Settings, DefaultDurationKeepsFramesOnlyAndReplacesZero) {
    Settings a = readWith({{"TimeDefS", 0}, {"TimeDefF", 12}});
    EXPECT_EQ(a.timeDefS, 0);
    EXPECT_EQ(a.timeDefF, 12);
    EXPECT_EQ(a.defaultDurationFrames(25), 12);
    Settings b = readWith({{"TimeDefS", 0}, {"TimeDefF", 0}});
    EXPECT_EQ(b.timeDefS, 3);
    EXPECT_EQ(b.timeDefF, 0);
    EXPECT_EQ(readWith({{"TimeDefS", 2}, {"TimeDefF", 5}}).defaultDurationFrames(10), 25);
}

TEST(Settings, SmoothActionAlwaysStartsOnButIsWrittenAsSet) {
    Settings s = readWith({{"SmoothAction", 0}});
    EXPECT_EQ(s.smoothAction, 1);
    s.smoothAction = 0;
    MemorySettingsStore out;
    ASSERT_TRUE(writeSettings(s, out));
    EXPECT_EQ(out.readInt("SmoothAction"), 0);
}

TEST(Settings, EmptyFoldersFollowTheProjectFolder) {
    MemorySettingsStore store;
    store.writeString("ProjectDir", "/data/work/");
    store.writeString("ImportDir", "/photos/");
    store.writeString("CurveDir", "");
    Settings s = readSettings(store, testEnv());
    EXPECT_EQ(s.projectDir, "/data/work/");
    EXPECT_EQ(s.importDir, "/photos/");
    EXPECT_EQ(s.libDir, "/data/work/");
    EXPECT_EQ(s.export3dDir, "/data/work/");
    EXPECT_EQ(s.curveDir, "/home/u/.local/share/Zelvotrix/");
}

TEST(Settings, WriteThenReadGivesTheSameValuesAndFirstRunZero) {
    Settings s = readWith({});
    s.videoX = 1280;
    s.videoY = 720;
    s.fps = 25;
    s.maxSize = -1;
    s.pcSpeed = 1234;
    s.noSamples = 1;
    s.windowX = 10;
    s.historyShown = 1;
    s.historyH = 300;
    s.libDir = "/lib/dir/";
    auto path = std::filesystem::temp_directory_path() / "zx-settings-test" / "Zelvotrix.conf";
    std::filesystem::remove_all(path.parent_path());
    {
        IniSettingsStore ini(path);
        ASSERT_TRUE(writeSettings(s, ini));
    }
    IniSettingsStore again(path);
    Settings r = readSettings(again, testEnv());
    EXPECT_EQ(r.firstRun, 0);
    EXPECT_EQ(r.videoX, 1280);
    EXPECT_EQ(r.videoY, 720);
    EXPECT_EQ(r.fps, 25);
    EXPECT_EQ(r.maxSize, -1);
    EXPECT_EQ(r.pcSpeed, 1234);
    EXPECT_EQ(r.noSamples, 1);
    EXPECT_EQ(r.windowX, 10);
    EXPECT_EQ(r.historyShown, 1);
    EXPECT_EQ(r.historyH, 300);
    EXPECT_EQ(r.libDir, "/lib/dir/");
    EXPECT_EQ(r.projectDir, "/home/u/Documents/");
    std::ifstream in(path);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "[Settings]");
    std::filesystem::remove_all(path.parent_path());
}

TEST(Settings, EnvironmentFolders) {
    ::setenv("XDG_DOCUMENTS_DIR", "/x/docs", 1);
    ::setenv("XDG_DATA_HOME", "/x/data", 1);
    ::setenv("XDG_CONFIG_HOME", "/x/config", 1);
    SettingsEnvironment env = systemSettingsEnvironment();
    EXPECT_EQ(env.documentsDir, "/x/docs/");
    EXPECT_EQ(env.curveDir, "/x/data/Zelvotrix/");
    EXPECT_GE(env.cores, 1);
    EXPECT_EQ(defaultSettingsPath(), std::filesystem::path("/x/config/Brenlok/Zelvotrix.conf"));
    ::unsetenv("XDG_DOCUMENTS_DIR");
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("XDG_CONFIG_HOME");
    std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(systemSettingsEnvironment().documentsDir, "/home/someone/Documents/");
    EXPECT_EQ(defaultSettingsPath(),
              std::filesystem::path("/home/someone/.config/Brenlok/Zelvotrix.conf"));
    ::setenv("HOME", home.c_str(), 1);
}

} // namespace
} // namespace zx
