#include "storage/ProjectFile.h"

#include "platform/RecordingPrompter.h"
#include "storage/ChunkStream.h"
#include "storage/FourCC.h"
#include "storage/GzContainer.h"
#include "storage/PhotoImport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace zx {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> tagsOf(std::span<const uint8_t> stream) {
    std::vector<std::string> tags;
    ChunkReader r(stream);
    while (auto c = r.next()) tags.push_back(fourCCName(c->tag));
    return tags;
}

std::vector<uint8_t> chunksOf(const Project& p) {
    auto bytes = buildProjectChunks(p);
    EXPECT_TRUE(bytes.has_value());
    return bytes.value_or(std::vector<uint8_t>{});
}

RasterImage gradient(int w, int h) {
    RasterImage img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.at(x, y) = 0xFF000000u | uint32_t(x * 7 % 256) << 16 | uint32_t(y * 5 % 256) << 8 |
                           uint32_t((x + y) % 256);
    return img;
}

// A project with two photograph images, animation data on one and camera values.
Project sampleProject() {
    Project p;
    p.movieWidth = 320;
    p.movieHeight = 240;
    p.fps = 25;
    p.mode = AnimationMode::Animate;
    p.canvasColour = CanvasColour::Blue;
    p.zoom = -2;
    for (int i = 0; i < 12; ++i) p.movieWords[i] = 100 + i;
    p.timelineWords = {{1, 2, 3, 4, 5, 6}};
    p.imageEditWords = {{7, 8, 9, 10}};
    p.selectionWords = {{11, 12, 13, 14}};
    p.toolWords.words = {15, 16, 17, 18, 19, 20};
    p.alignWords = {21, 22};
    auto a = buildPhotoImage(gradient(40, 30), "first.png", 50);
    a->animation = std::vector<uint32_t>{3, 1, 2, 3};
    a->setLayerOpacity(2, 128);
    auto b = buildPhotoImage(gradient(17, 33), "second.jpg", 12);
    p.images.append(std::move(a));
    p.images.append(std::move(b));
    p.currentImage = 1;
    p.cameraValues =
        CameraValueBlock{{1, 2.5f, 3.5f, 1.25f, 0.5f, -0.5f, 100.0f, 0}, {0, 0, 0, 1, 0, 0, 0, 7}};
    return p;
}

class TempDir {
public:
    TempDir() {
        path_ = fs::temp_directory_path() /
                ("zx-project-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, ec);
        fs::remove_all(path_, ec);
    }
    fs::path operator/(const std::string& name) const { return path_ / name; }
    const fs::path& path() const { return path_; }

private:
    static inline int counter_ = 0;
    fs::path path_;
};

std::vector<uint8_t> contentOf(const fs::path& file) {
    ContainerContent c = readGzContainer(file, kProjectMagic);
    EXPECT_EQ(c.status, ContainerStatus::Ok);
    return c.data;
}

// ---- writing ------------------------------------------------------------------

TEST(ProjectFileWrite, EmptyProjectWritesTheStateChunksAndEnd) {
    Project p;
    auto bytes = chunksOf(p);
    EXPECT_EQ(tagsOf(bytes),
              (std::vector<std::string>{"_ZXP", "TIML", "KEYF", "MARQ", "TOOL", "ALIG", "_END"}));
    // Chunk sizes: header 84, then 24, 16, 16, 24, 36, 0.
    EXPECT_EQ(bytes.size(), 7 * 8 + 84 + 24 + 16 + 16 + 24 + 36u);

    RecordingPrompter prompter;
    auto loaded = parseProject(bytes, prompter);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->imageCount(), 0);
    EXPECT_EQ(loaded->currentImage, -1);
    EXPECT_FALSE(loaded->cameraValues);
    EXPECT_TRUE(loaded->history.empty());
}

