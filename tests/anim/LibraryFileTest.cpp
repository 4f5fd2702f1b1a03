#include "anim/LibraryFile.h"
#include "GoldenFiles.h"
#include "ModelSamples.h"
#include "SilentTestPrompter.h"
#include "anim/AnimationRecord.h"
#include "platform/RecordingPrompter.h"
#include "storage/Binary.h"
#include "storage/GzContainer.h"
#include "storage/PackedImage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace zx {
namespace {

namespace fs = std::filesystem;
using namespace zx::testing;
using Words = std::vector<uint32_t>;
constexpr int32_t kSomeTransparency = 3 << TriangleFlag::TransparencyShift;

struct ChunkView {
    std::string tag;
    std::vector<uint32_t> payload;
};

std::vector<ChunkView> chunks(const Words& w) {
    std::vector<ChunkView> out;
    for (size_t i = 0; i + 2 <= w.size();) {
        size_t n = w[i + 1];
        out.push_back(
            {fourCCName(w[i]), Words(w.begin() + long(i + 2), w.begin() + long(i + 2 + n))});
        i += 2 + n;
    }
    return out;
}

std::vector<std::string> tags(const Words& w) {
    std::vector<std::string> t;
    for (auto& c : chunks(w)) t.push_back(c.tag);
    return t;
}

std::vector<uint8_t> bytesOf(const Words& w) {
    std::vector<uint8_t> b(w.size() * 4);
    if (!w.empty()) std::memcpy(b.data(), w.data(), b.size());
    return b;
}

RasterImage pattern(int w, int h) {
    RasterImage img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.at(x, y) = 0xFF000000u | uint32_t(x * 7 + y * 300);
    return img;
}

// A flat square of two triangles over the texture rectangle, plus one user dot.
void addSquare(AnimationModel& m, IntRect r) {
    int s = m.addObject(testing::silentPrompter());
    AnimObject& o = m.object(s);
    o.textureRect = r;
    for (auto [x, y] :
         {std::pair{r.left, r.top}, {r.right, r.top}, {r.left, r.bottom}, {r.right, r.bottom}}) {
        AnimPoint p;
        p.flags = PointFlag::MeshVertex | (x == r.left ? PointFlag::Selected : 0) |
                  PointFlag::SmoothAction;
        p.texture = p.start = p.end = {double(x), double(y), 0};
        o.points.push_back(p);
    }
    o.vertexCount = 4;
    AnimPoint dot;
    dot.start = {double(r.left + 1), double(r.top + 1), 0};
    o.points.push_back(dot);
    o.triangles = {MeshTriangle{0, {0, 1, 2}, 0, 0, 0},
                   MeshTriangle{kSomeTransparency, {1, 3, 2}, 0, 0, 0}};
}

std::unique_ptr<AnimationModel> twoSquares() {
    auto m = emptyModel();
    m->setStartImage(pattern(40, 30));
    m->lastFrameIndex = 3;
    addSquare(*m, {2, 3, 12, 13});
    addSquare(*m, {20, 5, 50, 25}); // reaches past the image: clipped
    return m;
}

class LibraryFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("zx_lib_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST(LibraryWords, WholeAnimationChunkOrderAndHeader) {
    auto m = twoSquares();
    RasterImage layer = pattern(40, 30);
    LibrarySaveOptions o;
    o.thumbnailPicture = &layer;
    const int slots[] = {0, 1};
    Words w = buildLibraryWords(*m, slots, true, o);
    EXPECT_EQ(tags(w),
              (std::vector<std::string>{"ZXLB", "IMG1", "OPAC", "MATN", "IMG1", "OPAC", "MATN",
                                        "IMGR", "OPAC", "MATN", "VRTX", "TRIX", "ENDL"}));
    auto c = chunks(w);
    // version, width and height of the clipped union (2..40 × 3..25), L, textures
    EXPECT_EQ(c[0].payload, (Words{1000, 38, 22, 3, 3}));
    auto thumb = unpackImage(asBytes(c[1].payload));
    ASSERT_TRUE(thumb);
    EXPECT_EQ(thumb->width(), 38);
    EXPECT_EQ(thumb->at(0, 0), layer.at(2, 3));
    EXPECT_TRUE(c[2].payload.empty());
    // Two objects of one image share their texture: the second is a repeat.
    EXPECT_TRUE(c[7].payload.empty());
    EXPECT_EQ(c[10].payload.size(), 8u * 15);
    // TRIX: second object's indexes offset by 4, texture index 2.
    EXPECT_EQ(c[11].payload, (Words{0, 1, 2, 0, 1, 1, 3, 2, uint32_t(kSomeTransparency), 1,
                                    4, 5, 6, 0, 2, 5, 7, 6, uint32_t(kSomeTransparency), 2}));
    // VRTX of vertex 0: texture position, position relative to the box, flags, texture.
    const Words& v = c[10].payload;
    double d[6];
    std::memcpy(d, v.data(), sizeof d);
    EXPECT_EQ(d[0], 2.0);
    EXPECT_EQ(d[1], 3.0);
    EXPECT_EQ(d[3], 0.0);
    EXPECT_EQ(d[4], 0.0);
    EXPECT_EQ(v[12], 0x1000u); // selected kept, smooth action dropped
    EXPECT_EQ(v[13], 1u);
    EXPECT_EQ(v[14], 0u);
}

TEST(LibraryWords, NoTexturesGiveEmptyImages) {
    auto m = twoSquares();
    m->setStartImage(RasterImage());
    const int slots[] = {0, 1};
    Words w = buildLibraryWords(*m, slots, true, {});
    auto c = chunks(w);
    EXPECT_EQ(c[1].tag, "IMG1");
    EXPECT_TRUE(c[1].payload.empty());
    EXPECT_EQ(c[4].tag, "IMG1");
    EXPECT_TRUE(c[4].payload.empty());
    EXPECT_EQ(c[7].tag, "IMG1"); // empty pictures are never repeats
    AnimationModel& target = *emptyModel().release();
    std::unique_ptr<AnimationModel> own(&target);
    RecordingPrompter p;
    LibraryLoadOptions lo;
    lo.prompter = &p;
    int slot =
        loadLibraryObjectFromData(target, bytesOf(w), "x.zxl", LibraryLoadMode::NewObject, -1, lo);
    ASSERT_EQ(slot, 0) << (p.entries.empty() ? "" : p.entries[0].text);
    ASSERT_EQ(target.object(0).library->textures.size(), 3u);
    for (auto& t : target.object(0).library->textures) EXPECT_FALSE(t);
}

TEST(LibraryWords, MotionOnlyWhenAFrameMovesMoreThanATenth) {
    auto m = twoSquares();
    LibrarySaveOptions o;
    o.framePositions = [&](int slot, int frame) {
        std::vector<Vec3> pos;
        for (const AnimPoint& p : m->object(slot).points) pos.push_back(p.start);
        if (frame == 2) {
            pos[0].x += 0.1;  // not enough
            pos[1].z += 0.11; // moves
        }
        return pos;
    };
    const int slots[] = {0};
    Words w = buildLibraryWords(*m, slots, false, o);
    auto c = chunks(w);
    EXPECT_EQ(tags(w),
              (std::vector<std::string>{"ZXLB", "IMG1", "OPAC", "MATN", "VRTX", "TRIX", "ENDL"}));
    const Words& v = c[4].payload;
    EXPECT_EQ(v[14], 0u);
    EXPECT_EQ(v[15 + 14], 4u); // L + 1 triples follow
    ASSERT_EQ(v.size(), 15u * 4 + 12);
    float z2;
    std::memcpy(&z2, &v[15 + 15 + 3 * 2 + 2], 4);
    EXPECT_FLOAT_EQ(z2, 0.11f);
    // Loaded back, the moving vertex carries its frames, the others none.
    auto back = emptyModel();
    RecordingPrompter p;
    LibraryLoadOptions lo;
    lo.prompter = &p;
    ASSERT_EQ(
        loadLibraryObjectFromData(*back, bytesOf(w), "m.zxl", LibraryLoadMode::NewObject, -1, lo),
        0);
    const auto& lib = *back->object(0).library;
    ASSERT_EQ(lib.motion.size(), 4u);
    EXPECT_TRUE(lib.motion[0].empty());
    ASSERT_EQ(lib.motion[1].size(), 4u);
    EXPECT_FLOAT_EQ(float(lib.motion[1][2].z), 0.11f);
    EXPECT_EQ(back->object(0).flag3d, 1);
    EXPECT_EQ(back->objectTypeText(0), "m.zxl [3d library object]");
}

TEST(LibraryWords, OpacityChunks) {
    auto m = twoSquares();
    const int one[] = {0};
    auto opac = [&] { return chunks(buildLibraryWords(*m, one, false, {}))[2]; };
    EXPECT_EQ(opac().tag, "OPAC");
    EXPECT_TRUE(opac().payload.empty());
    m->object(0).effects[EffectSlot::Opacity].startValue = 0.5f;
    ASSERT_EQ(opac().payload.size(), 1u);
    m->object(0).effects[EffectSlot::Opacity].table.assign(513, 0.25f);
    auto c = opac();
    ASSERT_EQ(c.payload.size(), 514u);
    float f;
    std::memcpy(&f, &c.payload[513], 4);
    EXPECT_EQ(f, 0.25f);

    // A library object's own table is multiplied by the object's.
    auto lm = emptyModel();
    lm->addObject(testing::silentPrompter());
    AnimObject& o = lm->object(0);
    o.libraryFlag = 1;
    auto data = std::make_shared<LibraryObjectData>();
    data->textures.resize(2);
    data->opacities.resize(2);
    data->opacities[0].kind = LibraryOpacity::Kind::Constant;
    data->opacities[0].value = 0.5f;
    data->opacities[1].kind = LibraryOpacity::Kind::Table;
    data->opacities[1].value = 1;
    data->opacities[1].table.assign(513, 0.5f);
    data->materials = {"Skin", std::string(60, 'x')};
    o.library = data;
    o.effects[EffectSlot::Opacity].startValue = 0.5f;
    auto lc = chunks(buildLibraryWords(*lm, one, false, {}));
    ASSERT_EQ(lc[3].tag, "OPAC");
    ASSERT_EQ(lc[3].payload.size(), 1u);
    std::memcpy(&f, &lc[3].payload[0], 4);
    EXPECT_EQ(f, 0.25f);
    ASSERT_EQ(lc[4].payload.size(), 514u);
    std::memcpy(&f, &lc[4].payload[100], 4);
    EXPECT_EQ(f, 0.25f);
    EXPECT_EQ(lc[5].payload, (Words{'S', 'k', 'i', 'n'}));
    EXPECT_EQ(lc[6].payload.size(), 50u); // names are cut to what a file may hold
}

TEST_F(LibraryFiles, SaveLoadRoundTrip) {
    auto m = twoSquares();
    RecordingPrompter p;
    LibrarySaveOptions so;
    so.prompter = &p;
    RasterImage layer = pattern(40, 30);
    so.thumbnailPicture = &layer;
    fs::path file = dir / "scene.zxl";
    EXPECT_EQ(saveAnimationAsLibrary(*m, file, so), file.string());
    EXPECT_EQ(p.statuses, (std::vector<std::string>{"Building library image...",
                                                    "Writing library file...", "Ready"}));

    auto thumb = readLibraryThumbnail(file);
    ASSERT_TRUE(thumb);
    EXPECT_EQ(thumb->width(), 38);
    EXPECT_EQ(thumb->height(), 22);

    auto back = emptyModel();
    back->addObject(testing::silentPrompter());
    int undo = 0;
    LibraryLoadOptions lo;
    lo.prompter = &p;
    lo.projectFolder = dir;
    lo.recordUndo = [&] { ++undo; };
    ASSERT_EQ(loadLibraryObject(*back, "scene.zxl", LibraryLoadMode::NewObject, -1, lo), 1);
    EXPECT_EQ(undo, 1);
    EXPECT_EQ(back->objectCount, 2);
    const AnimObject& o = back->object(1);
    EXPECT_EQ(o.name, "scene.zxl");
    EXPECT_EQ(back->objectTypeText(1), "scene.zxl [library object]");
    EXPECT_EQ(o.vertexCount, 8);
    ASSERT_EQ(o.points.size(), 8u);
    EXPECT_EQ(o.points[4].texture, (Vec3{20, 5, 0}));
    EXPECT_EQ(o.points[4].start, (Vec3{18, 2, 0}));
    EXPECT_EQ(o.points[0].flags, PointFlag::MeshVertex | PointFlag::Selected);
    ASSERT_EQ(o.triangles.size(), 4u);
    EXPECT_EQ(o.triangles[3].v[0], 5);
    EXPECT_EQ(o.triangles[3].material, 2);
    EXPECT_EQ(o.triangles[3].flags, kSomeTransparency);
    EXPECT_EQ(o.boxRect, (IntRect{0, 0, 38, 22}));
    EXPECT_EQ(o.ownLastFrame, 3);
    const auto& lib = *o.library;
    ASSERT_EQ(lib.textures.size(), 3u);
    ASSERT_TRUE(lib.textures[1] && lib.textures[2]);
    EXPECT_EQ(*lib.textures[1], m->startImage);
    EXPECT_EQ(*lib.textures[2], *lib.textures[1]);
    EXPECT_EQ(lib.materials, (std::vector<std::string>{"Mat1", "Mat2", "Mat3"}));
    EXPECT_EQ(lib.vertexTextures[5], 2);

    // Saving the loaded object alone gives the same textures, now as one object.
    fs::path again = dir / "again.zxl";
    ASSERT_EQ(saveObjectAsLibrary(*back, 1, again, so), again.string());
    auto third = emptyModel();
    ASSERT_EQ(loadLibraryObject(*third, again.string(), LibraryLoadMode::NewObject, -1, lo), 0);
    EXPECT_EQ(third->object(0).points.size(), 8u);
    EXPECT_EQ(third->object(0).library->textures, lib.textures);
    EXPECT_EQ(third->object(0).triangles[3].material, 2);
}

TEST_F(LibraryFiles, SaveFailureKeepsTheOldFile) {
    auto m = twoSquares();
    RecordingPrompter p;
    LibrarySaveOptions so;
    so.prompter = &p;
    EXPECT_EQ(saveAnimationAsLibrary(*m, dir / "missing" / "x.zxl", so), "");
    EXPECT_EQ(p.texts(),
              std::vector<std::string>{"ERROR while saving library.\nThe initial library file may "
                                       "be \"Read Only\".\nPlease try saving under another name."});
}

class LoadMessages : public ::testing::Test {
protected:
    int load(const Words& w, LibraryLoadMode mode = LibraryLoadMode::NewObject, int slot = -1) {
        p.clear();
        LibraryLoadOptions lo;
        lo.prompter = &p;
        return loadLibraryObjectFromData(*model, bytesOf(w), "t.zxl", mode, slot, lo);
    }
    std::string message() const { return p.entries.empty() ? "" : p.entries.back().text; }
    Words good() {
        auto m = twoSquares();
        const int slots[] = {0};
        return buildLibraryWords(*m, slots, false, {});
    }
    std::unique_ptr<AnimationModel> model = emptyModel();
    RecordingPrompter p;
};

TEST_F(LoadMessages, EveryRefusal) {
    const Words w = good();
    ASSERT_EQ(load(w), 0);
    EXPECT_TRUE(p.entries.empty());

    Words notLib = w;
    notLib[0] = fourCC("ZXLA");
    EXPECT_EQ(load(notLib), -1);
    EXPECT_EQ(message(), "Not a\xC2\xA8Zelvotrix Library File");
    EXPECT_EQ(load({}), -1);
    EXPECT_EQ(message(), "Not a\xC2\xA8Zelvotrix Library File");

    Words old = w;
    old[2] = 999;
    EXPECT_EQ(load(old), -1);
    EXPECT_EQ(message(), std::string(LibraryMessage::OldFormat));

    for (uint32_t count : {257u, 0xFFFFFFFFu}) {
        Words bad = w;
        bad[6] = count;
        EXPECT_EQ(load(bad), -1);
        EXPECT_EQ(message(), "Corrupted library file");
    }
    // More textures than the header declares.
    Words over = w;
    over[6] = 0;
    EXPECT_EQ(load(over), -1);
    EXPECT_EQ(message(), "Corrupted library file");
    // Cut anywhere before ENDL.
    for (size_t len : {size_t(7), size_t(9), w.size() - 2, w.size() - 1}) {
        EXPECT_EQ(load(Words(w.begin(), w.begin() + long(len))), -1) << len;
        EXPECT_EQ(message(), "Corrupted library file");
    }
    EXPECT_EQ(model->objectCount, 1); // nothing was added by the failures
}

TEST_F(LoadMessages, MaterialNameLimit) {
    auto withName = [&](size_t n) {
        Words w = good();
        auto c = chunks(w);
        Words out;
        for (auto& ch : c) {
            uint32_t tag = (uint32_t(uint8_t(ch.tag[0])) << 24) |
                           (uint32_t(uint8_t(ch.tag[1])) << 16) |
                           (uint32_t(uint8_t(ch.tag[2])) << 8) | uint32_t(uint8_t(ch.tag[3]));
            Words payload = ch.payload;
            if (ch.tag == "MATN") payload.assign(n, 'a');
            out.push_back(tag);
            out.push_back(uint32_t(payload.size()));
            out.insert(out.end(), payload.begin(), payload.end());
        }
        return out;
    };
    ASSERT_EQ(load(withName(50)), 0);
    EXPECT_EQ(model->object(0).library->materials[0], std::string(50, 'a'));
    EXPECT_EQ(load(withName(51)), -1);
    EXPECT_EQ(message(), "Corrupted library file");
}

TEST_F(LoadMessages, BrokenChunksAreRefusedNotFollowed) {
    Words w = good();
    // A repeat with nothing before it.
    Words rep = {fourCC("ZXLB"), 5, 1000, 1, 1, 0, 1, fourCC("IMGR"), 0, fourCC("ENDL"), 0};
    EXPECT_EQ(load(rep), -1);
    EXPECT_EQ(message(), "Corrupted library file");
    // A triangle naming a vertex that does not exist.
    Words tri = {fourCC("ZXLB"), 5, 1000, 1, 1, 0, 0, fourCC("TRIX"), 5, 0, 1, 2, 0, 0,
                 fourCC("ENDL"), 0};
    EXPECT_EQ(load(tri), -1);
    // A moving vertex whose frame count is not the header's.
    Words vtx(15, 0);
    vtx[14] = 7;
    Words mv = {fourCC("ZXLB"), 5, 1000, 1, 1, 0, 0, fourCC("VRTX"), 15};
    mv.insert(mv.end(), vtx.begin(), vtx.end());
    mv.push_back(fourCC("ENDL"));
    mv.push_back(0);
    EXPECT_EQ(load(mv), -1);
    // A picture that does not decode.
    Words img = {fourCC("ZXLB"), 5, 1000,           1, 1, 0, 1, fourCC("IMG1"), 2,
                 0xFFFFFFFF,     5, fourCC("ENDL"), 0};
    EXPECT_EQ(load(img), -1);
    // Unknown chunks are stepped over.
    Words unknown = {fourCC("ZXLB"), 5, 1000, 1, 1, 0, 0, fourCC("ABCD"), 2, 1, 2,
                     fourCC("ENDL"), 0};
    EXPECT_EQ(load(unknown), 0);
}

TEST_F(LoadMessages, FullModelAndFailedReplaceKeepTheModel) {
    for (int i = 0; i < kMaxObjects; ++i) model->addObject(testing::silentPrompter());
    EXPECT_EQ(load(good()), -1);
    EXPECT_EQ(message(), "Maximum number of regions/objects reached, cannot load");
    // Replacing a slot works when the table is full; a failure leaves the slot alone.
    model->object(7).hidden = 1;
    Words bad = good();
    bad.resize(bad.size() - 2);
    EXPECT_EQ(load(bad, LibraryLoadMode::ReplaceSlot, 7), -1);
    EXPECT_EQ(model->object(7).hidden, 1);
    EXPECT_EQ(load(good(), LibraryLoadMode::ReplaceSlot, 7), 7);
    EXPECT_EQ(model->object(7).hidden, 0);
    EXPECT_TRUE(model->object(7).isLibrary());
}

TEST_F(LibraryFiles, ContainerMessages) {
    auto m = emptyModel();
    RecordingPrompter p;
    LibraryLoadOptions lo;
    lo.prompter = &p;
    std::ofstream(dir / "plain.zxl") << "not gzip at all";
    EXPECT_EQ(
        loadLibraryObject(*m, (dir / "plain.zxl").string(), LibraryLoadMode::NewObject, -1, lo),
        -1);
    EXPECT_EQ(p.texts(), std::vector<std::string>{"Library file corrupted, cannot read"});
    p.clear();
    const uint8_t junk[] = {1, 2, 3, 4};
    ASSERT_TRUE(writeGzContainer(dir / "project.zxl", "ZZXP", junk));
    EXPECT_EQ(
        loadLibraryObject(*m, (dir / "project.zxl").string(), LibraryLoadMode::NewObject, -1, lo),
        -1);
    EXPECT_EQ(p.texts(), std::vector<std::string>{"Library file corrupted, cannot read"});
}

TEST_F(LibraryFiles, MovedFileIsFoundAgainWithoutAQuestion) {
    auto m = twoSquares();
    fs::path real = dir / "moved" / "walker.zxl";
    fs::create_directories(real.parent_path());
    ASSERT_FALSE(saveAnimationAsLibrary(*m, real, {}).empty());

    RecordingPrompter p;
    LibraryRelocations table;
    int dialogs = 0;
    LibraryLoadOptions lo;
    lo.prompter = &p;
    lo.projectFolder = dir;
    lo.relocations = &table;
    lo.locateFile = [&](const std::string&) -> std::optional<fs::path> {
        ++dialogs;
        return real;
    };
    auto target = emptyModel();
    // The user says No first: nothing loads.
    p.answers.push_back(Answer::No);
    EXPECT_EQ(loadLibraryObject(*target, "old/walker.zxl", LibraryLoadMode::NewObject, -1, lo), -1);
    ASSERT_EQ(p.entries.size(), 1u);
    EXPECT_EQ(p.entries[0].text,
              "old/walker.zxl: Cannot find this library file\nDo you want to locate it manually?");
    EXPECT_TRUE(p.entries[0].question);
    EXPECT_EQ(dialogs, 0);
    // Yes: the dialog, and the pair is remembered.
    p.clear();
    EXPECT_EQ(loadLibraryObject(*target, "old/walker.zxl", LibraryLoadMode::NewObject, -1, lo), 0);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(p.entries.size(), 1u);
    // Again in the same run: no question.
    p.clear();
    EXPECT_EQ(loadLibraryObject(*target, "old/walker.zxl", LibraryLoadMode::NewObject, -1, lo), 1);
    EXPECT_TRUE(p.entries.empty());
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(target->object(1).name, "old/walker.zxl");
    // The library folder is looked in by file name.
    LibraryLoadOptions inFolder;
    inFolder.prompter = &p;
    inFolder.libraryFolder = real.parent_path();
    EXPECT_EQ(
        loadLibraryObject(*target, "/gone/walker.zxl", LibraryLoadMode::NewObject, -1, inFolder),
        2);
    EXPECT_TRUE(p.entries.empty());
}

TEST_F(LibraryFiles, RecordWithLibraryObjectRoundTrips) {
    auto scene = twoSquares();
    ASSERT_FALSE(saveAnimationAsLibrary(*scene, dir / "scene.zxl", {}).empty());

    auto m = twoSquares();
    RecordingPrompter p;
    LibraryLoadOptions lo;
    lo.prompter = &p;
    lo.projectFolder = dir;
    ASSERT_EQ(loadLibraryObject(*m, "scene.zxl", LibraryLoadMode::NewObject, -1, lo), 2);
    m->object(2).speed = 0.5f;
    m->object(2).effects[EffectSlot::HorizontalPosition].startValue = 30;
    Words w = writeAnimationRecord(*m);

    auto back = emptyModel();
    back->setStartImage(pattern(40, 30)); // the size word follows the start image
    RecordReadOptions ro;
    ro.prompter = &p;
    ro.loadLibrary = recordLibraryLoader(lo);
    ASSERT_TRUE(readAnimationRecord(*back, w, ro));
    EXPECT_TRUE(p.entries.empty());
    const AnimObject& o = back->object(2);
    EXPECT_EQ(o.points.size(), 8u);
    EXPECT_EQ(o.triangles.size(), 4u);
    EXPECT_EQ(o.speed, 0.5f);
    EXPECT_EQ(o.effects[EffectSlot::HorizontalPosition].startValue, 30.f);
    EXPECT_EQ(o.ownLastFrame, 3);
    ASSERT_TRUE(o.library);
    EXPECT_EQ(writeAnimationRecord(*back), w);

    // Without the file, and the user declining to look for it, the object stays
    // without a mesh.
    fs::remove(dir / "scene.zxl");
    p.answers.push_back(Answer::No);
    ASSERT_TRUE(readAnimationRecord(*back, w, ro));
    EXPECT_EQ(back->objectCount, 3);
    EXPECT_EQ(back->object(2).vertexCount, 0);
    EXPECT_TRUE(back->object(2).points.empty());
    EXPECT_EQ(p.texts().size(), 1u);
}

TEST(LibraryNames, SaveDialogChecks) {
    RecordingPrompter p;
    std::vector<std::string> used = {"/x/libs/bird.zxl"};
    EXPECT_EQ(checkLibrarySaveName("/y/new.zxl", used, p), LibraryNameCheck::Ok);
    EXPECT_EQ(checkLibrarySaveName("/y/NEW.ZXL", used, p), LibraryNameCheck::Ok);
    EXPECT_EQ(checkLibrarySaveName("/y/new.zxp", used, p), LibraryNameCheck::Retry);
    EXPECT_EQ(p.texts().back(), "Invalid file extension, expected .zxl");
    EXPECT_EQ(checkLibrarySaveName("/y/bird.zxl", used, p), LibraryNameCheck::Retry);
    EXPECT_EQ(p.texts().back(),
              "This object name is already used in this project.\nPlease select another name");
    p.answers.push_back(Answer::Cancel);
    EXPECT_EQ(checkLibrarySaveName("/y/bird.zxl", used, p), LibraryNameCheck::Cancel);
}

// A small library written by this program, kept as a fixture: its content must stay
// byte for byte what the writer produces, and it must load.
TEST(LibraryWords, GoldenLibrary) {
    auto m = emptyModel();
    m->setStartImage(pattern(8, 8));
    m->lastFrameIndex = 1;
    addSquare(*m, {1, 1, 5, 6});
    LibrarySaveOptions o;
    o.framePositions = [&](int slot, int frame) {
        std::vector<Vec3> pos;
        for (const AnimPoint& p : m->object(slot).points) pos.push_back(p.start);
        pos[3].x += frame * 2.0;
        return pos;
    };
    RasterImage layer = pattern(8, 8);
    o.thumbnailPicture = &layer;
    const fs::path fixture = fs::path(ZX_FIXTURES_DIR) / "library_small.zxl";
    const int slots[] = {0};
    Words w = buildLibraryWords(*m, slots, true, o);
    if (testing::updateGoldenFiles()) {
        ASSERT_TRUE(writeGzContainer(fixture, "ZZXL", asBytes(w)));
    }
    ContainerContent c = readGzContainer(fixture, "ZZXL");
    ASSERT_EQ(c.status, ContainerStatus::Ok);
    EXPECT_EQ(c.data, bytesOf(w));

    auto back = emptyModel();
    RecordingPrompter p;
    LibraryLoadOptions lo;
    lo.prompter = &p;
    ASSERT_EQ(loadLibraryObject(*back, fixture.string(), LibraryLoadMode::NewObject, -1, lo), 0);
    EXPECT_EQ(back->object(0).library->motion[3].size(), 2u);
    EXPECT_EQ(back->object(0).library->motion[3][1].x, 6.0);
    EXPECT_TRUE(readLibraryThumbnail(fixture));
}

} // namespace
} // namespace zx
