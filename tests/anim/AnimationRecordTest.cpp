#include "anim/AnimationRecord.h"
#include "GoldenFiles.h"
#include "ModelSamples.h"
#include "SilentTestPrompter.h"
#include "platform/RecordingPrompter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace zx {
namespace {

using namespace zx::testing;
using Words = std::vector<uint32_t>;

constexpr size_t kDefaultEntryPart = 17 + 17 * 4 + 5 + 4 + 6 + 1 + 1 + 1;
constexpr size_t kEmptyGeometry = 1 + 1 + 1 + 3 + 1;

std::unique_ptr<AnimationModel> sampleModel() {
    auto m = emptyModel();
    m->headerWords[3] = 1;
    m->headerWords[4] = 44;
    m->headerWords[16] = 2;
    m->headerWords[18] = -5;
    m->sceneryWidth = 640;
    m->sceneryHeight = 480;
    m->addObject(testing::silentPrompter());
    fillOrdinary(m->object(0), 0);
    m->addObject(testing::silentPrompter());
    fillOrdinary(m->object(1), 1);
    m->object(1).ownedMasks[1] = RunLengthImage{{1, 1, 7}};
    m->addObject(testing::silentPrompter());
    fillLibraryObject(m->object(2), "libs/bird.zxl");
    m->addObject(testing::silentPrompter()); // a default object
    return m;
}

bool read(AnimationModel& m, const Words& w, RecordingPrompter& p, RecordReadOptions o = {}) {
    o.prompter = &p;
    return readAnimationRecord(m, w, o);
}

TEST(AnimationRecord, EmptyModelIsTheHeaderAlone) {
    auto m = emptyModel();
    m->sceneryWidth = 800;
    m->sceneryHeight = 600;
    Words w = writeAnimationRecord(*m);
    ASSERT_EQ(w.size(), 22u);
    EXPECT_EQ(w[0], 21u);
    EXPECT_EQ(w[1], 0u);
    EXPECT_EQ(w[19], 400u);
    EXPECT_EQ(w[20], 800u);
    EXPECT_EQ(w[21], 600u);
    EXPECT_EQ(animationRecordLength(*m), 21u);

    auto back = emptyModel();
    back->setStartImage(RasterImage(50, 70));
    RecordingPrompter p;
    EXPECT_TRUE(read(*back, w, p));
    EXPECT_TRUE(p.entries.empty());
    EXPECT_EQ(back->objectCount, 0);
    EXPECT_EQ(back->sceneryWidth, 800);
    EXPECT_EQ(back->headerWords[19], 280); // follows the reader's start image
}

TEST(AnimationRecord, DefaultObjectEntryLayout) {
    auto m = emptyModel();
    m->addObject(testing::silentPrompter());
    Words w = writeAnimationRecord(*m);
    ASSERT_EQ(w.size(), 22 + 1 + kDefaultEntryPart + kEmptyGeometry);
    EXPECT_EQ(w[0], w.size() - 1);
    EXPECT_EQ(w[22], kDefaultEntryPart); // the size word counts the object part only
    // The seventeen leading words: cleared words −1, −1, 0 at 2..4.
    EXPECT_EQ(int32_t(w[23 + 2]), -1);
    EXPECT_EQ(int32_t(w[23 + 3]), -1);
    // Effects without table or points: value, kind, 0, 0 each.
    size_t e = 23 + 17;
    for (int i = 0; i < kEffectCount; ++i, e += 4) {
        float v;
        std::memcpy(&v, &w[e], 4);
        EXPECT_EQ(v, defaultEffectValue(i));
        EXPECT_EQ(w[e + 1], 0u);
        EXPECT_EQ(w[e + 2], 0u);
        EXPECT_EQ(w[e + 3], 0u);
    }
    // Unbound: five −1 words.
    for (int i = 0; i < 5; ++i) EXPECT_EQ(int32_t(w[e + size_t(i)]), -1);
}

TEST(AnimationRecord, StringFieldSizes) {
    auto words = [](const std::string& name) {
        auto m = emptyModel();
        m->addObject(testing::silentPrompter());
        fillLibraryObject(m->object(0), name);
        return writeAnimationRecord(*m);
    };
    Words three = words("abc"), four = words("abcd"), none = words("");
    EXPECT_EQ(four.size(), three.size() + 1);
    EXPECT_EQ(three.size(), none.size() + 1);
    // After the 17 words, 17 × 4 effect words, binding and flags comes the string.
    const size_t at = 23 + 17 + 68 + 9;
    EXPECT_EQ(three[at], 1u);
    EXPECT_EQ(three[at + 1], uint32_t('a') | uint32_t('b') << 8 | uint32_t('c') << 16);
    EXPECT_EQ(four[at], 2u);
    EXPECT_EQ(four[at + 2], 0u);
    EXPECT_EQ(none[at], 0u);
}

TEST(AnimationRecord, PointWithoutTrajectoryEndsWithZero) {
    auto m = emptyModel();
    m->addObject(testing::silentPrompter());
    AnimPoint p;
    p.start = {1, 2, 3};
    m->object(0).points = {p};
    Words w = writeAnimationRecord(*m);
    const size_t points = 23 + kDefaultEntryPart;
    EXPECT_EQ(w[points], 1u);
    EXPECT_EQ(w[points + 1 + 28], 0u);
    EXPECT_EQ(w.size(), points + 1 + 29 + 6);
}

TEST(AnimationRecord, RoundTripKeepsEveryStoredField) {
    auto m = sampleModel();
    Words w = writeAnimationRecord(*m);
    auto back = emptyModel();
    RecordingPrompter p;
    ASSERT_TRUE(read(*back, w, p));
    EXPECT_TRUE(p.entries.empty());
    ASSERT_EQ(back->objectCount, 4);
    for (int i : {3, 4, 5, 6, 10, 15, 16, 18}) EXPECT_EQ(back->headerWords[i], m->headerWords[i]);
    EXPECT_EQ(back->sceneryHeight, 480);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        expectSameStoredFields(m->object(i), back->object(i));
    }
    // The library object had no loader: no mesh, and its count says so.
    EXPECT_EQ(back->object(2).vertexCount, 0);
    EXPECT_EQ(writeAnimationRecord(*back), w);
}