TEST(ProjectFileWrite, TagsAppearByteReversedAndTheHeaderIsExact) {
    Project p = sampleProject();
    auto bytes = chunksOf(p);
    std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.substr(0, 4), "PXZ_");
    EXPECT_EQ(text.substr(text.size() - 8, 4), "DNE_");
    EXPECT_NE(text.find("DNEG"), std::string::npos);

    ByteReader r(bytes);
    r.skip(4);
    ASSERT_EQ(r.u32(), 84u);
    std::vector<int32_t> fields;
    for (int i = 0; i < 21; ++i) fields.push_back(r.i32());
    std::vector<int32_t> expected{1005, 2, 1, 320, 240, 25, 2, 1, -2};
    for (int i = 0; i < 12; ++i) expected.push_back(100 + i);
    EXPECT_EQ(fields, expected);
    // ALIG: A1, seven zeros, A2.
    size_t at = text.find("GILA");
    ASSERT_NE(at, std::string::npos);
    ByteReader align(std::span<const uint8_t>(bytes).subspan(at + 4));
    EXPECT_EQ(align.u32(), 36u);
    std::vector<int32_t> words;
    for (int i = 0; i < 9; ++i) words.push_back(align.i32());
    EXPECT_EQ(words, (std::vector<int32_t>{21, 0, 0, 0, 0, 0, 0, 0, 22}));
}

TEST(ProjectFileWrite, ImageChunksFollowTheLayers) {
    Project p = sampleProject();
    auto tags = tagsOf(chunksOf(p));
    std::vector<std::string> expected{
        "_ZXP", "TIML", "KEYF", "MARQ", "TOOL", "ALIG",
        // image 1 with animation data
        "GRPH", "GVRX", "GWRP", "LNAM", "LPAR", "LORI", "LNAM", "LPAR", "LORI", "LNAM", "LPAR",
        "LCAL", "LNAM", "LPAR", "LNAM", "LPAR", "GEND",
        // image 2 without: neither GVRX nor GWRP
        "GRPH", "LNAM", "LPAR", "LORI", "LNAM", "LPAR", "LORI", "LNAM", "LPAR", "LCAL", "LNAM",
        "LPAR", "LNAM", "LPAR", "GEND", "VTAG", "_END"};
    EXPECT_EQ(tags, expected);
}

TEST(ProjectFileWrite, LayerAndCameraPayloads) {
    Project p = sampleProject();
    auto bytes = chunksOf(p);
    ChunkReader r(bytes);
    int lpar = 0;
    while (auto c = r.next()) {
        ByteReader pr(c->payload);
        if (c->tag == fourCC("LPAR") && lpar++ == 1) {
            // The subject layer of the first image.
            ASSERT_EQ(c->payload.size(), 32u);
            EXPECT_EQ(pr.i32(), 0);
            EXPECT_EQ(pr.i32(), 1);
            EXPECT_EQ(pr.i32(), 128);
            EXPECT_EQ(pr.i32(), 0);
            for (int i = 0; i < 4; ++i) EXPECT_EQ(pr.i32(), 0);
        }
        if (c->tag == fourCC("LORI")) {
            // Padded to whole words; the data length counts the padding.
            EXPECT_EQ(c->payload.size() % 4, 0u);
            pr.skip(4);
            EXPECT_EQ(size_t(pr.i32()) + 8, c->payload.size());
        }
        if (c->tag == fourCC("GVRX")) {
            EXPECT_EQ(c->payload.size(), 16u);
            EXPECT_EQ(pr.u32(), 3u);
        }
        if (c->tag == fourCC("VTAG")) {
            EXPECT_EQ(c->payload.size(), 8 + 32 * 2u);
            EXPECT_EQ(pr.u32(), 2u);
            EXPECT_EQ(pr.i32(), 1);
            EXPECT_EQ(pr.f32(), 2.5f);
        }
    }
    EXPECT_EQ(lpar, 10);
}

// ---- reading -------------------------------------------------------------------

std::vector<uint8_t> streamWithHeader(size_t headerBytes, std::vector<int32_t> fields) {
    ChunkWriter w;
    size_t mark = w.begin(fourCC("_ZXP"));
    for (size_t i = 0; i < headerBytes / 4; ++i) w.out().i32(i < fields.size() ? fields[i] : 0);
    w.end(mark);
    w.chunk(fourCC("_END"), {});
    return w.take();
}

std::vector<int32_t> headerFields() {
    std::vector<int32_t> f{1005, 0, -1, 800, 600, 24, 1, 3, 1};
    for (int i = 0; i < 12; ++i) f.push_back(200 + i);
    return f;
}

