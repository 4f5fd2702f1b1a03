#include "storage/ImageFile.h"
#include "platform/Text.h"

#include "platform/SafeFile.h"

#include <algorithm>
#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>
#include <png.h>
#include <zlib.h>

// libjpeg and libpng report errors by calling back into us; we leave their frames
// with longjmp. The functions that call setjmp keep no locals with destructors
// after it: everything that must survive a jump lives in a context object owned by
// the caller, and the libraries' own allocations go with their destroy calls.

namespace zx {

namespace {

constexpr std::string_view kJpegErrorTitle = "JPEG Library Error";
constexpr std::string_view kPngErrorTitle = "PNG Library Error";
constexpr std::string_view kCantOpenOutput = "Can't open file for output";
constexpr std::string_view kTooLarge = "The picture is too large to load";
// zlib level of PngSpeed::Fast.
constexpr int kFastPngLevel = 1;

// Tells the user, and gives the same text back as the failure it is.
Status failWith(Prompter* prompter, std::string_view text, std::string_view title = {}) {
    if (prompter) prompter->message(text, title);
    return Status::failed(std::string(text));
}

void tell(Prompter* prompter, std::string_view text, std::string_view title = {}) {
    if (prompter) prompter->message(text, title);
}

std::span<const uint8_t> asBytes(const std::vector<std::byte>& data) {
    return {reinterpret_cast<const uint8_t*>(data.data()), data.size()};
}

// ---------------------------------------------------------------- JPEG

struct JpegErrorManager {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool truncated; // the data ended before the picture did
};

[[noreturn]] void onJpegError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings keep libjpeg's recovery and stay quiet, as a photo viewer would (a sound
// file with extraneous bytes is common). Only the end of the data before the end of
// the picture is remembered: the lower part of such a picture is made up.
void onJpegMessage(j_common_ptr) {}
void onJpegEmit(j_common_ptr cinfo, int level) {
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) err->truncated = true;
}

void installErrorManager(JpegErrorManager& err, jpeg_error_mgr*& slot) {
    slot = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = onJpegError;
    err.mgr.output_message = onJpegMessage;
    err.mgr.emit_message = onJpegEmit;
    err.message[0] = '\0';
    err.truncated = false;
}

enum class Outcome { Done, LibraryError, TooLarge };

Outcome runJpegDecode(jpeg_decompress_struct* cinfo, JpegErrorManager* err,
                      std::span<const uint8_t> data, uint64_t maxPixels, RasterImage* out) {
    if (setjmp(err->jump)) return Outcome::LibraryError;
    jpeg_mem_src(cinfo, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(cinfo, TRUE);
    if (uint64_t(cinfo->image_width) * cinfo->image_height > maxPixels) return Outcome::TooLarge;
    const bool grey = cinfo->jpeg_color_space == JCS_GRAYSCALE;
    cinfo->out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(cinfo);
    const int w = int(cinfo->output_width), h = int(cinfo->output_height);
    const int components = cinfo->output_components;
    *out = RasterImage(w, h);
    JSAMPARRAY buffer = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo),
                                                    JPOOL_IMAGE, JDIMENSION(w * components), 1);
    while (cinfo->output_scanline < cinfo->output_height) {
        const int y = int(cinfo->output_scanline);
        jpeg_read_scanlines(cinfo, buffer, 1);
        const JSAMPLE* s = buffer[0];
        uint32_t* row = out->pixels() + size_t(y) * w;
        if (components == 1) {
            for (int x = 0; x < w; ++x) row[x] = 0xFF000000u | uint32_t(s[x]) * 0x010101u;
        } else {
            for (int x = 0; x < w; ++x, s += 3)
                row[x] = 0xFF000000u | uint32_t(s[0]) << 16 | uint32_t(s[1]) << 8 | s[2];
        }
    }
    jpeg_finish_decompress(cinfo);
    return Outcome::Done;
}

