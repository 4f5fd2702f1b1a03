// Runs `zelvotrix-cli mesh` on projects made from photographs whose transparency
// cuts out the regions.

#include "storage/ImageFile.h"
#include "storage/RasterImage.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
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

std::string quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

class MeshCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("zx-mesh-cli-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        std::ofstream(dir_ / "settings.conf") << "[Settings]\n";
    }
    void TearDown() override { fs::remove_all(dir_); }

    struct Result {
        int status = -1;
        std::string out, err;
    };
    Result run(const std::vector<std::string>& args) {
        std::string cmd =
            quote(ZX_CLI_PATH) + " --settings " + quote((dir_ / "settings.conf").string());
        for (const auto& a : args) cmd += " " + quote(a);
        const fs::path errFile = dir_ / "stderr.txt";
        cmd += " 2>" + quote(errFile.string()) + " </dev/null";
        Result r;
        std::FILE* pipe = ::popen(cmd.c_str(), "r");
        if (!pipe) return r;
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
        const int st = ::pclose(pipe);
        r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        std::ifstream in(errFile);
        std::stringstream ss;
        ss << in.rdbuf();
        r.err = ss.str();
        return r;
    }
    // A project of one image made from `photo`, whose alpha becomes the mask.
    fs::path projectOf(const RasterImage& photo) {
        const fs::path png = dir_ / "photo.png", zxp = dir_ / "in.zxp";
        EXPECT_TRUE(savePng(png, photo));
        Result r = run({"new", png.string(), "-o", zxp.string()});
        EXPECT_EQ(r.status, 0) << r.err;
        return zxp;
    }
    json objectsOf(const fs::path& zxp) {
        Result r = run({"info", zxp.string(), "--json"});
        EXPECT_EQ(r.status, 0) << r.err;
        json d = json::parse(r.out, nullptr, false);
        return d["images"][0]["animation"]["objects"];
    }
    fs::path dir_;
};

// Opaque where the shapes are: a disc, a ring and a lone pixel, on transparency.
RasterImage shapesPhoto() {
    RasterImage p(160, 120, 0x00808080);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) {
            const double d1 = std::hypot(x - 40, y - 60), d2 = std::hypot(x - 115, y - 60);
            if (d1 <= 30 || (d2 <= 30 && d2 >= 12))
                p.at(x, y) = 0xFF000000u | uint32_t(x * 1000 + y);
        }
    p.at(5, 5) = 0xFFFFFFFF;
    return p;
}