TEST(ProjectFileRead, HeaderVariants) {
    RecordingPrompter prompter;
    Project open;
    for (int i = 0; i < 12; ++i) open.movieWords[i] = -1 - i;

    auto full = parseProject(streamWithHeader(84, headerFields()), prompter, {&open});
    ASSERT_TRUE(full);
    EXPECT_EQ(full->movieWidth, 800);
    EXPECT_EQ(full->movieHeight, 600);
    EXPECT_EQ(full->fps, 24);
    EXPECT_EQ(full->mode, AnimationMode::ImageAlign);
    EXPECT_EQ(full->canvasColour, CanvasColour::White);
    EXPECT_EQ(full->zoom, 1);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(full->movieWords[i], 200 + i);

    // 80 bytes: the last Movie panel word becomes 0.
    auto middle = parseProject(streamWithHeader(80, headerFields()), prompter, {&open});
    ASSERT_TRUE(middle);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(middle->movieWords[i], 200 + i);
    EXPECT_EQ(middle->movieWords[MoviePanelWords::Reserved11], 0);

    // 64 bytes: fields 16–21 keep the values of the open project.
    auto shortest = parseProject(streamWithHeader(64, headerFields()), prompter, {&open});
    ASSERT_TRUE(shortest);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(shortest->movieWords[i], 200 + i);
    for (int i = 6; i < 12; ++i) EXPECT_EQ(shortest->movieWords[i], -1 - i);
    EXPECT_TRUE(prompter.entries.empty());
}

TEST(ProjectFileRead, HeaderValuesOutOfRangeAreBroughtIn) {
    RecordingPrompter prompter;
    auto f = headerFields();
    f[3] = 0;     // width
    f[4] = 99999; // height
    f[5] = 0;     // fps
    f[6] = 9;     // mode
    f[7] = 12;    // canvas
    auto p = parseProject(streamWithHeader(84, f), prompter);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->movieWidth, 16);
    EXPECT_EQ(p->movieHeight, 4095);
    EXPECT_EQ(p->fps, 1);
    EXPECT_EQ(p->mode, AnimationMode::ImageEdit);
    EXPECT_EQ(p->canvasColour, CanvasColour::Grid);
}

TEST(ProjectFileRead, RoundTripKeepsEverything) {
    Project p = sampleProject();
    auto bytes = chunksOf(p);
    RecordingPrompter prompter;
    auto q = parseProject(bytes, prompter);
    ASSERT_TRUE(q);
    EXPECT_TRUE(prompter.entries.empty());
    EXPECT_EQ(chunksOf(*q), bytes);

    EXPECT_EQ(q->imageCount(), 2);
    EXPECT_EQ(q->currentImage, 1);
    EXPECT_EQ(q->toolWords.companions, (std::array<int32_t, 2>{17, 18}));
    const ProjectImage& a = q->images[0];
    EXPECT_EQ(a.duration(), 50);
    EXPECT_EQ(a.width(), 40);
    EXPECT_EQ(a.height(), 30);
    EXPECT_EQ(a.canvasColour, CanvasColour::Blue);
    ASSERT_EQ(a.layerCount(), 6);
    EXPECT_EQ(a.layer(2)->name, "first.png");
    EXPECT_EQ(*a.layerPicture(2), gradient(40, 30));
    EXPECT_EQ(a.layer(3)->kind, LayerKind::Mask);
    EXPECT_EQ(a.layer(3)->name, kMaskLayerName);
    EXPECT_FALSE(a.layer(4)->hasPicture());
    EXPECT_EQ(a.layer(5)->kind, LayerKind::Animation);
    EXPECT_EQ(a.animation, (std::vector<uint32_t>{3, 1, 2, 3}));
    EXPECT_FALSE(q->images[1].animation);
    EXPECT_EQ(q->cameraValues, p.cameraValues);
}

TEST(ProjectFileRead, CameraValuesRecordTheLoadVideoDataStep) {
    Project p = sampleProject();
    RecordingPrompter prompter;
    auto q = parseProject(chunksOf(p), prompter);
    ASSERT_TRUE(q);
    ASSERT_EQ(q->history.size(), 1);
    const HistoryStep& s = q->history[0];
    EXPECT_EQ(s.label, "Load Video Data");
    EXPECT_EQ(s.type, StepType::LoadVideoData);
    const auto* block = s.payloadAs<step_payload::CameraBlock>();
    ASSERT_TRUE(block);
    EXPECT_EQ(block->values.size(), 2u);
    EXPECT_EQ(block->values, *p.cameraValues);
    EXPECT_FALSE(q->history.canUndo(true, false));
    EXPECT_FALSE(q->modified);
}

