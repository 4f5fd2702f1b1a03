#include "storage/CurveFile.h"
#include "platform/RecordingPrompter.h"
#include "platform/SafeFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace zx {
namespace {

namespace fs = std::filesystem;

uint32_t pt(int x, int y) {
    return uint32_t(x) | (uint32_t(y) << 16);
}

std::vector<NamedCurve> parse(std::string_view text, CurveFileStatus* status = nullptr) {
    std::vector<NamedCurve> t;
    CurveFileStatus s = parseUserCurves(text, t);
    if (status) *status = s;
    return t;
}

class CurveFileDir : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("zx_curves_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        file = dir / std::string(kUserCurveFileName);
    }
    void TearDown() override { fs::remove_all(dir); }
    static std::string read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    static void write(const fs::path& p, std::string_view s) {
        std::ofstream(p, std::ios::binary) << s;
    }
    fs::path dir, file;
};

TEST(CurveFileParse, ReadsCurvesSkippingCommentsAndBlankLines) {
    auto t = parse("CURVES\n; header\n\nCURVE Ease in\nSPLINE\n0,0\n; between points\n\n"
                   "200,50\n512,512\n\nCURVE Step\r\nLINEAR\r\n0,0\r\n256,512\r\n512,512\r\n");
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0], (NamedCurve{"Ease in", 0, {pt(0, 0), pt(200, 50), pt(512, 512)}}));
    EXPECT_EQ(t[1], (NamedCurve{"Step", 1, {pt(0, 0), pt(256, 512), pt(512, 512)}}));
}

TEST(CurveFileParse, HeaderMustBeExact) {
    CurveFileStatus s;
    EXPECT_TRUE(parse("CURVES \nCURVE a\nLINEAR\n0,0\n512,1\n", &s).empty());
    EXPECT_EQ(s, CurveFileStatus::InvalidHeader);
    EXPECT_TRUE(parse("", &s).empty());
    EXPECT_EQ(s, CurveFileStatus::InvalidHeader);
    EXPECT_TRUE(parse("; comment first\nCURVES\n", &s).empty());
    EXPECT_EQ(s, CurveFileStatus::InvalidHeader);
}

TEST(CurveFileParse, StopRulesKeepWhatWasRead) {
    // First point with x = 1 ends reading: the curve stays, empty; no later curve.
    auto a = parse("CURVES\nCURVE a\nLINEAR\n1,0\n512,512\nCURVE b\nLINEAR\n0,0\n512,512\n");
    ASSERT_EQ(a.size(), 1u);
    EXPECT_TRUE(a[0].points.empty());
    // y above 512 ends reading; the points before it stay.
    auto b = parse("CURVES\nCURVE a\nSPLINE\n0,0\n256,600\n512,512\n");
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].points, (std::vector<uint32_t>{pt(0, 0)}));
    // Unknown kind, missing "CURVE " (the space counts), junk in numbers.
    EXPECT_EQ(parse("CURVES\nCURVE a\nlinear\n0,0\n").size(), 1u);
    EXPECT_TRUE(parse("CURVES\nCURVEa\nLINEAR\n0,0\n512,1\n").empty());
    auto c = parse("CURVES\nCURVE a\nLINEAR\n0,0\n12x,5\n512,1\n");
    EXPECT_EQ(c[0].points.size(), 1u);
    auto d = parse("CURVES\nCURVE a\nLINEAR\n0,0\n-1,5\n");
    EXPECT_EQ(d[0].points.size(), 1u);
    auto e = parse("CURVES\nCURVE a\nLINEAR\n0,0\n40\n");
    EXPECT_EQ(e[0].points.size(), 1u);
    // The name is the rest of the line, spaces included.
    EXPECT_EQ(parse("CURVES\nCURVE  two words \nLINEAR\n0,0\n512,0\n")[0].name, " two words ");
}