TEST(AnimationRecord, LibraryObjectsAskTheLoader) {
    auto m = sampleModel();
    m->object(2).vertexCount = 2;
    Words w = writeAnimationRecord(*m);
    auto back = emptyModel();
    RecordingPrompter p;
    std::vector<std::string> asked;
    RecordReadOptions o;
    o.loadLibrary = [&](AnimationModel& model, int slot) {
        asked.push_back(model.object(slot).name);
        model.object(slot).points.resize(2);
        model.object(slot).vertexCount = 2;
        return true;
    };
    ASSERT_TRUE(read(*back, w, p, o));
    EXPECT_EQ(asked, std::vector<std::string>{"libs/bird.zxl"});
    EXPECT_EQ(back->object(2).points.size(), 2u);
    EXPECT_EQ(writeAnimationRecord(*back), w);
}

TEST(AnimationRecord, ClosingZeroAndTrailingWordsAreIgnored) {
    auto m = sampleModel();
    Words w = writeAnimationRecord(*m);
    Words withZero = w;
    withZero.push_back(0);
    withZero.push_back(12345);
    auto back = emptyModel();
    RecordingPrompter p;
    EXPECT_TRUE(read(*back, withZero, p));
    EXPECT_EQ(back->objectCount, 4);
    EXPECT_TRUE(p.entries.empty());
}

TEST(AnimationRecord, EveryTruncationIsReportedAndSafe) {
    auto m = sampleModel();
    Words w = writeAnimationRecord(*m);
    auto back = emptyModel();
    for (size_t len = 0; len < w.size(); ++len) {
        Words cut(w.begin(), w.begin() + long(len));
        RecordingPrompter p;
        EXPECT_FALSE(read(*back, cut, p)) << len;
        ASSERT_EQ(p.texts(), std::vector<std::string>{"Animation data corrupted"}) << len;
        EXPECT_LT(back->objectCount, 4);
        // With n adjusted to the cut, the record simply holds fewer objects.
        if (len >= 22) {
            cut[0] = uint32_t(len - 1);
            p.clear();
            EXPECT_FALSE(read(*back, cut, p));
            EXPECT_EQ(p.texts().size(), 1u);
        }
    }
}