TEST(ProjectFileRead, CurrentImageIsClampedToTheLast) {
    Project p = sampleProject();
    p.currentImage = 1;
    auto bytes = chunksOf(p);
    // Header field 3 is at byte 8 + 8.
    int32_t seven = 7;
    std::memcpy(bytes.data() + 16, &seven, 4);
    RecordingPrompter prompter;
    auto q = parseProject(bytes, prompter);
    ASSERT_TRUE(q);
    EXPECT_EQ(q->currentImage, 1);
}

TEST(ProjectFileRead, OversizedImageIsToldAndKeptAsIs) {
    Project p;
    auto img = std::make_unique<ProjectImage>();
    img->addPictureLayer(RasterImage(4097, 10, 0xFF112233u), "wide");
    img->addPictureLayer(RasterImage(20, 20, 0xFF000000u), "small");
    p.images.append(std::move(img));
    RecordingPrompter prompter;
    auto q = parseProject(chunksOf(p), prompter);
    ASSERT_TRUE(q);
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{std::string(kImageTooLargeMessage)}));
    EXPECT_EQ(q->images[0].layerPicture(2)->width(), 20);
    EXPECT_EQ(q->images[0].width(), ProjectImage::kDefaultSize);
}

TEST(ProjectFileRead, SmallerLayersArePaddedToTheImageSize) {
    Project p;
    auto img = std::make_unique<ProjectImage>();
    img->addPictureLayer(RasterImage(30, 10, 0xFF0000FFu), "a");
    img->addPictureLayer(RasterImage(10, 20, 0xFF00FF00u), "b");
    img->addMaskLayer(RasterImage(10, 20, 255));
    p.images.append(std::move(img));
    RecordingPrompter prompter;
    auto q = parseProject(chunksOf(p), prompter);
    ASSERT_TRUE(q);
    const ProjectImage& i = q->images[0];
    EXPECT_EQ(i.width(), 30);
    EXPECT_EQ(i.height(), 20);
    for (int l = 1; l <= 3; ++l) {
        EXPECT_EQ(i.layerPicture(l)->width(), 30);
        EXPECT_EQ(i.layerPicture(l)->height(), 20);
    }
    EXPECT_EQ(i.layerPicture(2)->at(5, 5), 0xFF00FF00u);
    EXPECT_EQ(i.layerPicture(2)->at(25, 5), 0u);
    EXPECT_EQ(i.layerPicture(3)->at(25, 5), 0u);
}

// ---- damaged input ---------------------------------------------------------------

struct LoadOutcome {
    bool loaded;
    ProjectLoadError error;
    std::vector<std::string> messages;
};

LoadOutcome tryParse(std::span<const uint8_t> bytes) {
    RecordingPrompter prompter;
    ProjectLoadError error = ProjectLoadError::None;
    auto p = parseProject(bytes, prompter, {}, &error);
    return {bool(p), error, prompter.texts()};
}

std::vector<uint8_t> replaceChunk(std::vector<uint8_t> bytes, const char (&tag)[5],
                                  std::vector<uint8_t> payload) {
    ChunkReader r(bytes);
    ChunkWriter w;
    while (auto c = r.next()) {
        if (c->tag == fourCC(tag))
            w.chunk(c->tag, payload);
        else
            w.chunk(c->tag, c->payload);
    }
    return w.take();
}

std::vector<uint8_t> dropChunk(std::vector<uint8_t> bytes, const char (&tag)[5]) {
    ChunkReader r(bytes);
    ChunkWriter w;
    while (auto c = r.next())
        if (c->tag != fourCC(tag)) w.chunk(c->tag, c->payload);
    return w.take();
}

std::vector<uint8_t> words(std::initializer_list<int32_t> ws) {
    ByteWriter w;
    for (int32_t v : ws) w.i32(v);
    return w.take();
}

TEST(ProjectFileRead, UnknownTagShowsItsMessageAndFails) {
    auto bytes = chunksOf(sampleProject());
    auto damaged = replaceChunk(bytes, "GWRP", {});
    // Rename GWRP to an unknown tag.
    std::string text(damaged.begin(), damaged.end());
    size_t at = text.find("PRWG");
    ASSERT_NE(at, std::string::npos);
    std::memcpy(damaged.data() + at, "XXXX", 4);
    LoadOutcome o = tryParse(damaged);
    EXPECT_FALSE(o.loaded);
    EXPECT_EQ(o.error, ProjectLoadError::UnknownTag);
    EXPECT_EQ(o.messages, (std::vector<std::string>{"Invalid .zxp file format"}));
}

