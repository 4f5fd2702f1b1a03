#pragma once
// Tagged chunks of the project file: tag (four-character code), payload size in
// bytes, payload. The reader always continues after the declared payload, whatever
// the caller consumed of it.

#include "storage/Binary.h"

#include <optional>

namespace zx {

struct Chunk {
    uint32_t tag = 0;
    std::span<const uint8_t> payload;
};

class ChunkReader {
public:
    explicit ChunkReader(std::span<const uint8_t> data) : reader_(data) {}
    // The next chunk; none at the end of the data or when a chunk header or payload
    // runs past it (then failed() is true).
    std::optional<Chunk> next() {
        if (reader_.atEnd()) return std::nullopt;
        if (!reader_.has(8)) {
            failed_ = true;
            return std::nullopt;
        }
        Chunk c;
        c.tag = reader_.u32();
        uint32_t size = reader_.u32();
        if (!reader_.has(size)) {
            failed_ = true;
            return std::nullopt;
        }
        c.payload = reader_.bytes(size);
        return c;
    }
    bool failed() const { return failed_; }
    size_t position() const { return reader_.position(); }

private:
    ByteReader reader_;
    bool failed_ = false;
};

class ChunkWriter {
public:
    // Starts a chunk; returns the mark to pass to end().
    size_t begin(uint32_t tag) {
        out_.u32(tag);
        size_t mark = out_.size();
        out_.u32(0);
        return mark;
    }
    void end(size_t mark) { out_.patchU32(mark, uint32_t(out_.size() - mark - 4)); }
    void chunk(uint32_t tag, std::span<const uint8_t> payload) {
        out_.u32(tag);
        out_.u32(uint32_t(payload.size()));
        out_.bytes(payload);
    }
    void words(uint32_t tag, std::span<const uint32_t> words) { chunk(tag, asBytes(words)); }
    ByteWriter& out() { return out_; }
    const std::vector<uint8_t>& data() const { return out_.data(); }
    std::vector<uint8_t> take() { return out_.take(); }

private:
    ByteWriter out_;
};

} // namespace zx