TEST(AnimationRecord, CountsThatLieAreCorruption) {
    auto m = sampleModel();
    const Words w = writeAnimationRecord(*m);
    RecordingPrompter p;

    // Fewer objects than declared: the message, and the count is what was read.
    Words more = w;
    more[1] = 6;
    auto back = emptyModel();
    EXPECT_FALSE(read(*back, more, p));
    EXPECT_EQ(back->objectCount, 4);
    EXPECT_EQ(p.texts().size(), 1u);

    // More entries than declared: stops after the declared ones.
    Words fewer = w;
    fewer[1] = 2;
    p.clear();
    EXPECT_FALSE(read(*back, fewer, p));
    EXPECT_EQ(back->objectCount, 2);
    EXPECT_EQ(p.texts().size(), 1u);
    expectSameStoredFields(m->object(1), back->object(1));

    // A negative declared count and a short n.
    for (auto [index, value] : {std::pair<size_t, uint32_t>{1, 0xFFFFFFFFu}, {0, 20}}) {
        Words bad = w;
        bad[index] = value;
        p.clear();
        EXPECT_FALSE(read(*back, bad, p));
        EXPECT_EQ(p.texts(), std::vector<std::string>{"Animation data corrupted"});
    }

    // A zero size word ends the record early.
    auto one = emptyModel();
    one->addObject(testing::silentPrompter());
    Words z = writeAnimationRecord(*one);
    z[22] = 0;
    p.clear();
    EXPECT_FALSE(read(*back, z, p));
    EXPECT_EQ(back->objectCount, 0);
}

TEST(AnimationRecord, HugeCountsNeverAllocate) {
    auto m = emptyModel();
    m->addObject(testing::silentPrompter());
    m->object(0).points.resize(1);
    Words w = writeAnimationRecord(*m);
    const size_t entry = 23;
    const size_t effects = entry + 17;
    // Every count word of the entry, in turn, set to huge values.
    std::vector<size_t> countWords = {effects + 2,
                                      effects + 3,
                                      entry + kDefaultEntryPart - 2,
                                      entry + kDefaultEntryPart - 1,
                                      entry + kDefaultEntryPart,
                                      entry + kDefaultEntryPart + 1 + 28};
    for (size_t at : countWords)
        for (uint32_t v : {0x7FFFFFFFu, 0xFFFFFFFFu, 0x40000000u, uint32_t(w.size())}) {
            Words bad = w;
            bad[at] = v;
            auto back = emptyModel();
            RecordingPrompter p;
            EXPECT_FALSE(read(*back, bad, p)) << at << " " << v;
            EXPECT_EQ(back->objectCount, 0);
        }
}

TEST(AnimationRecord, BrokenIndexesAreCorruption) {
    auto m = emptyModel();
    m->addObject(testing::silentPrompter());
    fillOrdinary(m->object(0), 0);
    auto check = [&](auto&& breakIt) {
        auto copy = emptyModel();
        copy->addObject(testing::silentPrompter());
        copy->object(0) = m->object(0);
        breakIt(copy->object(0));
        Words w = writeAnimationRecord(*copy);
        auto back = emptyModel();
        RecordingPrompter p;
        EXPECT_FALSE(read(*back, w, p));
        EXPECT_EQ(back->objectCount, 0);
    };
    check([](AnimObject& o) { o.vertexCount = 7; });
    check([](AnimObject& o) { o.vertexCount = -1; });
    check([](AnimObject& o) { o.triangles[0].v[2] = 4; }); // a user dot
    check([](AnimObject& o) { o.points[0].bone1 = 2; });
    check([](AnimObject& o) { o.bones[1].dotB = 6; });
}

