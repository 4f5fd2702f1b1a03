#include "storage/ImageFile.h"

#include "platform/RecordingPrompter.h"
#include "platform/SafeFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <string>

#include <jpeglib.h>
#include <png.h>

namespace zx {
namespace {

namespace fs = std::filesystem;

const fs::path kSamples = ZX_SAMPLES_DIR;

// A fresh folder for the files one test writes.
class Scratch {
public:
    Scratch() {
        TempFile marker("zx_imagefile_");
        dir_ = marker.path().string() + ".d";
        fs::create_directories(dir_);
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    fs::path operator/(const std::string& name) const { return dir_ / name; }

private:
    fs::path dir_;
};

std::vector<uint8_t> readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const fs::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Writes PNG variants the program itself never writes (grey, palette, 16-bit,
// transparency chunks, gamma) with libpng's low-level writer.
struct PngRecipe {
    int width = 0, height = 0, colourType = PNG_COLOR_TYPE_RGB, bitDepth = 8;
    std::vector<uint8_t> rows; // packed rows as libpng expects them
    std::vector<png_color> palette;
    std::vector<uint8_t> paletteAlpha;
    std::optional<png_color_16> colourKey;
    std::optional<double> gamma;
    bool interlaced = false;
};

PngRecipe recipe(int w, int h, int colourType, int bitDepth, std::vector<uint8_t> rows) {
    PngRecipe s;
    s.width = w;
    s.height = h;
    s.colourType = colourType;
    s.bitDepth = bitDepth;
    s.rows = std::move(rows);
    return s;
}

std::vector<uint8_t> makePng(const PngRecipe& s) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        ADD_FAILURE() << "libpng failed writing a test file";
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep d, size_t n) {
            auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            v->insert(v->end(), d, d + n);
        },
        nullptr);
    png_set_IHDR(png, info, s.width, s.height, s.bitDepth, s.colourType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty()) png_set_PLTE(png, info, s.palette.data(), int(s.palette.size()));
    if (!s.paletteAlpha.empty())
        png_set_tRNS(png, info, s.paletteAlpha.data(), int(s.paletteAlpha.size()), nullptr);
    if (s.colourKey) png_set_tRNS(png, info, nullptr, 0, &*s.colourKey);
    if (s.gamma) png_set_gAMA(png, info, *s.gamma);
    png_write_info(png, info);
    const size_t stride = s.rows.size() / size_t(s.height);
    std::vector<png_bytep> rows;
    for (int y = 0; y < s.height; ++y)
        rows.push_back(const_cast<png_bytep>(s.rows.data() + stride * size_t(y)));
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

RasterImage testPattern(int w, int h) {
    RasterImage image(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.at(x, y) = uint32_t((x * 37 + y * 11) & 0xFF) << 24 |
                             uint32_t(x * 255 / std::max(1, w - 1)) << 16 |
                             uint32_t(y * 255 / std::max(1, h - 1)) << 8 | uint32_t((x ^ y) & 0xFF);
    return image;
}

double meanAbsoluteColourError(const RasterImage& a, const RasterImage& b) {
    double sum = 0;
    for (size_t i = 0; i < a.pixelCount(); ++i)
        for (int shift : {0, 8, 16})
            sum += std::abs(int((a.pixels()[i] >> shift) & 0xFF) -
                            int((b.pixels()[i] >> shift) & 0xFF));
    return sum / (3.0 * double(a.pixelCount()));
}

bool hasMarker(const std::vector<uint8_t>& jpeg, uint8_t marker) {
    for (size_t i = 0; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) return true;
    return false;
}

TEST(ImageFilePng, SamplesMatchLibpngsOwnReading) {
    for (const char* name : {"astronaut.png", "chelsea.png"}) {
        SCOPED_TRACE(name);
        RecordingPrompter prompter;
        auto image = loadImage(kSamples / name, &prompter);
        ASSERT_TRUE(image);
        EXPECT_TRUE(prompter.entries.empty());

        // libpng's simplified reader, asked for B, G, R, A bytes, is an independent
        // path to the same pixels.
        png_image ref{};
        ref.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_file(&ref, (kSamples / name).c_str()));
        ref.format = PNG_FORMAT_BGRA;
        std::vector<uint32_t> pixels(PNG_IMAGE_SIZE(ref) / 4);
        ASSERT_TRUE(png_image_finish_read(&ref, nullptr, pixels.data(), 0, nullptr));
        EXPECT_EQ(image->width(), int(ref.width));
        EXPECT_EQ(image->height(), int(ref.height));
        EXPECT_EQ(image->pixelVector(), pixels);
    }
}

TEST(ImageFilePng, SaveAndLoadKeepEveryPixelAndAlpha) {
    Scratch dir;
    auto photo = loadImage(kSamples / "chelsea.png", nullptr);
    ASSERT_TRUE(photo);
    RasterImage cutout = testPattern(67, 45); // alpha varies, colour under alpha 0 too
    for (auto* image : {&*photo, &cutout}) {
        const fs::path file = dir / "out.PNG"; // extension case does not matter
        ASSERT_TRUE(savePng(file, *image));
        auto back = loadImage(file, nullptr);
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, *image);
    }
}

TEST(ImageFilePng, ConversionsOfOtherPixelFormats) {
    // Grey 8-bit → 0xFF000000 | g × 0x010101.
    PngRecipe grey = recipe(2, 1, PNG_COLOR_TYPE_GRAY, 8, {0x00, 0x80});
    auto g = decodePng(makePng(grey));
    ASSERT_TRUE(g);
    EXPECT_EQ(g->pixelVector(), (std::vector<uint32_t>{0xFF000000, 0xFF808080}));

    // Grey with alpha.
    PngRecipe greyAlpha = recipe(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {0x40, 0x7F});
    EXPECT_EQ(decodePng(makePng(greyAlpha))->pixelVector(), (std::vector<uint32_t>{0x7F404040}));

    // 1-bit grey expands to 0 and 255.
    PngRecipe bits = recipe(8, 1, PNG_COLOR_TYPE_GRAY, 1, {0b10100000});
    auto b = decodePng(makePng(bits));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->at(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(b->at(1, 0), 0xFF000000u);
    EXPECT_EQ(b->at(2, 0), 0xFFFFFFFFu);

    // 4-bit palette with alpha for the first two entries only.
    PngRecipe palette = recipe(3, 1, PNG_COLOR_TYPE_PALETTE, 4, {0x01, 0x20});
    palette.palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
    palette.paletteAlpha = {0, 128};
    auto p = decodePng(makePng(palette));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->pixelVector(), (std::vector<uint32_t>{0x000A141E, 0x8028323C, 0xFF46505A}));

    // 16-bit RGB is stripped to the high bytes.
    PngRecipe deep = recipe(1, 1, PNG_COLOR_TYPE_RGB, 16, {0x12, 0xFF, 0x34, 0x00, 0x56, 0x80});
    EXPECT_EQ(decodePng(makePng(deep))->pixelVector(), (std::vector<uint32_t>{0xFF123456}));

    // An RGB colour key becomes alpha 0 for exactly that colour.
    PngRecipe keyed = recipe(2, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 1, 2, 4});
    keyed.colourKey = png_color_16{0, 1, 2, 3, 0};
    EXPECT_EQ(decodePng(makePng(keyed))->pixelVector(),
              (std::vector<uint32_t>{0x00010203, 0xFF010204}));