TEST(CurveFileParse, NeverBeyondTheTableLimit) {
    std::vector<NamedCurve> t(kMaxCurves - 1);
    parseUserCurves("CURVES\nCURVE a\nLINEAR\n0,0\n512,0\nCURVE b\nLINEAR\n0,0\n512,0\n", t);
    ASSERT_EQ(t.size(), kMaxCurves);
    EXPECT_EQ(t.back().name, "a");
}

TEST_F(CurveFileDir, MissingFileIsSilentInvalidHeaderWarns) {
    RecordingPrompter p;
    std::vector<NamedCurve> t;
    EXPECT_EQ(loadUserCurves(file, t, p), CurveFileStatus::Missing);
    EXPECT_TRUE(p.entries.empty());
    write(file, "CURVES \n");
    EXPECT_EQ(loadUserCurves(file, t, p), CurveFileStatus::InvalidHeader);
    ASSERT_EQ(p.texts(), std::vector<std::string>{"Warning: file " + file.string() +
                                                  " has invalid header\nUser defined time "
                                                  "curves are not loaded"});
    EXPECT_TRUE(t.empty());
}

TEST_F(CurveFileDir, AddCreatesHeaderAppendsAndReadsBack) {
    RecordingPrompter p;
    std::vector<NamedCurve> t;
    NamedCurve a{"Bounce", 1, {pt(0, 0), pt(100, 512), pt(512, 0)}};
    NamedCurve b{"Soft", 0, {pt(0, 512), pt(512, 0)}};
    ASSERT_TRUE(addUserCurve(file, t, a, p));
    ASSERT_TRUE(addUserCurve(file, t, b, p));
    EXPECT_TRUE(p.entries.empty());
    EXPECT_EQ(t, (std::vector<NamedCurve>{a, b}));
    std::string expected = "CURVES\n"
                           "; This file was created by Zelvotrix. It holds the user defined time "
                           "curves\n"
                           "; You may re-order or remove curves using a basic text editor like "
                           "NotePad\n";
    std::string text = read(file);
    EXPECT_EQ(text.substr(0, expected.size()), expected);
    EXPECT_NE(text.find(";-------------------------------------\n\n"), std::string::npos);
    const std::string tail =
        "\n\nCURVE Bounce\nLINEAR\n0,0\n100,512\n512,0\n\nCURVE Soft\nSPLINE\n0,512\n512,0\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    std::vector<NamedCurve> back;
    EXPECT_EQ(loadUserCurves(file, back, p), CurveFileStatus::Loaded);
    EXPECT_EQ(back, t);
}

TEST_F(CurveFileDir, AddRefusedWhenFull) {
    RecordingPrompter p;
    std::vector<NamedCurve> t(kMaxCurves);
    EXPECT_FALSE(addUserCurve(file, t, NamedCurve{"x", 1, {}}, p));
    EXPECT_EQ(p.texts(), std::vector<std::string>{"Maximum number of curves reached, cannot save"});
    EXPECT_EQ(t.size(), kMaxCurves);
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(CurveFileDir, UnwritableFolderReportsCreateFailure) {
    RecordingPrompter p;
    std::vector<NamedCurve> t;
    fs::path missing = dir / "no" / "such" / std::string(kUserCurveFileName);
    EXPECT_FALSE(addUserCurve(missing, t, NamedCurve{"x", 1, {pt(0, 0), pt(512, 1)}}, p));
    EXPECT_EQ(p.texts(), std::vector<std::string>{missing.string() + ": Could not create file"});
}

TEST_F(CurveFileDir, ExistingFileIsKeptAsItIs) {
    RecordingPrompter p;
    write(file, "CURVES\nCURVE mine\nLINEAR\n0,0\n512,512\n");
    std::vector<NamedCurve> t;
    ASSERT_TRUE(addUserCurve(file, t, NamedCurve{"new", 1, {pt(0, 5), pt(512, 6)}}, p));
    EXPECT_EQ(read(file),
              "CURVES\nCURVE mine\nLINEAR\n0,0\n512,512\n\nCURVE new\nLINEAR\n0,5\n512,6\n");
}

} // namespace
} // namespace zx