// Compressed bytes collect in a vector through a fixed staging buffer. (libjpeg's
// own memory destination hands back a malloc'ed pointer that may be stale after an
// error, which makes it awkward to free safely.)
struct JpegOutput {
    jpeg_destination_mgr mgr;
    std::vector<uint8_t> bytes;
    JOCTET staging[16384];
};

void startJpegOutput(j_compress_ptr cinfo) {
    auto* out = static_cast<JpegOutput*>(cinfo->client_data);
    out->mgr.next_output_byte = out->staging;
    out->mgr.free_in_buffer = sizeof(out->staging);
}

boolean flushJpegOutput(j_compress_ptr cinfo) {
    auto* out = static_cast<JpegOutput*>(cinfo->client_data);
    out->bytes.insert(out->bytes.end(), out->staging, out->staging + sizeof(out->staging));
    out->mgr.next_output_byte = out->staging;
    out->mgr.free_in_buffer = sizeof(out->staging);
    return TRUE;
}

void finishJpegOutput(j_compress_ptr cinfo) {
    auto* out = static_cast<JpegOutput*>(cinfo->client_data);
    const size_t used = sizeof(out->staging) - out->mgr.free_in_buffer;
    out->bytes.insert(out->bytes.end(), out->staging, out->staging + used);
}

