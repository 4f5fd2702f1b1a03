// `info` on projects whose images hold animated objects, and on library files.

#include "SilentTestPrompter.h"
#include "anim/AnimationModel.h"
#include "anim/AnimationRecord.h"
#include "anim/LibraryFile.h"
#include "platform/RecordingPrompter.h"
#include "storage/PhotoImport.h"
#include "storage/ProjectFile.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace zx {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// Runs `zelvotrix-cli info FILE --json`; none when it fails.
std::optional<json> infoJson(const fs::path& file) {
    std::string cmd = std::string("'") + ZX_CLI_PATH + "' --settings /nonexistent info '" +
                      file.string() + "' --json 2>/dev/null </dev/null";
    std::FILE* pipe = ::popen(cmd.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    int st = ::pclose(pipe);
    if (!WIFEXITED(st) || WEXITSTATUS(st) != 0) return std::nullopt;
    return json::parse(out, nullptr, false);
}

// An object with a 4-vertex mesh of two triangles, two user dots and a bone.
void addSquare(AnimationModel& model, int size, bool hidden) {
    int slot = model.addObject(testing::silentPrompter());
    AnimObject& o = model.object(slot);
    for (auto [x, y] : {std::pair{0, 0}, {size, 0}, {size, size}, {0, size}}) {
        AnimPoint p;
        p.flags = PointFlag::MeshVertex;
        p.texture = p.start = p.end = {double(x), double(y), 0};
        o.points.push_back(p);
    }
    o.vertexCount = 4;
    for (auto [x, y] : {std::pair{1, 1}, {size - 1, size - 1}}) {
        AnimPoint dot;
        dot.texture = dot.start = dot.end = {double(x), double(y), 0};
        o.points.push_back(dot);
    }
    o.triangles.push_back({0, {0, 1, 2}});
    o.triangles.push_back({0, {0, 2, 3}});
    Bone bone;
    bone.dotA = 4;
    bone.dotB = 5;
    o.bones.push_back(bone);
    o.textureRect = {0, 0, size, size};
    o.hidden = hidden ? 1 : 0;
}

class CliAnimation : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("zx-cli-anim-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(CliAnimation, InfoListsTheObjectsOfEachImage) {
    auto model = std::make_unique<AnimationModel>();
    addSquare(*model, 10, false);
    addSquare(*model, 20, true);

    Project project;
    auto image = buildPhotoImage(RasterImage(32, 32, 0xFF808080u), "a.png", 25);
    image->animation = writeAnimationRecord(*model);
    project.images.append(std::move(image));
    project.images.append(buildPhotoImage(RasterImage(16, 16, 0xFF808080u), "b.png", 25));
    RecordingPrompter prompter;
    ASSERT_TRUE(saveProject(project, dir_ / "anim.zxp", prompter));

    std::optional<json> d = infoJson(dir_ / "anim.zxp");
    ASSERT_TRUE(d && !d->is_discarded());
    const json& a = (*d)["images"][0]["animation"];
    ASSERT_TRUE(a.is_object());
    EXPECT_EQ(a["words"], project.images[0].animation->at(0));
    ASSERT_EQ(a["objects"].size(), 2u);
    const json& first = a["objects"][0];
    EXPECT_EQ(first["slot"], 0);
    EXPECT_EQ(first["type"], model->objectTypeText(0));
    EXPECT_EQ(first["library"], false);
    EXPECT_EQ(first["vertices"], 4);
    EXPECT_EQ(first["user_dots"], 2);
    EXPECT_EQ(first["triangles"], 2);
    EXPECT_EQ(first["bones"], 1);
    EXPECT_EQ(first["hidden"], false);
    EXPECT_EQ(a["objects"][1]["slot"], 1);
    EXPECT_EQ(a["objects"][1]["hidden"], true);
    EXPECT_FALSE(a.contains("corrupted"));
    EXPECT_TRUE((*d)["images"][1]["animation"].is_null());
}

TEST_F(CliAnimation, InfoOnALibraryFile) {
    auto model = std::make_unique<AnimationModel>();
    addSquare(*model, 12, false);
    fs::path lib = dir_ / "square.zxl";
    ASSERT_EQ(saveObjectAsLibrary(*model, 0, lib, {}), lib.string());

    std::optional<json> d = infoJson(lib);
    ASSERT_TRUE(d && !d->is_discarded());
    EXPECT_EQ((*d)["kind"], "library");
    EXPECT_EQ((*d)["version"], 1000);
    EXPECT_EQ((*d)["vertices"], 4);
    EXPECT_EQ((*d)["triangles"], 2);
    EXPECT_TRUE((*d)["width"].is_number());
    EXPECT_TRUE((*d)["last_frame"].is_number());
    EXPECT_TRUE((*d)["textures"].is_number());

    EXPECT_FALSE(infoJson(dir_ / "missing.zxl"));
}

} // namespace
} // namespace zx
