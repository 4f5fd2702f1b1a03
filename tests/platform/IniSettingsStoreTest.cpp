#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace zx {
namespace {

namespace fs = std::filesystem;

fs::path tempIni(const char* name) {
    fs::path dir = fs::temp_directory_path() / ("zx-ini-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir / name;
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The lines below are what Qt's QSettings writes for these values in its INI
// format (organisation "Brenlok", application "Zelvotrix", group "Settings").
constexpr const char* kQtWritten = "[Settings]\n"
                                   "CurveDir=/h\xc3\xa9/\n"
                                   "FPS=25\n"
                                   "ImportDir=C:\\\\x\\\\y\n"
                                   "LibDir=\"/a,b;c/\"\n"
                                   "ProjectDir=/home/u/My Documents/\n"
                                   "VideoDir=\" lead\"\n"
                                   "winGeom=@ByteArray(\\x1\\x2\\0zz)\n"
                                   "\n"
                                   "[MainWindow]\n"
                                   "state=@ByteArray(\\0\\0\\0\\xff)\n";

TEST(IniSettingsStore, ReadsWhatQSettingsWrites) {
    fs::path path = tempIni("read.conf");
    std::ofstream(path) << kQtWritten;
    IniSettingsStore store(path);
    EXPECT_EQ(store.readInt("FPS"), 25);
    EXPECT_EQ(store.readString("CurveDir"), "/h\xc3\xa9/");
    EXPECT_EQ(store.readString("ImportDir"), "C:\\x\\y");
    EXPECT_EQ(store.readString("LibDir"), "/a,b;c/");
    EXPECT_EQ(store.readString("ProjectDir"), "/home/u/My Documents/");
    EXPECT_EQ(store.readString("VideoDir"), " lead");
    fs::remove(path);
}

TEST(IniSettingsStore, FlushKeepsWhatItDidNotChange) {
    fs::path path = tempIni("keep.conf");
    std::ofstream(path) << kQtWritten;
    {
        IniSettingsStore store(path);
        store.writeInt("FPS", 30);
        store.writeString("LibDir", "/x,y/");
        ASSERT_TRUE(store.flush());
    }
    std::string text = slurp(path);
    EXPECT_NE(text.find("FPS=30\n"), std::string::npos);
    EXPECT_NE(text.find("LibDir=\"/x,y/\"\n"), std::string::npos);
    EXPECT_NE(text.find("winGeom=@ByteArray(\\x1\\x2\\0zz)\n"), std::string::npos);
    EXPECT_NE(text.find("ImportDir=C:\\\\x\\\\y\n"), std::string::npos);
    EXPECT_NE(text.find("[MainWindow]\nstate=@ByteArray(\\0\\0\\0\\xff)\n"), std::string::npos);
    IniSettingsStore again(path);
    EXPECT_EQ(again.readString("LibDir"), "/x,y/");
    fs::remove(path);
}

TEST(IniSettingsStore, EncodingMatchesQSettings) {
    EXPECT_EQ(IniSettingsStore::encodeValue("/home/u/Documents/"), "/home/u/Documents/");
    EXPECT_EQ(IniSettingsStore::encodeValue("/a,b;c/"), "\"/a,b;c/\"");
    EXPECT_EQ(IniSettingsStore::encodeValue(" lead"), "\" lead\"");
    EXPECT_EQ(IniSettingsStore::encodeValue("C:\\x"), "C:\\\\x");
    EXPECT_EQ(IniSettingsStore::encodeValue("say \"hi\""), "say \\\"hi\\\"");
    EXPECT_EQ(IniSettingsStore::encodeValue("a\nb"), "a\\nb");
    EXPECT_EQ(IniSettingsStore::encodeValue("@home"), "@@home");
    for (const char* v : {"/a,b;c/", " x ", "C:\\x\\y", "q\"uote", "line\nbreak\ttab", "@at", "k=v",
                          "\x01"
                          "1",
                          "plain"})
        EXPECT_EQ(IniSettingsStore::decodeValue(IniSettingsStore::encodeValue(v)), v) << v;
    EXPECT_EQ(IniSettingsStore::decodeValue("value ; comment"), "value");
}

} // namespace
} // namespace zx
