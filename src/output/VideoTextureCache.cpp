#include "output/VideoTextureCache.h"

#include "output/EncoderProcess.h"
#include "output/VideoImport.h"

#include <cctype>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace zx {

namespace fs = std::filesystem;

namespace {

struct Entry {
    VideoTexture texture;
    fs::path folder; // private to the entry, removed with it
};

struct Cache {
    std::mutex lock;
    std::vector<Entry> entries;
};

Cache& cache() {
    static Cache instance;
    return instance;
}

// The video's file name in letters and digits only, as the frames' name.
std::string safeStem(const fs::path& video) {
    std::string stem;
    for (const char c : video.stem().string())
        stem += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return stem.empty() ? "video" : stem;
}

std::optional<fs::path> makePrivateFolder() {
    std::error_code ec;
    const fs::path base = fs::temp_directory_path(ec);
    if (ec) return std::nullopt;
    std::string pattern = (base / "zx-texture-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return std::nullopt;
    return fs::path(pattern);
}

Result<Entry> unpack(const fs::path& video, int frameCount, Progress* progress,
                     Prompter& prompter) {
    const Status failed = Status::failed(std::string(kNotAVideo), video.string());
    const auto folder = makePrivateFolder();
    if (!folder) return Status::failed("Cannot create a temporary folder for the video's frames");
    Entry entry{{video, frameCount, (*folder / safeStem(video)).string()}, *folder};
    Result<EncoderRun> run =
        runEncoder({"-nostdin", "-i", encoderPath(video), "-y", "-b:v", "40000k", "-frames:v",
                    std::to_string(frameCount), "-f", "image2",
                    "file:" + patternPrefix(entry.texture.prefix) + "%d.jpg"},
                   0, progress, prompter);
    std::error_code ec;
    if (!run || run->exitStatus != 0 || !fs::is_regular_file(entry.texture.framePath(1), ec)) {
        fs::remove_all(*folder, ec);
        return run ? failed : run.status();
    }
    return entry;
}

} // namespace

Result<VideoTexture> prepareVideoTexture(const fs::path& video, int frameCount, Progress* progress,
                                         Prompter& prompter) {
    if (frameCount <= 0) return Status::refused("A video texture needs at least one frame");
    std::error_code ec;
    const fs::path key = fs::absolute(video, ec);
    Cache& c = cache();
    std::lock_guard hold(c.lock);
    for (const Entry& e : c.entries)
        if (e.texture.video == key && e.texture.frameCount == frameCount) return e.texture;
    Result<Entry> made = unpack(key, frameCount, progress, prompter);
    if (!made) return made.status();
    c.entries.push_back(std::move(made).value());
    return c.entries.back().texture;
}

void clearVideoTextures() {
    Cache& c = cache();
    std::lock_guard hold(c.lock);
    std::error_code ec;
    for (const Entry& e : c.entries) fs::remove_all(e.folder, ec);
    c.entries.clear();
}

} // namespace zx
