#include "output/FrameFolderSource.h"

#include "storage/ImageFile.h"

#include <cstdio>
#include <limits>
#include <string_view>

namespace zx {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPrefix = "frame_";
constexpr std::string_view kSuffix = ".png";

} // namespace

std::string movieFrameFileName(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%05d.png", index);
    return name;
}

std::optional<int> movieFrameNumber(const std::string& fileName) {
    const std::string_view name(fileName);
    if (name.size() <= kPrefix.size() + kSuffix.size() || !name.starts_with(kPrefix) ||
        !name.ends_with(kSuffix))
        return std::nullopt;
    const std::string_view digits =
        name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    long long number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
        if (number >= std::numeric_limits<int>::max()) return std::nullopt;
    }
    return int(number);
}

Result<FrameFolderSource> FrameFolderSource::open(const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return Status::refused("No folder " + folder.string());
    FrameFolderSource source;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        if (const auto number = movieFrameNumber(entry.path().filename().string()))
            source.files_.emplace(*number, entry.path());
    }
    if (ec) return Status::failed("Cannot read the folder " + folder.string(), ec.message());
    if (source.files_.empty())
        return Status::refused("No frame files (" + movieFrameFileName(0) + ", …) in " +
                               folder.string());
    return source;
}

int FrameFolderSource::frameCount() const {
    return files_.empty() ? 0 : files_.rbegin()->first + 1;
}

std::optional<int> FrameFolderSource::firstMissing(int first, int last) const {
    for (int i = first; i <= last; ++i)
        if (!files_.contains(i)) return i;
    return std::nullopt;
}

Result<RasterImage> FrameFolderSource::frame(int index) {
    const auto file = files_.find(index);
    if (file == files_.end())
        return Status::failed("Frame " + std::to_string(index) + " (" + movieFrameFileName(index) +
                              ") is missing");
    const fs::path& path = file->second;
    Result<RasterImage> picture = loadImage(path, nullptr);
    if (!picture) return Status::failed("Cannot read " + path.string());
    if (width_ == 0) {
        width_ = picture->width();
        height_ = picture->height();
    } else if (picture->width() != width_ || picture->height() != height_) {
        return Status::failed(path.string() + " is " + std::to_string(picture->width()) + " x " +
                              std::to_string(picture->height()) + ", the frames before it " +
                              std::to_string(width_) + " x " + std::to_string(height_));
    }
    for (uint32_t& p : picture->pixelVector()) p |= 0xFF000000u;
    return std::move(*picture);
}

Result<std::pair<int, int>> FrameFolderSource::frameSize() {
    if (width_ == 0) {
        Result<RasterImage> first = frame(files_.begin()->first);
        if (!first) return first.status();
    }
    return std::pair{width_, height_};
}

} // namespace zx