    // Interlaced files read the same as plain ones.
    PngRecipe interlaced =
        recipe(3, 2, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 8, 7, 6, 5, 4, 3, 2, 1});
    interlaced.interlaced = true;
    auto i = decodePng(makePng(interlaced));
    ASSERT_TRUE(i);
    EXPECT_EQ(i->at(2, 1), 0xFF030201u);
}

TEST(ImageFilePng, StatedGammaIsCorrectedForTheScreen) {
    PngRecipe linear = recipe(1, 1, PNG_COLOR_TYPE_GRAY, 8, {128});
    linear.gamma = 1.0; // linear data on a 2.2 screen: 255 × (128/255)^(1/2.2) ≈ 186
    auto brighter = decodePng(makePng(linear));
    ASSERT_TRUE(brighter);
    EXPECT_NEAR(int(brighter->at(0, 0) & 0xFF), 186, 1);
    EXPECT_EQ(brighter->at(0, 0) >> 24, 0xFFu);

    PngRecipe matched = linear;
    matched.gamma = 1 / 2.2; // already screen gamma: unchanged
    EXPECT_EQ(decodePng(makePng(matched))->at(0, 0), 0xFF808080u);
}

TEST(ImageFilePng, CorruptAndTruncatedFilesReportAndGiveNone) {
    auto good = *encodePng(testPattern(40, 30));
    for (size_t n : {size_t(0), size_t(7), size_t(30), good.size() / 2, good.size() - 13}) {
        RecordingPrompter prompter;
        EXPECT_FALSE(decodePng(std::span(good.data(), n), &prompter)) << n;
        ASSERT_EQ(prompter.entries.size(), 1u) << n;
        EXPECT_EQ(prompter.entries[0].title, "PNG Library Error");
        EXPECT_FALSE(prompter.entries[0].text.empty());
    }
    auto flipped = good;
    flipped[good.size() / 2] ^= 0x55; // damages the compressed data and its checksum
    EXPECT_FALSE(decodePng(flipped));

    RecordingPrompter prompter;
    EXPECT_FALSE(decodePng(good, &prompter, 40 * 30 - 1));
    EXPECT_TRUE(prompter.saw("The picture is too large to load"));
}

