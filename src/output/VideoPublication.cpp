#include "output/EncoderProcess.h"
#include "output/MovieExport.h"
#include "output/Publication.h"
#include "output/PublicationSteps.h"
#include "output/VideoImport.h"
#include "output/WebGlExportText.h"
#include "platform/SafeFile.h"

#include <algorithm>
#include <cmath>

namespace zx {

namespace fs = std::filesystem;
using namespace publication;

namespace {

constexpr int kMaxVideoWidth = 640, kMaxVideoHeight = 480;
constexpr const char* kVideoBitRate = "450k";
constexpr const char* kWebmFile = "__webmtmp.webm";
constexpr const char* kMp4File = "__mp4tmp.mp4";
constexpr const char* kVignetteFile = "__vigtmp.jpg";
constexpr const char* kDescriptorFile = "__jstmp.js";
constexpr const char* kMovieFile = "__avitmp.avi";

struct PreparedVideo {
    int width = 0, height = 0;
};

Status convert(const std::vector<std::string>& arguments, const fs::path& output,
               std::string_view step, Progress& progress, Prompter& prompter) {
    progress.setDetail(step);
    Result<CollectedOutput> run = runAndCollect(arguments, &progress);
    if (run && run->exitStatus == 0 && fs::is_regular_file(output)) return Status::ok();
    if (progress.cancelled()) return Status::cancelled();
    const std::string detail =
        run ? (run->lines.empty() ? "" : run->lines.back()) : run.status().fullText();
    return fail(prompter, "Could not convert the video", detail);
}

// The vignette: thumbnail `n` (from 1, kept in range) of the video.
Status makeVignette(const fs::path& video, int n, const TempFolder& temp, Progress& progress,
                    Prompter& prompter) {
    std::error_code ec;
    fs::create_directory(temp / "thumbs", ec);
    Result<int> thumbs = extractThumbnails(video, temp / "thumbs", &progress);
    if (!thumbs || *thumbs < 1) return fail(prompter, "Could not generate thumbnails");
    fs::copy_file(thumbnailPath(temp / "thumbs", std::clamp(n, 1, *thumbs)), temp / kVignetteFile,
                  ec);
    if (ec) return fail(prompter, "Could not generate thumbnails", ec.message());
    return Status::ok();
}

// The webm and mp4 files; `shape` is "-s WxH" for a video file, "-r FPS" for the movie.
Status convertBoth(const fs::path& source, const std::vector<std::string>& shape,
                   const TempFolder& temp, Progress& progress, Prompter& prompter) {
    const auto arguments = [&](std::vector<std::string> codecs, const char* file) {
        std::vector<std::string> a{"-nostdin", "-i", encoderPath(source)};
        a.insert(a.end(), codecs.begin(), codecs.end());
        a.insert(a.end(), {"-y", "-b:v", kVideoBitRate});
        a.insert(a.end(), shape.begin(), shape.end());
        a.push_back(encoderPath(temp / file));
        return a;
    };
    if (Status s = convert(arguments({"-vcodec", "libvpx", "-acodec", "libvorbis"}, kWebmFile),
                           temp / kWebmFile, "Building webm temp file...", progress, prompter);
        !s)
        return s;
    return convert(arguments({"-pix_fmt", "yuv420p"}, kMp4File), temp / kMp4File,
                   "Building mp4 temp file...", progress, prompter);
}

// Steps 1 to 3: probe, vignette and the two conversions.
Result<PreparedVideo> prepareVideo(const VideoPublication& v, const TempFolder& temp,
                                   Progress& progress, Prompter& prompter) {
    Result<VideoInfo> info = probeVideo(v.video, &progress);
    if (!info) return fail(prompter, std::string(kNotAVideo));
    if (Status s = makeVignette(v.video, v.thumbnail, temp, progress, prompter); !s) return s;
    const auto [w, h] = publishedVideoSize(info->width, info->height);
    const std::string size = std::to_string(w) + "x" + std::to_string(h);
    if (Status s = convertBoth(v.video, {"-s", size}, temp, progress, prompter); !s) return s;
    return PreparedVideo{w, h};
}

// The movie written as an AVI, its vignette and the two conversions.
Status prepareMovie(const MoviePublication& m, const TempFolder& temp, Progress& progress,
                    Prompter& prompter) {
    progress.setDetail("Building video file...");
    MovieExportOptions options;
    options.outputPath = temp / kMovieFile;
    options.format = VideoFormat::Avi;
    options.width = m.width;
    options.height = m.height;
    options.framesPerSecond = m.framesPerSecond;
    if (Status s = exportMovie(options, *m.source, &progress, prompter); !s) return s;
    if (Status s = makeVignette(temp / kMovieFile, 1, temp, progress, prompter); !s) return s;
    return convertBoth(temp / kMovieFile, {"-r", std::to_string(m.framesPerSecond)}, temp, progress,
                       prompter);
}

Status uploadVideo(PublicationClient& client, const std::string& handle, const TempFolder& temp,
                   Progress& progress, Prompter& prompter) {
    const struct {
        const char* file;
        const char* folder;
        std::string name;
        const char* step;
    } uploads[] = {
        {kWebmFile, "video", handle + ".webm", "Uploading webm video... "},
        {kMp4File, "video", handle + ".mp4", "Uploading mp4 video... "},
        {kVignetteFile, "vig", handle + ".jpg", "Uploading vignette..."},
        {kDescriptorFile, "json", handle + ".js", "Uploading database..."},
    };
    for (const auto& u : uploads)
        if (Status s =
                uploadStep(client, temp / u.file, u.folder, u.name, u.step, progress, prompter);
            !s)
            return s;
    return Status::ok();
}

// Steps 4 to 7 once the files are built: descriptor, handle, uploads, registration.
Result<PublishedItem> uploadAndRegister(PublicationClient& client, const TempFolder& temp,
                                        int width, int height, const PublicationDetails& details,
                                        SettingsStore& settings, Progress& progress,
                                        Prompter& prompter) {
    const std::string descriptor = videoDescriptorText(client.user, details, width, height);
    if (!writeFileSafely(temp / kDescriptorFile, std::as_bytes(std::span(descriptor))))
        return fail(prompter, "Can't open file for output", (temp / kDescriptorFile).string());
    Result<std::string> handle = reserveHandle(client, prompter);
    if (!handle) return handle.status();
    showFtpNotice(settings, prompter);
    if (Status s = reachUploadArea(client, progress, prompter); !s) return s;
    if (Status s = uploadVideo(client, *handle, temp, progress, prompter); !s) return s;
    return finishPublication(client, *handle, "video", details, progress, prompter);
}

} // namespace

std::pair<int, int> publishedVideoSize(int width, int height) {
    if (width <= 0 || height <= 0) return {kMaxVideoWidth, kMaxVideoHeight};
    const double scale =
        std::min({1.0, double(kMaxVideoWidth) / width, double(kMaxVideoHeight) / height});
    const auto even = [](double v) { return std::max(2, 2 * int(std::lround(v / 2))); };
    return {std::min(kMaxVideoWidth, even(width * scale)),
            std::min(kMaxVideoHeight, even(height * scale))};
}

std::string videoDescriptorText(const std::string& owner, const PublicationDetails& d, int width,
                                int height) {
    return "// Zelvotrix V2.0\nzxdef = [{app:" + jsString(kWebGlProductLink) +
           ", owner:" + jsString(owner) + ", title:" + jsString(d.title) +
           ", description:" + jsString(d.description) + ", privacy:" + jsString(d.privacy) +
           ", category:" + jsString(d.category) + ", width:" + std::to_string(width) +
           ", height:" + std::to_string(height) + "}];\n";
}

Result<PublishedItem> publishVideo(PublicationClient& client, const VideoPublication& video,
                                   const PublicationDetails& details, SettingsStore& settings,
                                   Progress& progress, Prompter& prompter) {
    // The checks that need no conversion come first, so a refusal costs no time.
    if (Status s = checkBeforePublishing(client, details, prompter); !s) return s;
    TempFolder temp;
    if (!temp.ok()) return fail(prompter, "Can't open file for output");
    Result<PreparedVideo> prepared = prepareVideo(video, temp, progress, prompter);
    if (!prepared) return prepared.status();
    return uploadAndRegister(client, temp, prepared->width, prepared->height, details, settings,
                             progress, prompter);
}

Result<PublishedItem> publishMovie(PublicationClient& client, const MoviePublication& movie,
                                   const PublicationDetails& details, SettingsStore& settings,
                                   Progress& progress, Prompter& prompter) {
    if (Status s = checkBeforePublishing(client, details, prompter); !s) return s;
    TempFolder temp;
    if (!temp.ok() || !movie.source) return fail(prompter, "Can't open file for output");
    if (Status s = prepareMovie(movie, temp, progress, prompter); !s) return s;
    return uploadAndRegister(client, temp, movie.width, movie.height, details, settings, progress,
                             prompter);
}

} // namespace zx
