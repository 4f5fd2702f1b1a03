#include "SceneArchive.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <fstream>

namespace zx::server {
namespace {

namespace fs = std::filesystem;

struct TempDir {
    fs::path path;
    TempDir() {
        std::string p = (fs::temp_directory_path() / "zx-archive-XXXXXX").string();
        path = ::mkdtemp(p.data());
    }
    ~TempDir() { fs::remove_all(path); }
};

// A gzip file of `text`, with `storedName` in its header when not empty.
void writeGzip(const fs::path& file, const std::string& text, const std::string& storedName = {}) {
    z_stream z{};
    ASSERT_EQ(deflateInit2(&z, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string name = storedName;
    gz_header header{};
    header.name = storedName.empty() ? nullptr : reinterpret_cast<Bytef*>(name.data());
    deflateSetHeader(&z, &header);
    std::string out(deflateBound(&z, uLong(text.size())) + 64 + name.size(), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = uInt(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    std::ofstream(file, std::ios::binary) << out;
}

std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(SceneArchive, UnpacksTheDataFileUnchanged) {
    TempDir dir;
    std::string text = "zxdef = [1,,2];\n\"<script>\" \xC3\xA9\n";
    for (int i = 0; i < 5000; ++i) text += std::to_string(i) + ",";
    writeGzip(dir.path / "a.zip", text, "zxwebgl_data.js");
    ASSERT_EQ(unpackSceneArchive(dir.path / "a.zip", dir.path / "scene"), "");
    EXPECT_EQ(readText(dir.path / "scene" / kSceneDataFile), text);
}

TEST(SceneArchive, RefusesHostileArchivesAndLeavesNothing) {
    TempDir dir;
    const fs::path scene = dir.path / "scene";
    const auto refused = [&](const fs::path& archive, ArchiveLimits limits = {}) {
        const std::string why = unpackSceneArchive(archive, scene, limits);
        EXPECT_FALSE(fs::exists(scene / kSceneDataFile)) << why;
        return !why.empty();
    };
    for (const char* name : {"../evil.js", "/etc/passwd", "..", "a/b.js", "a\\b.js"}) {
        writeGzip(dir.path / "named.zip", "x", name);
        EXPECT_TRUE(refused(dir.path / "named.zip")) << name;
    }
    writeGzip(dir.path / "big.zip", std::string(100000, 'a'));
    EXPECT_TRUE(refused(dir.path / "big.zip", {1 << 20, 50000}));
    EXPECT_TRUE(refused(dir.path / "big.zip", {100, 1 << 20})) << "archive over its own limit";
    const std::string whole = readText(dir.path / "big.zip");
    std::ofstream(dir.path / "cut.zip", std::ios::binary) << whole.substr(0, whole.size() / 2);
    EXPECT_TRUE(refused(dir.path / "cut.zip"));
    std::ofstream(dir.path / "plain.zip") << "not gzip at all";
    EXPECT_TRUE(refused(dir.path / "plain.zip"));
    EXPECT_TRUE(refused(dir.path / "missing.zip"));
    writeGzip(dir.path / "good.zip", "ok");
    fs::create_symlink(dir.path / "good.zip", dir.path / "link.zip");
    EXPECT_TRUE(refused(dir.path / "link.zip"));
    // A scene folder that is a link to elsewhere is not written through.
    fs::create_directory(dir.path / "elsewhere");
    fs::create_directory_symlink(dir.path / "elsewhere", scene);
    EXPECT_FALSE(unpackSceneArchive(dir.path / "good.zip", scene).empty());
    EXPECT_TRUE(fs::is_empty(dir.path / "elsewhere"));
}

TEST(SceneArchive, PlainFileNames) {
    EXPECT_TRUE(isPlainFileName("zxgl_data.js"));
    for (const char* bad : {"", ".", "..", "../a", "/a", "a/..", "a\\b", "a\nb"})
        EXPECT_FALSE(isPlainFileName(bad)) << bad;
}

} // namespace
} // namespace zx::server