TEST(ImageFileJpeg, SaveAndLoadStayCloseToTheOriginal) {
    Scratch dir;
    auto photo = loadImage(kSamples / "astronaut.png", nullptr);
    ASSERT_TRUE(photo);
    RecordingPrompter prompter;
    ASSERT_TRUE(saveJpeg(dir / "a.jpg", *photo, 3, &prompter));
    auto back = loadImage(dir / "a.jpg", &prompter);
    ASSERT_TRUE(back);
    EXPECT_TRUE(prompter.entries.empty());
    ASSERT_EQ(back->width(), 512);
    ASSERT_EQ(back->height(), 512);
    EXPECT_LT(meanAbsoluteColourError(*photo, *back), 4.0);
    for (uint32_t p : back->pixelVector()) ASSERT_EQ(p >> 24, 0xFFu);
}

TEST(ImageFileJpeg, QualityLevelsAndBaseline) {
    EXPECT_EQ(jpegQualityFor(0), 30);
    EXPECT_EQ(jpegQualityFor(1), 50);
    EXPECT_EQ(jpegQualityFor(2), 75);
    EXPECT_EQ(jpegQualityFor(3), 90);
    EXPECT_EQ(jpegQualityFor(4), 4);
    EXPECT_EQ(jpegQualityFor(100), 100);

    auto photo = loadImage(kSamples / "chelsea.png", nullptr);
    ASSERT_TRUE(photo);
    auto level0 = encodeJpeg(*photo, 0);
    ASSERT_TRUE(level0);
    EXPECT_EQ(level0, encodeJpeg(*photo, 30));
    EXPECT_EQ(encodeJpeg(*photo, 3), encodeJpeg(*photo, 90));
    size_t previous = 0;
    for (int level : {0, 1, 2, 3}) {
        auto bytes = encodeJpeg(*photo, level);
        ASSERT_TRUE(bytes);
        EXPECT_GT(bytes->size(), previous) << "level " << level;
        previous = bytes->size();
        EXPECT_TRUE(hasMarker(*bytes, 0xC0));  // baseline frame
        EXPECT_FALSE(hasMarker(*bytes, 0xC2)); // never progressive
    }
    // Alpha is dropped, colour kept: a transparent red pixel saves as red.
    auto red = decodeJpeg(*encodeJpeg(RasterImage(8, 8, 0x00FF0000), 3));
    ASSERT_TRUE(red);
    EXPECT_GT((red->at(4, 4) >> 16) & 0xFF, 240u);
    EXPECT_LT(red->at(4, 4) & 0xFF, 16u);
}

TEST(ImageFileJpeg, GreyFilesBecomeGreyPixels) {
    // A grey JPEG written with libjpeg directly.
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = 16;
    cinfo.image_height = 8;
    cinfo.input_components = 1;
    cinfo.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(16);
    for (int x = 0; x < 16; ++x) row[size_t(x)] = JSAMPLE(x * 16);
    while (cinfo.next_scanline < 8) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);

    auto image = decodeJpeg(bytes);
    ASSERT_TRUE(image);
    for (uint32_t p : image->pixelVector()) {
        const uint32_t g = p & 0xFF;
        EXPECT_EQ(p, 0xFF000000u | g * 0x010101u);
    }
    EXPECT_NEAR(int(image->at(8, 4) & 0xFF), 128, 3);
}

TEST(ImageFileJpeg, LibraryErrorsAreShownAndGiveNone) {
    RecordingPrompter prompter;
    std::vector<uint8_t> notJpeg = {'h', 'e', 'l', 'l', 'o', 0, 1, 2};
    EXPECT_FALSE(decodeJpeg(notJpeg, &prompter));
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(prompter.entries[0].title, "JPEG Library Error");
    EXPECT_NE(prompter.entries[0].text.find("Not a JPEG file"), std::string::npos)
        << prompter.entries[0].text;

    // Cut inside the headers: an error, not a grey picture.
    auto good = *encodeJpeg(testPattern(32, 32), 2);
    prompter.clear();
    EXPECT_FALSE(decodeJpeg(std::span(good.data(), 100), &prompter));
    EXPECT_EQ(prompter.entries.size(), 1u);
    EXPECT_FALSE(decodeJpeg(std::span(good.data(), 0)));

    // Cut inside the scan: libjpeg recovers with what it has, as viewers do.
    auto partial = decodeJpeg(std::span(good.data(), good.size() - 40));
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->width(), 32);

    // Writing: the library refuses sizes beyond its limit.
    prompter.clear();
    EXPECT_FALSE(encodeJpeg(RasterImage(65501, 1), 2, &prompter));
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(prompter.entries[0].title, "JPEG Library Error");

    prompter.clear();
    EXPECT_FALSE(decodeJpeg(good, &prompter, 32 * 32 - 1));
    EXPECT_TRUE(prompter.saw("The picture is too large to load"));
}