TEST(ProjectFileRead, WrongVersionFailsSilently) {
    auto f = headerFields();
    f[0] = 1004;
    LoadOutcome o = tryParse(streamWithHeader(84, f));
    EXPECT_FALSE(o.loaded);
    EXPECT_EQ(o.error, ProjectLoadError::Version);
    EXPECT_TRUE(o.messages.empty());
}

TEST(ProjectFileRead, UnknownLayerKindSkipsTheLayerAndGoesOn) {
    Project p;
    auto img = std::make_unique<ProjectImage>();
    img->addPictureLayer(RasterImage(16, 16, 0xFF000000u), "bg");
    img->addPictureLayer(RasterImage(16, 16, 0xFFFFFFFFu), "subject");
    img->addMaskLayer(RasterImage(16, 16, 255));
    p.images.append(std::move(img));
    auto bytes = chunksOf(p);
    // Make the second layer's kind 7.
    ChunkReader r(bytes);
    ChunkWriter w;
    int lpar = 0;
    while (auto c = r.next()) {
        if (c->tag == fourCC("LPAR") && lpar++ == 1) {
            std::vector<uint8_t> payload(c->payload.begin(), c->payload.end());
            payload[0] = 7;
            w.chunk(c->tag, payload);
        } else {
            w.chunk(c->tag, c->payload);
        }
    }
    RecordingPrompter prompter;
    auto q = parseProject(w.data(), prompter);
    ASSERT_TRUE(q);
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{"Invalid layer format"}));
    const ProjectImage& i = q->images[0];
    // The mask keeps index 3, which the editing tools address it by.
    ASSERT_EQ(i.layerCount(), 4);
    EXPECT_EQ(i.layer(1)->name, "bg");
    EXPECT_FALSE(i.layer(2)->hasPicture());
    EXPECT_EQ(i.layer(3)->kind, LayerKind::Mask);
}