TEST_F(MeshCli, ContoursRectanglesAndFullImage) {
    const fs::path in = projectOf(shapesPhoto());
    const fs::path out = dir_ / "out.zxp";
    Result r = run({"mesh", in.string(), "--image", "0", "--definition", "0", "-o", out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    json objects = objectsOf(out);
    ASSERT_EQ(objects.size(), 3u);
    // In row order of their first pixel: the speck, the disc, the ring.
    EXPECT_EQ(objects[0]["bbox"], json({5, 5, 6, 6}));
    EXPECT_EQ(objects[1]["bbox"], json({10, 30, 71, 91}));
    EXPECT_EQ(objects[2]["bbox"], json({85, 30, 146, 91}));
    for (const json& o : objects) {
        EXPECT_EQ(o["type"], "Region");
        EXPECT_GT(o["triangles"].get<int>(), 0);
        EXPECT_GT(o["vertices"].get<int>(), 2);
        EXPECT_EQ(o["z"], json({0.0, 0.0})) << "flat";
    }
    const int lowDisc = objects[1]["vertices"];

    r = run({"mesh", in.string(), "--image", "0", "--definition", "2", "-o", out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_GT(objectsOf(out)[1]["vertices"].get<int>(), lowDisc) << "finer at definition 2";

    r = run({"mesh", in.string(), "--image", "0", "--regions", "rectangles", "-o", out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    objects = objectsOf(out);
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(objects[2]["bbox"], json({85, 30, 146, 91}));

    r = run({"mesh", in.string(), "--image", "0", "--regions", "full", "-o", out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    objects = objectsOf(out);
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0]["bbox"], json({0, 0, 160, 120}));

    // Meshing a meshed project again adds to its objects.
    r = run({"mesh", out.string(), "--image", "0", "-o", (dir_ / "again.zxp").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(objectsOf(dir_ / "again.zxp").size(), 4u);
}

TEST_F(MeshCli, VolumesGiveTheObjectsDepth) {
    const fs::path in = projectOf(shapesPhoto());
    const fs::path flat = dir_ / "flat.zxp", round = dir_ / "round.zxp";
    ASSERT_EQ(run({"mesh", in.string(), "--image", "0", "--3d", "-o", round.string()}).status, 0);
    ASSERT_EQ(
        run({"mesh", in.string(), "--image", "0", "--3d", "--blend", "50", "-o", flat.string()})
            .status,
        0);
    json objects = objectsOf(round);
    ASSERT_EQ(objects.size(), 3u);
    const json& disc = objects[1];
    EXPECT_EQ(disc["type"], "3d Region");
    EXPECT_EQ(disc["bbox"], json({10, 30, 71, 91}));
    // A dome as high as the disc's radius, with its back surface below the plane.
    EXPECT_NEAR(disc["z"][1].get<double>(), 30, 4);
    EXPECT_LT(disc["z"][0].get<double>(), -20);
    EXPECT_NE(objectsOf(flat)[1]["z"], disc["z"]) << "the blend changes the depths";
}

TEST_F(MeshCli, MeshingAgainKeepsTheObjectsAndAddsOnlyNewRegions) {
    const fs::path in = projectOf(shapesPhoto());
    const fs::path round = dir_ / "round.zxp", again = dir_ / "again.zxp";
    ASSERT_EQ(run({"mesh", in.string(), "--image", "0", "--3d", "-o", round.string()}).status, 0);
    Result r = run({"mesh", round.string(), "--image", "0", "-o", again.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("3 regions already had one"), std::string::npos) << r.out;
    // The volumes stay volumes, and no region gets a second object.
    EXPECT_EQ(objectsOf(again), objectsOf(round));
}

TEST_F(MeshCli, BadRequestsFailWithoutWriting) {
    const fs::path in = projectOf(shapesPhoto());
    const fs::path out = dir_ / "out.zxp";
    Result r = run({"mesh", in.string(), "--image", "1", "-o", out.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("There is no image 1"), std::string::npos) << r.err;
    EXPECT_NE(
        run({"mesh", in.string(), "--image", "0", "--definition", "3", "-o", out.string()}).status,
        0);
    EXPECT_NE(
        run({"mesh", in.string(), "--image", "0", "--regions", "blobs", "-o", out.string()}).status,
        0);
    EXPECT_NE(
        run({"mesh", in.string(), "--image", "0", "--blend", "101", "-o", out.string()}).status, 0);
    EXPECT_EQ(run({"mesh", in.string(), "--image", "0", "-o", (dir_ / "out.png").string()}).status,
              1);
    EXPECT_EQ(
        run({"mesh", (dir_ / "missing.zxp").string(), "--image", "0", "-o", out.string()}).status,
        1);
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(MeshCli, EmptyMaskAndTooManyRegions) {
    const fs::path out = dir_ / "out.zxp";
    Result r = run(
        {"mesh", projectOf(RasterImage(40, 30, 0)).string(), "--image", "0", "-o", out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(objectsOf(out).size(), 0u);

    RasterImage specks(120, 120, 0);
    for (int y = 1; y < 120; y += 4)
        for (int x = 1; x < 120; x += 4) specks.at(x, y) = 0xFF202020; // 900 specks
    r = run({"mesh", projectOf(specks).string(), "--image", "0", "-o", out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE((r.out + r.err).find("Warning: Maximum count of regions/objects reached"),
              std::string::npos);
    EXPECT_EQ(objectsOf(out).size(), 256u);
}

} // namespace
} // namespace zx
