#include "storage/GzContainer.h"

#include "platform/SafeFile.h"

#include <climits>
#include <cstring>
#include <zlib.h>

namespace zx {

ContainerContent readGzContainer(const std::filesystem::path& path, std::string_view magic) {
    return readGzContainerPrefix(path, magic, {});
}

ContainerContent
readGzContainerPrefix(const std::filesystem::path& path, std::string_view magic,
                      const std::function<bool(std::span<const uint8_t>)>& enough) {
    ContainerContent out;
    gzFile gz = gzopen(path.c_str(), "rb");
    if (!gz) {
        out.status = ContainerStatus::CannotOpen;
        return out;
    }
    // The magic is read like a line: at most 4 characters, stopping after a line feed.
    char head[8] = {};
    if (!gzgets(gz, head, int(magic.size()) + 1) || std::strlen(head) != magic.size() ||
        std::memcmp(head, magic.data(), magic.size()) != 0) {
        gzclose(gz);
        out.status = ContainerStatus::BadMagic;
        return out;
    }
    constexpr unsigned kPiece = 64 * 1024;
    for (;;) {
        size_t at = out.data.size();
        if (at + kPiece > kMaxContainerContent) {
            gzclose(gz);
            out.data.clear();
            out.status = ContainerStatus::TooLarge;
            return out;
        }
        out.data.resize(at + kPiece);
        int n = gzread(gz, out.data.data() + at, kPiece);
        if (n < 0) {
            gzclose(gz);
            out.data.clear();
            out.status = ContainerStatus::ReadError;
            return out;
        }
        out.data.resize(at + size_t(n));
        if (n == 0) break;
        if (enough && enough(out.data)) {
            gzclose(gz);
            return out;
        }
    }
    int err = 0;
    gzerror(gz, &err);
    int closed = gzclose(gz);
    if ((err != Z_OK && err != Z_STREAM_END) || closed != Z_OK) {
        out.data.clear();
        out.status = ContainerStatus::ReadError;
    }
    return out;
}

bool writeGzContainer(const std::filesystem::path& path, std::string_view magic,
                      std::span<const uint8_t> data) {
    if (magic.size() != 4) return false;
    SafeFileWriter writer(path);
    if (!writer.ok()) return false;
    gzFile gz = gzopen(writer.tempPath().c_str(), "wb");
    if (!gz) return false;
    bool ok = gzwrite(gz, magic.data(), unsigned(magic.size())) == int(magic.size());
    // gzwrite takes an unsigned length: write in pieces that fit an int.
    size_t at = 0;
    while (ok && at < data.size()) {
        unsigned piece = unsigned(std::min<size_t>(data.size() - at, size_t(1) << 30));
        ok = gzwrite(gz, data.data() + at, piece) == int(piece);
        at += piece;
    }
    ok = (gzclose(gz) == Z_OK) && ok;
    return ok && writer.commit();
}

} // namespace zx