bool runJpegEncode(jpeg_compress_struct* cinfo, JpegErrorManager* err, const RasterImage* image,
                   int quality, JpegOutput* out) {
    if (setjmp(err->jump)) return false;
    out->mgr.init_destination = startJpegOutput;
    out->mgr.empty_output_buffer = flushJpegOutput;
    out->mgr.term_destination = finishJpegOutput;
    cinfo->dest = &out->mgr;
    cinfo->client_data = out;
    cinfo->image_width = JDIMENSION(image->width());
    cinfo->image_height = JDIMENSION(image->height());
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    const int w = image->width();
    JSAMPARRAY buffer = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo),
                                                    JPOOL_IMAGE, JDIMENSION(w * 3), 1);
    while (cinfo->next_scanline < cinfo->image_height) {
        const uint32_t* row = image->pixels() + size_t(cinfo->next_scanline) * w;
        JSAMPLE* d = buffer[0];
        for (int x = 0; x < w; ++x, d += 3) {
            d[0] = JSAMPLE(row[x] >> 16);
            d[1] = JSAMPLE(row[x] >> 8);
            d[2] = JSAMPLE(row[x]);
        }
        jpeg_write_scanlines(cinfo, buffer, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

// ---------------------------------------------------------------- PNG

struct PngContext {
    std::span<const uint8_t> input;
    size_t position = 0;
    std::vector<uint8_t> output;
    RasterImage image;
    std::vector<png_bytep> rows;
    std::string message;
};

[[noreturn]] void onPngError(png_structp png, png_const_charp message) {
    auto* ctx = static_cast<PngContext*>(png_get_error_ptr(png));
    ctx->message = message ? message : "";
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

void readPngBytes(png_structp png, png_bytep data, size_t length) {
    auto* ctx = static_cast<PngContext*>(png_get_io_ptr(png));
    if (length > ctx->input.size() - ctx->position) png_error(png, "Unexpected end of file");
    std::memcpy(data, ctx->input.data() + ctx->position, length);
    ctx->position += length;
}

void writePngBytes(png_structp png, png_bytep data, size_t length) {
    auto* ctx = static_cast<PngContext*>(png_get_io_ptr(png));
    ctx->output.insert(ctx->output.end(), data, data + length);
}

void flushPng(png_structp) {}

Outcome runPngDecode(png_structp png, png_infop info, uint64_t maxPixels, PngContext* ctx) {
    if (setjmp(png_jmpbuf(png))) return Outcome::LibraryError;
    png_set_read_fn(png, ctx, readPngBytes);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (uint64_t(width) * height > maxPixels || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        return Outcome::TooLarge;
    const int colourType = png_get_color_type(png, info);
    png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    double fileGamma = 0;
    if (png_get_gAMA(png, info, &fileGamma)) png_set_gamma(png, 2.2, fileGamma);
    // B, G, R, A bytes are exactly a little-endian 0xAARRGGBB word, so rows are
    // decoded straight into the picture; pictures without alpha get 255.
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_channels(png, info) != 4 || png_get_bit_depth(png, info) != 8)
        png_error(png, "Unsupported pixel format");
    ctx->image = RasterImage(int(width), int(height));
    ctx->rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        ctx->rows[y] = reinterpret_cast<png_bytep>(ctx->image.pixels() + size_t(y) * width);
    png_read_image(png, ctx->rows.data());
    png_read_end(png, nullptr);
    return Outcome::Done;
}

bool isOpaque(const RasterImage& image) {
    return std::all_of(image.pixelVector().begin(), image.pixelVector().end(),
                       [](uint32_t p) { return p >> 24 == 0xFF; });
}

bool runPngEncode(png_structp png, png_infop info, const RasterImage* image, PngContext* ctx,
                  PngSpeed speed, std::span<const PngText> texts) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, ctx, writePngBytes, flushPng);
    // Fast: rendered frames have long runs of equal bytes between rows, which the
    // "up" filter and run-length matching find at a fraction of the default's cost;
    // an opaque picture leaves its alpha out.
    const bool fast = speed == PngSpeed::Fast;
    const bool withAlpha = !fast || !isOpaque(*image);
    if (fast) {
        png_set_compression_level(png, kFastPngLevel);
        png_set_compression_strategy(png, Z_RLE);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    }
    png_set_IHDR(png, info, png_uint_32(image->width()), png_uint_32(image->height()), 8,
                 withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_text> chunks(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        chunks[i].compression = PNG_TEXT_COMPRESSION_NONE;
        chunks[i].key = const_cast<char*>(texts[i].keyword.c_str());
        chunks[i].text = const_cast<char*>(texts[i].text.c_str());
        chunks[i].text_length = texts[i].text.size();
    }
    if (!chunks.empty()) png_set_text(png, info, chunks.data(), int(chunks.size()));
    png_write_info(png, info);
    png_set_bgr(png);
    if (!withAlpha) png_set_filler(png, 0, PNG_FILLER_AFTER); // dropped on writing
    for (int y = 0; y < image->height(); ++y)
        png_write_row(png, reinterpret_cast<png_const_bytep>(image->row(y).data()));
    png_write_end(png, info);
    return true;
}

StillImageConverter& converterSlot() {
    static StillImageConverter converter;
    return converter;
}
std::mutex& converterMutex() {
    static std::mutex m;
    return m;
}

Status writeOut(const std::filesystem::path& path, const std::optional<std::vector<uint8_t>>& bytes,
                Prompter* prompter) {
    // A picture the library could not code has been told of already.
    if (!bytes) return Status::failed({}, path.string() + ": the picture could not be coded");
    if (writeFileSafely(path, std::as_bytes(std::span(*bytes)))) return Status::ok();
    Status failed = failWith(prompter, kCantOpenOutput);
    return Status::failed(failed.message(), path.string());
}

} // namespace

Result<RasterImage> decodeJpeg(std::span<const uint8_t> data, Prompter* prompter,
                               uint64_t maxPixels, bool* truncated) {
    jpeg_decompress_struct cinfo{};
    JpegErrorManager err{};
    installErrorManager(err, cinfo.err);
    jpeg_create_decompress(&cinfo);
    RasterImage image;
    const Outcome outcome = runJpegDecode(&cinfo, &err, data, maxPixels, &image);
    jpeg_destroy_decompress(&cinfo);
    if (truncated) *truncated = err.truncated;
    switch (outcome) {
    case Outcome::Done:
        return image;
    case Outcome::TooLarge:
        return failWith(prompter, kTooLarge);
    case Outcome::LibraryError:
        break;
    }
    return failWith(prompter, err.message, kJpegErrorTitle);
}

Result<RasterImage> decodePng(std::span<const uint8_t> data, Prompter* prompter,
                              uint64_t maxPixels) {
    PngContext ctx;
    ctx.input = data;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &ctx, onPngError, onPngWarning);
    if (!png) return failWith(prompter, "Out of memory", kPngErrorTitle);
    png_infop info = png_create_info_struct(png);
    Outcome outcome = Outcome::LibraryError;
    if (info) outcome = runPngDecode(png, info, maxPixels, &ctx);
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    switch (outcome) {
    case Outcome::Done:
        return std::move(ctx.image);
    case Outcome::TooLarge:
        return failWith(prompter, kTooLarge);
    case Outcome::LibraryError:
        break;
    }
    return failWith(prompter, ctx.message, kPngErrorTitle);
}

