#pragma once
// Writes an uncompressed AVI: 24-bit bottom-up frames, one video stream, no sound.
// A 2048-byte header of fixed size comes first, so that the frame data starts at a
// known offset and the counts can be filled in after the last frame; an index of every
// frame chunk ends the file.
//
// The file is written under a temporary name in the target's folder and takes the
// target's name only when `close` has completed it: a failed or abandoned movie leaves
// nothing behind.

#include "platform/SafeFile.h"
#include "platform/Status.h"
#include "storage/RasterImage.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

namespace zx {

inline constexpr std::string_view kFrameSizeMismatch =
    "Image size problem, does not match video size!!!";
// A RIFF file records its length less 8 in 32 bits.
inline constexpr uint64_t kRiffFileLimit = 0xFFFFFFFFull + 8;

class AviWriter {
public:
    static constexpr uint32_t kHeaderSize = 2048;
    static constexpr uint32_t kMoviOffset = 2044; // where "movi" stands

    // `fileLimit` bounds the whole file; a frame that would take it past is refused.
    explicit AviWriter(uint64_t fileLimit = kRiffFileLimit);
    ~AviWriter();
    AviWriter(const AviWriter&) = delete;
    AviWriter& operator=(const AviWriter&) = delete;

    // Starts a movie of `width` × `height` pixels at `framesPerSecond` (all positive).
    Status open(const std::filesystem::path& path, int framesPerSecond, int width, int height);
    // Refused (and nothing written) for a frame of another size, or one that would make
    // the file too large; failed when the disk refuses it.
    Status addFrame(const RasterImage& frame);
    // Writes the index, fills in the counts and gives the file its name.
    Status close();
    // Drops the unfinished file.
    void abandon();

    int frameCount() const { return int(offsets_.size()); }
    // Bytes per pixel row: 3 × width rounded up to a multiple of 4.
    uint32_t stride() const { return stride_; }

private:
    uint64_t frameBytes() const { return uint64_t(stride_) * uint64_t(height_); }
    bool write(const void* data, size_t size);
    bool patch(long offset, uint32_t value);
    static Status tooLarge();
    Status writeFailure() const;
    void rowsOf(const RasterImage& frame, std::vector<uint8_t>& bytes) const;

    uint64_t fileLimit_;
    std::unique_ptr<SafeFileWriter> file_;
    std::FILE* out_ = nullptr;
    uint64_t position_ = 0;
    int fps_ = 0, width_ = 0, height_ = 0;
    uint32_t stride_ = 0;
    std::vector<uint32_t> offsets_; // of each frame chunk, from "movi"
};

} // namespace zx
