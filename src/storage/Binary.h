#pragma once
// The one bounds-checked reader and the one writer for every binary format of the
// program: little-endian integers and floats, byte strings and 32-bit word streams.
//
// Readers never read outside their buffer. A read past the end returns zero and
// leaves the reader failed (sticky); callers check ok() where a decision depends on it.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

static_assert(std::endian::native == std::endian::little,
              "the file formats are read and written with little-endian memory layout");

namespace zx {

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}
    explicit ByteReader(std::span<const std::byte> data)
        : data_(reinterpret_cast<const uint8_t*>(data.data()), data.size()) {}

    bool ok() const { return ok_; }
    size_t position() const { return pos_; }
    size_t size() const { return data_.size(); }
    size_t remaining() const { return data_.size() - pos_; }
    bool atEnd() const { return pos_ >= data_.size(); }
    void fail() { ok_ = false; }

    bool has(size_t n) const { return n <= remaining(); }
    bool seek(size_t pos) {
        if (pos > data_.size()) {
            ok_ = false;
            return false;
        }
        pos_ = pos;
        return true;
    }
    bool skip(size_t n) { return has(n) ? (pos_ += n, true) : (ok_ = false, pos_ = data_.size(), false); }

    uint8_t u8() { return read<uint8_t>(); }
    uint16_t u16() { return read<uint16_t>(); }
    uint32_t u32() { return read<uint32_t>(); }
    int32_t i32() { return read<int32_t>(); }
    float f32() { return read<float>(); }
    double f64() { return read<double>(); }

    // The next n bytes, or an empty span (and failed) when fewer remain.
    std::span<const uint8_t> bytes(size_t n) {
        if (!has(n)) {
            ok_ = false;
            pos_ = data_.size();
            return {};
        }
        auto s = data_.subspan(pos_, n);
        pos_ += n;
        return s;
    }
    std::span<const uint8_t> rest() const { return data_.subspan(pos_); }
    std::span<const uint8_t> all() const { return data_; }

private:
    template <class T> T read() {
        if (!has(sizeof(T))) {
            ok_ = false;
            pos_ = data_.size();
            return T{};
        }
        T v;
        std::memcpy(&v, data_.data() + pos_, sizeof(T));
        pos_ += sizeof(T);
        return v;
    }

    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    bool ok_ = true;
};

class ByteWriter {
public:
    void u8(uint8_t v) { bytes_.push_back(v); }
    void u16(uint16_t v) { put(v); }
    void u32(uint32_t v) { put(v); }
    void i32(int32_t v) { put(v); }
    void f32(float v) { put(v); }
    void f64(double v) { put(v); }
    void bytes(std::span<const uint8_t> b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
    void bytes(const void* p, size_t n) {
        auto b = static_cast<const uint8_t*>(p);
        bytes_.insert(bytes_.end(), b, b + n);
    }
    void zeros(size_t n) { bytes_.insert(bytes_.end(), n, 0); }
    void patchU32(size_t offset, uint32_t v) { std::memcpy(bytes_.data() + offset, &v, 4); }
    void reserve(size_t n) { bytes_.reserve(n); }

    size_t size() const { return bytes_.size(); }
    const std::vector<uint8_t>& data() const { return bytes_; }
    std::vector<uint8_t>& data() { return bytes_; }
    std::vector<uint8_t> take() { return std::move(bytes_); }

private:
    template <class T> void put(T v) {
        size_t at = bytes_.size();
        bytes_.resize(at + sizeof(T));
        std::memcpy(bytes_.data() + at, &v, sizeof(T));
    }
    std::vector<uint8_t> bytes_;
};

// Reads a stream of 32-bit words (the animation record, the library word stream).
class WordReader {
public:
    WordReader() = default;
    explicit WordReader(std::span<const uint32_t> words) : words_(words) {}

    bool ok() const { return ok_; }
    size_t position() const { return pos_; }
    size_t size() const { return words_.size(); }
    size_t remaining() const { return words_.size() - pos_; }
    bool atEnd() const { return pos_ >= words_.size(); }
    bool has(size_t n) const { return n <= remaining(); }
    void fail() { ok_ = false; }
    bool seek(size_t pos) {
        if (pos > words_.size()) {
            ok_ = false;
            return false;
        }
        pos_ = pos;
        return true;
    }
    bool skip(size_t n) { return has(n) ? (pos_ += n, true) : (ok_ = false, pos_ = words_.size(), false); }

    uint32_t u32() {
        if (!has(1)) {
            ok_ = false;
            return 0;
        }
        return words_[pos_++];
    }
    int32_t i32() { return int32_t(u32()); }
    float f32() { return std::bit_cast<float>(u32()); }
    // A double takes two words, low word first.
    double f64() {
        uint64_t lo = u32();
        uint64_t hi = u32();
        return std::bit_cast<double>(lo | (hi << 32));
    }
    std::span<const uint32_t> words(size_t n) {
        if (!has(n)) {
            ok_ = false;
            pos_ = words_.size();
            return {};
        }
        auto s = words_.subspan(pos_, n);
        pos_ += n;
        return s;
    }
    // A count word that must be followed by at least count × perItem words;
    // fails (returning 0) when the count is negative or cannot fit.
    uint32_t count(size_t perItem = 1) {
        uint32_t n = u32();
        if (!ok_ || (perItem && uint64_t(n) * perItem > remaining())) {
            ok_ = false;
            return 0;
        }
        return n;
    }
    std::span<const uint32_t> all() const { return words_; }

private:
    std::span<const uint32_t> words_;
    size_t pos_ = 0;
    bool ok_ = true;
};

class WordWriter {
public:
    void u32(uint32_t v) { words_.push_back(v); }
    void i32(int32_t v) { words_.push_back(uint32_t(v)); }
    void f32(float v) { words_.push_back(std::bit_cast<uint32_t>(v)); }
    void f64(double v) {
        uint64_t b = std::bit_cast<uint64_t>(v);
        words_.push_back(uint32_t(b));
        words_.push_back(uint32_t(b >> 32));
    }
    void words(std::span<const uint32_t> w) { words_.insert(words_.end(), w.begin(), w.end()); }
    void patch(size_t index, uint32_t v) { words_[index] = v; }
    void reserve(size_t n) { words_.reserve(n); }
    size_t size() const { return words_.size(); }
    const std::vector<uint32_t>& data() const { return words_; }
    std::vector<uint32_t>& data() { return words_; }
    std::vector<uint32_t> take() { return std::move(words_); }

private:
    std::vector<uint32_t> words_;
};

inline std::span<const uint8_t> asBytes(std::span<const uint32_t> w) {
    return {reinterpret_cast<const uint8_t*>(w.data()), w.size() * 4};
}

} // namespace zx