int jpegQualityFor(int qualityLevel) {
    switch (qualityLevel) {
    case 0:
        return 30;
    case 1:
        return 50;
    case 2:
        return 75;
    case 3:
        return 90;
    default:
        return qualityLevel;
    }
}

std::optional<std::vector<uint8_t>> encodeJpeg(const RasterImage& image, int qualityLevel,
                                               Prompter* prompter) {
    if (image.empty() || image.isDescriptor()) return std::nullopt;
    jpeg_compress_struct cinfo{};
    JpegErrorManager err{};
    installErrorManager(err, cinfo.err);
    jpeg_create_compress(&cinfo);
    JpegOutput out{};
    const bool ok = runJpegEncode(&cinfo, &err, &image, jpegQualityFor(qualityLevel), &out);
    jpeg_destroy_compress(&cinfo);
    if (!ok) {
        tell(prompter, err.message, kJpegErrorTitle);
        return std::nullopt;
    }
    return std::move(out.bytes);
}

std::optional<std::vector<uint8_t>> encodePng(const RasterImage& image, Prompter* prompter,
                                              PngSpeed speed, std::span<const PngText> texts) {
    if (image.empty() || image.isDescriptor()) return std::nullopt;
    PngContext ctx;
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &ctx, onPngError, onPngWarning);
    if (!png) return std::nullopt;
    png_infop info = png_create_info_struct(png);
    const bool ok = info && runPngEncode(png, info, &image, &ctx, speed, texts);
    png_destroy_write_struct(&png, info ? &info : nullptr);
    if (!ok) {
        tell(prompter, ctx.message, kPngErrorTitle);
        return std::nullopt;
    }
    return std::move(ctx.output);
}

Status saveJpeg(const std::filesystem::path& path, const RasterImage& image, int qualityLevel,
                Prompter* prompter) {
    return writeOut(path, encodeJpeg(image, qualityLevel, prompter), prompter);
}

Status savePng(const std::filesystem::path& path, const RasterImage& image, Prompter* prompter,
               PngSpeed speed) {
    return writeOut(path, encodePng(image, prompter, speed), prompter);
}

void setStillImageConverter(StillImageConverter converter) {
    std::lock_guard lock(converterMutex());
    converterSlot() = std::move(converter);
}

Result<RasterImage> loadImage(const std::filesystem::path& path, Prompter* prompter) {
    const std::string ext = lowerExtension(path);
    const bool png = ext == "png";
    const bool jpeg = ext == "jpg" || ext == "jpeg";
    if (!png && !jpeg) {
        StillImageConverter converter;
        {
            std::lock_guard lock(converterMutex());
            converter = converterSlot();
        }
        if (!converter)
            return failWith(prompter, "Unsupported picture file type: " + path.filename().string());
        // The converter has told the user why it failed.
        std::optional<RasterImage> still = converter(path, prompter);
        if (!still) return Status::failed({}, path.string() + ": no picture could be taken");
        return std::move(*still);
    }
    auto data = readWholeFile(path);
    if (!data) return failWith(prompter, "Can't open file " + path.string());
    if (png) return decodePng(asBytes(*data), prompter);
    bool truncated = false;
    Result<RasterImage> picture =
        decodeJpeg(asBytes(*data), prompter, kMaxDecodedPixels, &truncated);
    // What could be read is kept; the user learns why its lower part is grey.
    if (picture && truncated)
        tell(prompter, path.filename().string() + ": " + std::string(kDamagedPictureMessage));
    return picture;
}

} // namespace zx