TEST(AnimationRecord, EntryAtTheLastWordIsCorruption) {
    auto m = emptyModel();
    Words w = writeAnimationRecord(*m);
    w.push_back(5); // a size word at word n, nothing after it
    w[0] = 22;
    w[1] = 1;
    auto back = emptyModel();
    RecordingPrompter p;
    EXPECT_FALSE(read(*back, w, p));
    EXPECT_EQ(p.texts(), std::vector<std::string>{"Animation data corrupted"});
}

TEST(AnimationRecord, FolderChangeMovesRelativeLibraryNames) {
    EXPECT_EQ(relocateLibraryName("libs/bird.zxl", "/p/old", "/p/new"), "../old/libs/bird.zxl");
    EXPECT_EQ(relocateLibraryName("/abs/bird.zxl", "/p/old", "/p/new"), "/abs/bird.zxl");
    EXPECT_EQ(relocateLibraryName("bird.zxl", "/p", "/p/sub"), "../bird.zxl");
    EXPECT_EQ(relocateLibraryName("sub/bird.zxl", "/p", "/p/sub"), "bird.zxl");

    auto m = sampleModel();
    m->headerWords[19] = 12345; // whatever it held is kept by the rewrite
    Words w = writeAnimationRecord(*m);
    auto moved = rewriteRecordForFolder(w, "/p/old", "/p/new");
    ASSERT_TRUE(moved);
    EXPECT_EQ((*moved)[0], moved->size() - 1);
    EXPECT_EQ((*moved)[19], 12345u);
    auto back = emptyModel();
    RecordingPrompter p;
    ASSERT_TRUE(read(*back, *moved, p));
    EXPECT_EQ(back->object(2).name, "../old/libs/bird.zxl");
    expectSameStoredFields(m->object(0), back->object(0));
    // Back again gives the original words.
    auto again = rewriteRecordForFolder(*moved, "/p/new", "/p/old");
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, w);
    EXPECT_FALSE(rewriteRecordForFolder(Words(w.begin(), w.begin() + 40), "/a", "/b"));
}

// A small record written by this program, kept as a fixture so that a change of the
// layout shows up as a failing comparison.
TEST(AnimationRecord, GoldenRecord) {
    auto m = emptyModel();
    m->sceneryWidth = 320;
    m->sceneryHeight = 240;
    m->addObject(testing::silentPrompter());
    AnimObject& o = m->object(0);
    o.textureRect = {0, 0, 16, 16};
    for (auto [x, y] : {std::pair{0.0, 0.0}, {16.0, 0.0}, {0.0, 16.0}}) {
        AnimPoint p;
        p.flags = PointFlag::MeshVertex;
        p.texture = p.start = p.end = {x, y, 0};
        o.points.push_back(p);
    }
    AnimPoint dot;
    dot.start = {8, 8, 0};
    dot.end = {12, 4, 0};
    o.points.push_back(dot);
    o.vertexCount = 3;
    o.triangles = {MeshTriangle{0, {0, 1, 2}, 0, 0, 0}};
    setObjectCurve(o, linearCommandCurve());
    m->addObject(testing::silentPrompter());
    fillLibraryObject(m->object(1), "lib.zxl");

    Words w = writeAnimationRecord(*m);
    const std::filesystem::path fixture =
        std::filesystem::path(ZX_FIXTURES_DIR) / "anim_record_small.bin";
    if (testing::updateGoldenFiles()) {
        std::ofstream(fixture, std::ios::binary)
            .write(reinterpret_cast<const char*>(w.data()), std::streamsize(w.size() * 4));
    }
    std::ifstream in(fixture, std::ios::binary);
    ASSERT_TRUE(in) << fixture;
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(bytes.size(), w.size() * 4);
    EXPECT_EQ(std::memcmp(bytes.data(), w.data(), bytes.size()), 0);

    Words stored(bytes.size() / 4);
    std::memcpy(stored.data(), bytes.data(), bytes.size());
    auto back = emptyModel();
    RecordingPrompter p;
    ASSERT_TRUE(read(*back, stored, p));
    EXPECT_EQ(back->objectCount, 2);
    EXPECT_EQ(back->object(0).curveTable.size(), 513u);
    EXPECT_EQ(back->object(1).name, "lib.zxl");
}

} // namespace
} // namespace zx