TEST(ImageFileJpeg, ACutFileIsKeptAndTheUserToldWhatIsMissing) {
    Scratch dir;
    const std::vector<uint8_t> good = *encodeJpeg(testPattern(256, 256), 3);
    std::ofstream(dir / "cut.jpg", std::ios::binary)
        .write(reinterpret_cast<const char*>(good.data()), std::streamsize(good.size() / 2));
    RecordingPrompter prompter;
    auto cut = loadImage(dir / "cut.jpg", &prompter);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->width(), 256);
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_NE(prompter.entries[0].text.find("cut.jpg"), std::string::npos);
    EXPECT_NE(prompter.entries[0].text.find(kDamagedPictureMessage), std::string::npos);

    // A whole file followed by stray bytes is sound: nothing to tell.
    std::vector<uint8_t> padded = good;
    padded.insert(padded.end(), {0, 1, 2, 3});
    std::ofstream(dir / "padded.jpg", std::ios::binary)
        .write(reinterpret_cast<const char*>(padded.data()), std::streamsize(padded.size()));
    prompter.clear();
    EXPECT_TRUE(loadImage(dir / "padded.jpg", &prompter));
    EXPECT_TRUE(prompter.entries.empty());
}

TEST(ImageFileSave, FailedSavesKeepTheOldFileAndSayWhy) {
    Scratch dir;
    RasterImage image = testPattern(20, 10);
    RecordingPrompter prompter;
    EXPECT_FALSE(saveJpeg(dir / "missing" / "x.jpg", image, 2, &prompter));
    EXPECT_TRUE(prompter.saw("Can't open file for output"));
    prompter.clear();
    EXPECT_FALSE(savePng(dir / "missing" / "x.png", image, &prompter));
    EXPECT_TRUE(prompter.saw("Can't open file for output"));

    // A picture that cannot be coded leaves the existing file byte for byte.
    const fs::path existing = dir / "keep.jpg";
    writeBytes(existing, {1, 2, 3});
    prompter.clear();
    EXPECT_FALSE(saveJpeg(existing, RasterImage(65501, 1), 2, &prompter));
    EXPECT_EQ(readBytes(existing), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_FALSE(savePng(existing, RasterImage(), &prompter));
    EXPECT_EQ(readBytes(existing), (std::vector<uint8_t>{1, 2, 3}));
    // A good save replaces it and leaves no temporary file behind.
    EXPECT_TRUE(saveJpeg(existing, image, 2, &prompter));
    EXPECT_TRUE(decodeJpeg(readBytes(existing)));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / ""), fs::directory_iterator()), 1);
}

TEST(ImageFileLoad, OtherExtensionsGoToTheStillConverter) {
    Scratch dir;
    writeBytes(dir / "clip.mp4", {0, 0, 0});
    RecordingPrompter prompter;
    EXPECT_FALSE(loadImage(dir / "clip.mp4", &prompter));
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(prompter.entries[0].text, "Unsupported picture file type: clip.mp4");

    fs::path asked;
    setStillImageConverter([&](const fs::path& p, Prompter*) -> std::optional<RasterImage> {
        asked = p;
        return RasterImage(3, 3, 0xFF000000);
    });
    auto still = loadImage(dir / "clip.mp4", &prompter);
    setStillImageConverter({});
    ASSERT_TRUE(still);
    EXPECT_EQ(still->width(), 3);
    EXPECT_EQ(asked, dir / "clip.mp4");

    prompter.clear();
    EXPECT_FALSE(loadImage(dir / "absent.png", &prompter));
    EXPECT_TRUE(prompter.saw("Can't open file " + (dir / "absent.png").string()));

    // A PNG named .jpg goes to the JPEG reader, by extension, and fails there.
    writeBytes(dir / "wrong.jpg", readBytes(kSamples / "chelsea.png"));
    prompter.clear();
    EXPECT_FALSE(loadImage(dir / "wrong.jpg", &prompter));
    ASSERT_EQ(prompter.entries.size(), 1u);
    EXPECT_EQ(prompter.entries[0].title, "JPEG Library Error");
}

} // namespace
} // namespace zx