TEST(ProjectFileRead, DamagedStructureIsRejected) {
    auto good = chunksOf(sampleProject());
    // A chunk size beyond the end.
    auto longChunk = good;
    uint32_t huge = 0x7FFFFFF0;
    std::memcpy(longChunk.data() + 4, &huge, 4);
    EXPECT_EQ(tryParse(longChunk).error, ProjectLoadError::Corrupt);
    // No "_END".
    std::vector<uint8_t> noEnd(good.begin(), good.end() - 8);
    EXPECT_EQ(tryParse(noEnd).error, ProjectLoadError::Corrupt);
    // Not starting with the header.
    std::vector<uint8_t> headless(good.begin() + 8 + 84, good.end());
    EXPECT_EQ(tryParse(headless).error, ProjectLoadError::Corrupt);
    // A header too short to hold its fields.
    EXPECT_EQ(tryParse(streamWithHeader(40, headerFields())).error, ProjectLoadError::Corrupt);
    // Animation record count larger than its payload.
    EXPECT_EQ(tryParse(replaceChunk(good, "GVRX", words({9, 1}))).error, ProjectLoadError::Corrupt);
    // A packed picture claiming more data than it has, or a huge size.
    EXPECT_EQ(tryParse(replaceChunk(good, "LORI", words({int32_t(0x8010'0010), 400}))).error,
              ProjectLoadError::Corrupt);
    EXPECT_EQ(tryParse(replaceChunk(good, "LORI", words({int32_t(0xFFFF'FFFF), 4, 0}))).error,
              ProjectLoadError::Corrupt);
    // A mask of a billion words from a few bytes.
    EXPECT_EQ(
        tryParse(replaceChunk(good, "LCAL", words({30000, 30000, int32_t(0x8000FFFF), 1}))).error,
        ProjectLoadError::Corrupt);
    // A mask payload that is not whole words.
    EXPECT_EQ(tryParse(replaceChunk(good, "LCAL", {1, 0, 0, 0, 1, 0, 0, 0, 5})).error,
              ProjectLoadError::Corrupt);
    // Camera count beyond the payload.
    EXPECT_EQ(tryParse(replaceChunk(good, "VTAG", words({5, 0, 0}))).error,
              ProjectLoadError::Corrupt);
    // An image that is never closed.
    EXPECT_EQ(tryParse(dropChunk(good, "GEND")).error, ProjectLoadError::Corrupt);
    // Layer chunks outside an image.
    EXPECT_EQ(tryParse(dropChunk(good, "GRPH")).error, ProjectLoadError::Corrupt);
}

TEST(ProjectFileRead, EveryTruncationIsRejectedWithoutHarm) {
    auto good = chunksOf(sampleProject());
    for (size_t n = 0; n < good.size(); n += (n < 400 ? 1 : 37)) {
        LoadOutcome o = tryParse(std::span(good).first(n));
        EXPECT_FALSE(o.loaded) << n;
    }
}

// ---- files -------------------------------------------------------------------------

TEST(ProjectFileDisk, SaveThenLoadAndResaveGiveTheSameStream) {
    TempDir dir;
    Project p = sampleProject();
    p.modified = true;
    RecordingPrompter prompter;
    ASSERT_TRUE(saveProject(p, dir / "a.zxp", prompter));
    EXPECT_FALSE(p.modified);
    EXPECT_EQ(p.title, "a");
    EXPECT_EQ(p.folder, dir.path());

    auto q = loadProject(dir / "a.zxp", prompter);
    ASSERT_TRUE(q);
    EXPECT_EQ(q->path, dir / "a.zxp");
    ASSERT_TRUE(saveProject(*q, dir / "b.zxp", prompter));
    EXPECT_EQ(contentOf(dir / "a.zxp"), contentOf(dir / "b.zxp"));
    EXPECT_TRUE(prompter.entries.empty());
    // No temporary files are left behind.
    int files = 0;
    for (auto& e : fs::directory_iterator(dir.path())) files += e.is_regular_file();
    EXPECT_EQ(files, 2);
}

TEST(ProjectFileDisk, ReadOnlyTargetIsLeftUntouched) {
    TempDir dir;
    fs::path target = dir / "old.zxp";
    { std::ofstream(target) << "the user's old file"; }
    fs::permissions(target, fs::perms::owner_read);
    Project p = sampleProject();
    p.modified = true;
    RecordingPrompter prompter;
    EXPECT_FALSE(saveProject(p, target, prompter));
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{std::string(kSaveFailedMessage) + "\n" + target.string() +
                                        ": the file is read-only"}));
    std::ifstream in(target);
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "the user's old file");
    EXPECT_TRUE(p.modified);
    EXPECT_TRUE(p.path.empty());
}

TEST(ProjectFileDisk, TargetThatCannotBeReplacedIsLeftUntouched) {
    TempDir dir;
    fs::create_directories(dir / "taken.zxp" / "inside");
    Project p = sampleProject();
    RecordingPrompter prompter;
    EXPECT_FALSE(saveProject(p, dir / "taken.zxp", prompter));
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{std::string(kSaveFailedMessage) + "\n" +
                                        (dir / "taken.zxp").string() +
                                        ": a folder of that name is in the way"}));
    EXPECT_TRUE(fs::is_directory(dir / "taken.zxp" / "inside"));
    int entries = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(ProjectFileDisk, UnwritableFolderFailsWithTheMessage) {
    TempDir dir;
    Project p;
    RecordingPrompter prompter;
    EXPECT_FALSE(saveProject(p, dir / "missing" / "x.zxp", prompter));
    // The system's text, then the file and the real reason.
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{std::string(kSaveFailedMessage) + "\n" +
                                                          (dir / "missing" / "x.zxp").string() +
                                                          ": the folder does not exist"}));
}

TEST(ProjectFileDisk, AnimationRecordsAreReencodedOnlyForANewFolder) {
    TempDir dir;
    fs::create_directories(dir / "other");
    Project p = sampleProject();
    RecordingPrompter prompter;
    int calls = 0;
    fs::path lastFrom, lastTo;
    ProjectSaveOptions options;
    options.reencode = [&](const std::vector<uint32_t>& record, const fs::path& from,
                           const fs::path& to) -> std::optional<std::vector<uint32_t>> {
        ++calls;
        lastFrom = from;
        lastTo = to;
        auto out = record;
        out.push_back(0);
        out[0] += 1;
        return out;
    };
    ASSERT_TRUE(saveProject(p, dir / "a.zxp", prompter, options));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(lastFrom, fs::path());
    EXPECT_EQ(lastTo, dir.path());
    EXPECT_EQ(p.images[0].animation, (std::vector<uint32_t>{4, 1, 2, 3, 0}));
    // Same folder again: the records stand.
    ASSERT_TRUE(saveProject(p, dir / "b.zxp", prompter, options));
    EXPECT_EQ(calls, 1);
    auto q = loadProject(dir / "b.zxp", prompter);
    ASSERT_TRUE(q);
    EXPECT_EQ(q->images[0].animation, (std::vector<uint32_t>{4, 1, 2, 3, 0}));

    // A failed save into another folder keeps the records and the location.
    Project r = sampleProject();
    r.setLocation(dir / "a.zxp");
    EXPECT_FALSE(saveProject(r, dir / "nowhere" / "c.zxp", prompter, options));
    EXPECT_EQ(lastFrom, dir.path());
    EXPECT_EQ(lastTo, dir / "nowhere");
    EXPECT_EQ(r.images[0].animation, (std::vector<uint32_t>{3, 1, 2, 3}));
    EXPECT_EQ(r.path, dir / "a.zxp");
}

TEST(ProjectFileDisk, FailedLoadLeavesTheOpenProjectAndShowsTheMessage) {
    TempDir dir;
    Project open = sampleProject();
    RecordingPrompter prompter;
    ASSERT_TRUE(saveProject(open, dir / "good.zxp", prompter));
    auto before = chunksOf(open);

    std::ofstream(dir / "plain.zxp") << "not gzip at all";
    ASSERT_TRUE(writeGzContainer(dir / "lib.zxp", "ZZXL", std::vector<uint8_t>{1, 2, 3}));
    auto stream = chunksOf(open);
    stream.resize(stream.size() / 2);
    ASSERT_TRUE(writeGzContainer(dir / "half.zxp", "ZZXP", stream));

    for (const char* name : {"plain.zxp", "lib.zxp", "half.zxp", "absent.zxp"}) {
        prompter.clear();
        const Result<std::unique_ptr<Project>> refused =
            openProjectDocument(dir / name, prompter, &open);
        EXPECT_FALSE(refused.isOk()) << name;
        ASSERT_EQ(prompter.texts().size(), 1u) << name;
        const std::string text = prompter.texts()[0];
        EXPECT_EQ(refused.status().fullText(), text) << "it returns what it told";
        EXPECT_EQ(text.rfind(std::string(kNotAProjectMessage) + "\n" + (dir / name).string(), 0),
                  0u)
            << text;
    }
    EXPECT_EQ(chunksOf(open), before);
    EXPECT_EQ(open.path, dir / "good.zxp");

    prompter.clear();
    auto loaded = openProjectDocument(dir / "good.zxp", prompter, &open);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(prompter.entries.empty());
}

TEST(ProjectFileRouting, OpenAndSaveExtensions) {
    EXPECT_TRUE(routeOpen("a/b.ZXP").loadProject);
    EXPECT_EQ(routeOpen("x.jpeg").message, kOpenImageMessage);
    EXPECT_EQ(routeOpen("x.JPG").message, kOpenImageMessage);
    EXPECT_EQ(routeOpen("x.png").message, kOpenImageMessage);
    EXPECT_EQ(routeOpen("x.zxl").message, kOpenLibraryMessage);
    EXPECT_EQ(routeOpen("x.avi").message, "Unsupported file extension");
    EXPECT_EQ(routeOpen("noext").message, "Unsupported file extension");
    EXPECT_EQ(std::string(kOpenImageMessage),
              "To load a jpeg or png image, please use \"File\" \"Import Image(s)\" from the "
              "main menu");

    EXPECT_FALSE(saveExtensionError("a.zxp"));
    EXPECT_EQ(saveExtensionError("a.zxl"), "Invalid file extension, .zxp expected");
    RecordingPrompter prompter;
    Project p;
    EXPECT_FALSE(saveProjectDocument(p, "/nonexistent/a.txt", prompter));
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{"Invalid file extension, .zxp expected"}));
}

TEST(ProjectFileRouting, DefaultSaveName) {
    Project p;
    EXPECT_EQ(defaultSaveName(p), "Untitled");
    p.title = "my project#2";
    EXPECT_EQ(defaultSaveName(p), "my");
    p.images.append(buildPhotoImage(RasterImage(8, 8), "[Clipboard]", 10));
    EXPECT_EQ(defaultSaveName(p), "my");
    p.images.insert(0, buildPhotoImage(RasterImage(8, 8), "holiday.jpg", 10));
    EXPECT_EQ(defaultSaveName(p), "holiday");
}

} // namespace
} // namespace zx
