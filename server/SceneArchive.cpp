#include "SceneArchive.h"

#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <sys/stat.h>
#include <vector>

namespace zx::server {

namespace fs = std::filesystem;

namespace {

constexpr size_t kChunk = 65536;
constexpr size_t kMaxStoredName = 1024;

bool isLink(const fs::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Reads the whole archive, refusing links, non-files and oversize uploads.
std::string readArchive(const fs::path& archive, const ArchiveLimits& limits,
                        std::vector<unsigned char>& out) {
    struct stat st {};
    if (::lstat(archive.c_str(), &st) != 0) return "no archive was uploaded";
    if (!S_ISREG(st.st_mode)) return "the archive is not a plain file";
    if (std::uintmax_t(st.st_size) > limits.maxArchiveBytes) return "the archive is too large";
    std::ifstream in(archive, std::ios::binary);
    out.assign(std::istreambuf_iterator<char>(in), {});
    return in.bad() ? "the archive cannot be read" : "";
}

// Inflates a gzip stream into `text`, checking the stored name and the size.
std::string inflateArchive(std::vector<unsigned char>& data, const ArchiveLimits& limits,
                           std::string& text) {
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) return "cannot inflate";
    std::vector<unsigned char> name(kMaxStoredName + 1, 0);
    gz_header header{};
    header.name = name.data();
    header.name_max = uInt(kMaxStoredName);
    inflateGetHeader(&z, &header);
    z.next_in = data.data();
    z.avail_in = uInt(data.size());
    std::vector<unsigned char> chunk(kChunk);
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = chunk.data();
        z.avail_out = uInt(chunk.size());
        rc = inflate(&z, Z_NO_FLUSH);
        text.append(reinterpret_cast<char*>(chunk.data()), chunk.size() - z.avail_out);
        if (text.size() > limits.maxUnpackedBytes) rc = Z_MEM_ERROR;
    }
    inflateEnd(&z);
    if (text.size() > limits.maxUnpackedBytes) return "the archive unpacks beyond the limit";
    if (rc != Z_STREAM_END) return "the archive is not a complete gzip stream";
    const std::string stored(reinterpret_cast<char*>(name.data()));
    if (header.done == 1 && header.name && !stored.empty() && !isPlainFileName(stored))
        return "the archive names a file outside its folder: " + stored;
    return {};
}

// The scene folder, created when missing; never a link.
std::string prepareFolder(const fs::path& folder) {
    if (isLink(folder)) return "the scene folder is a link";
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(fs::symlink_status(folder)))
        return "cannot create the scene folder";
    return {};
}

bool writeAtomically(const fs::path& target, const std::string& text) {
    const fs::path temp = target.string() + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(text.data(), std::streamsize(text.size()));
        if (!out) return false;
    }
    std::error_code ec;
    fs::rename(temp, target, ec); // rename replaces a link at the target, never follows it
    if (ec) fs::remove(temp, ec);
    return !ec;
}

} // namespace

bool isPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (c == '/' || c == '\\' || c < 0x20 || c == 0x7F) return false;
    return true;
}

std::string unpackSceneArchive(const fs::path& archive, const fs::path& sceneFolder,
                               const ArchiveLimits& limits) {
    std::vector<unsigned char> data;
    if (std::string e = readArchive(archive, limits, data); !e.empty()) return e;
    std::string text;
    if (std::string e = inflateArchive(data, limits, text); !e.empty()) return e;
    if (std::string e = prepareFolder(sceneFolder); !e.empty()) return e;
    if (!writeAtomically(sceneFolder / kSceneDataFile, text)) return "cannot write the scene";
    return {};
}

} // namespace zx::server
