#include "output/AviWriter.h"

#include <array>
#include <bit>
#include <cerrno>
#include <cstring>

namespace zx {

// Lengths and counts are written from memory as they are: the file is little-endian.
static_assert(std::endian::native == std::endian::little);

namespace {

constexpr uint32_t kAvihFlags = 0x810; // has an index, trust the chunk types
constexpr uint32_t kKeyFrame = 0x10;
constexpr uint32_t kJunkOffset = 212;
constexpr uint32_t kChunkHead = 8; // tag and length
constexpr uint32_t kIndexEntry = 16;

void putTag(std::vector<uint8_t>& bytes, size_t at, const char (&tag)[5]) {
    std::memcpy(bytes.data() + at, tag, 4);
}

void put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (8 * i));
}

void put16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    bytes[at] = uint8_t(value);
    bytes[at + 1] = uint8_t(value >> 8);
}

// The header with the counts that are known only at the end left at zero.
std::vector<uint8_t> headerBytes(int fps, int width, int height, uint32_t frameBytes) {
    std::vector<uint8_t> h(AviWriter::kHeaderSize, 0);
    const uint32_t w = uint32_t(width), ht = uint32_t(height);
    putTag(h, 0, "RIFF");
    putTag(h, 8, "AVI ");
    putTag(h, 12, "LIST"), put32(h, 16, 192), putTag(h, 20, "hdrl");
    putTag(h, 24, "avih"), put32(h, 28, 56);
    put32(h, 32, 1000000u / uint32_t(fps));
    put32(h, 44, kAvihFlags);
    put32(h, 56, 1); // streams
    put32(h, 60, frameBytes);
    put32(h, 64, w), put32(h, 68, ht);
    putTag(h, 88, "LIST"), put32(h, 92, 116), putTag(h, 96, "strl");
    putTag(h, 100, "strh"), put32(h, 104, 56);
    putTag(h, 108, "vids");
    put32(h, 128, 1);             // scale
    put32(h, 132, uint32_t(fps)); // rate
    put32(h, 144, frameBytes);
    put16(h, 160, uint16_t(w)), put16(h, 162, uint16_t(ht));
    putTag(h, 164, "strf"), put32(h, 168, 40);
    put32(h, 172, 40);
    put32(h, 176, w), put32(h, 180, ht);
    put16(h, 184, 1), put16(h, 186, 24);
    put32(h, 192, frameBytes);
    putTag(h, kJunkOffset, "JUNK"), put32(h, kJunkOffset + 4, 1816);
    putTag(h, 2036, "LIST");
    putTag(h, AviWriter::kMoviOffset, "movi");
    return h;
}

} // namespace

AviWriter::AviWriter(uint64_t fileLimit) : fileLimit_(fileLimit) {}

AviWriter::~AviWriter() {
    abandon();
}

void AviWriter::abandon() {
    if (out_) std::fclose(out_);
    out_ = nullptr;
    file_.reset(); // removes the temporary file
}

Status AviWriter::open(const std::filesystem::path& path, int framesPerSecond, int width,
                       int height) {
    abandon();
    const Status cannotCreate = Status::failed(path.string() + ": Cannot create file");
    if (framesPerSecond <= 0 || width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF)
        return cannotCreate;
    fps_ = framesPerSecond, width_ = width, height_ = height;
    stride_ = (uint32_t(width) * 3 + 3) & ~3u;
    offsets_.clear();
    position_ = 0;
    // Not even one frame would fit.
    if (kHeaderSize + kChunkHead + frameBytes() + kChunkHead + kIndexEntry > fileLimit_)
        return tooLarge();
    file_ = std::make_unique<SafeFileWriter>(path);
    if (!file_->ok() || !(out_ = std::fopen(file_->tempPath().c_str(), "wb"))) {
        file_.reset();
        return cannotCreate;
    }
    const std::vector<uint8_t> header = headerBytes(fps_, width_, height_, uint32_t(frameBytes()));
    if (!write(header.data(), header.size())) {
        abandon();
        return cannotCreate;
    }
    return Status::ok();
}

void AviWriter::rowsOf(const RasterImage& frame, std::vector<uint8_t>& bytes) const {
    bytes.assign(frameBytes(), 0);
    for (int y = 0; y < height_; ++y) {
        uint8_t* out = bytes.data() + size_t(height_ - 1 - y) * stride_;
        for (const uint32_t pixel : frame.row(y)) {
            *out++ = uint8_t(pixel);
            *out++ = uint8_t(pixel >> 8);
            *out++ = uint8_t(pixel >> 16);
        }
    }
}

Status AviWriter::addFrame(const RasterImage& frame) {
    if (!out_) return Status::failed("The movie file is not open");
    if (frame.isDescriptor() || frame.width() != width_ || frame.height() != height_)
        return Status::refused(std::string(kFrameSizeMismatch));
    // The frame, and the index entry it adds, must leave the file within its limit.
    const uint64_t indexBytes = kChunkHead + uint64_t(kIndexEntry) * (offsets_.size() + 1);
    if (position_ + kChunkHead + frameBytes() + indexBytes > fileLimit_) return tooLarge();
    std::vector<uint8_t> chunk;
    rowsOf(frame, chunk);
    const uint32_t length = uint32_t(frameBytes());
    const uint32_t offset = uint32_t(position_ - kMoviOffset);
    if (!write("00db", 4) || !write(&length, 4) || !write(chunk.data(), chunk.size()))
        return writeFailure();
    offsets_.push_back(offset);
    return Status::ok();
}

Status AviWriter::close() {
    if (!out_) return Status::failed("The movie file is not open");
    const uint32_t count = uint32_t(offsets_.size());
    const uint32_t indexLength = kIndexEntry * count;
    bool ok = write("idx1", 4) && write(&indexLength, 4);
    for (size_t i = 0; ok && i < offsets_.size(); ++i) {
        const std::array<uint32_t, 3> entry{kKeyFrame, offsets_[i], uint32_t(frameBytes())};
        ok = write("00db", 4) && write(entry.data(), sizeof entry);
    }
    const auto moviLength = uint32_t((frameBytes() + kChunkHead) * count + 4);
    ok = ok && patch(4, uint32_t(position_ - 8)) && patch(48, count) && patch(140, count) &&
         patch(2040, moviLength);
    ok = std::fclose(out_) == 0 && ok;
    out_ = nullptr;
    if (!ok || !file_->commit()) {
        const Status failure = writeFailure();
        abandon();
        return failure;
    }
    file_.reset();
    return Status::ok();
}

bool AviWriter::write(const void* data, size_t size) {
    if (std::fwrite(data, 1, size, out_) != size) return false;
    position_ += size;
    return true;
}

bool AviWriter::patch(long offset, uint32_t value) {
    return std::fseek(out_, offset, SEEK_SET) == 0 && std::fwrite(&value, 4, 1, out_) == 1;
}

Status AviWriter::tooLarge() {
    return Status::refused("The movie is too large: its uncompressed form would pass the 4 GB "
                           "limit of an AVI file.",
                           "Export fewer frames or a smaller movie size.");
}

Status AviWriter::writeFailure() const {
    const std::string name = file_ ? file_->target().string() : std::string();
    return Status::failed(name + ": Cannot write file", std::strerror(errno));
}

} // namespace zx
