#include "output/VideoImport.h"

#include "output/EncoderProcess.h"
#include "output/NumberText.h"
#include "platform/SafeFile.h"
#include "storage/ImageFile.h"

#include <cmath>
#include <limits>

namespace zx {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr double kRateLimit = 2147483648.0;

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// "hh:mm:ss.cc" in seconds; none for any other form.
std::optional<double> secondsOf(std::string_view text) {
    const size_t c1 = text.find(':');
    const size_t c2 = c1 == std::string_view::npos ? c1 : text.find(':', c1 + 1);
    if (c2 == std::string_view::npos) return std::nullopt;
    const auto hours = parseWholeNumber(text.substr(0, c1));
    const auto minutes = parseWholeNumber(text.substr(c1 + 1, c2 - c1 - 1));
    const auto seconds = parseRealNumber(text.substr(c2 + 1));
    if (!hours || !minutes || !seconds || *hours < 0 || *minutes < 0 || *seconds < 0 ||
        *hours > 1000000 || *seconds >= kRateLimit)
        return std::nullopt;
    return double(*hours) * 3600 + double(*minutes) * 60 + *seconds;
}

// The words of a stream description, split at blanks, commas, brackets and parentheses.
std::vector<std::string_view> wordsOf(std::string_view text) {
    std::vector<std::string_view> words;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = std::min(text.find_first_of(" ,()[]\t", at), text.size());
        if (end > at) words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

struct FrameSize {
    std::string text;
    int width = 0, height = 0;
};

// The first "WxH" word with two positive numbers (a codec tag like "0x31637661" has none).
std::optional<FrameSize> sizeOf(const std::vector<std::string_view>& words) {
    for (const std::string_view word : words) {
        const size_t x = word.find('x');
        if (x == std::string_view::npos) continue;
        const auto w = parseWholeNumber(word.substr(0, x));
        const auto h = parseWholeNumber(word.substr(x + 1));
        if (w && h && *w > 0 && *h > 0 && *w <= 0xFFFF && *h <= 0xFFFF)
            return FrameSize{std::string(word), int(*w), int(*h)};
    }
    return std::nullopt;
}

// A rate as the encoder prints it: "25", "29.97", or "90k" for thousands.
std::optional<double> rateOf(std::string_view text) {
    double scale = 1;
    if (text.ends_with('k')) text.remove_suffix(1), scale = 1000;
    const auto rate = parseRealNumber(text);
    if (!rate || *rate <= 0 || *rate * scale >= kRateLimit) return std::nullopt;
    return *rate * scale;
}

// The word before the unit `unit` ("tbr", "tb(r)" or "fps").
std::optional<std::string> wordBefore(const std::vector<std::string_view>& words,
                                      std::string_view unit) {
    for (size_t i = 1; i < words.size(); ++i)
        if (words[i] == unit) return std::string(words[i - 1]);
    return std::nullopt;
}

bool readStream(std::string_view line, VideoInfo& info) {
    const size_t video = line.find(" Video:");
    if (!trimmed(line).starts_with("Stream") || video == std::string_view::npos) return false;
    // "tb(r)" of older encoders would be split at its parenthesis: make it one word.
    std::string description(line.substr(video + 7));
    if (const size_t old = description.find(" tb(r)"); old != std::string::npos)
        description.replace(old, 6, " tbr");
    const std::vector<std::string_view> words = wordsOf(description);
    const auto size = sizeOf(words);
    auto rateText = wordBefore(words, "tbr");
    if (!rateText) rateText = wordBefore(words, "fps");
    const auto rate = rateText ? rateOf(*rateText) : std::nullopt;
    if (!size || !rate) return false;
    info.sizeText = size->text;
    info.width = size->width;
    info.height = size->height;
    info.frameRateText = *rateText;
    info.frameRate = *rate;
    return true;
}

} // namespace

std::optional<VideoInfo> parseProbeOutput(const std::vector<std::string>& lines) {
    VideoInfo info;
    bool haveDuration = false, haveStream = false;
    for (const std::string& line : lines) {
        const std::string_view text = trimmed(line);
        if (!haveDuration && text.starts_with("Duration:")) {
            const std::string_view rest = text.substr(9);
            const size_t comma = rest.find(',');
            if (comma == std::string_view::npos) return std::nullopt;
            info.durationText = std::string(trimmed(rest.substr(0, comma)));
            const auto seconds = secondsOf(info.durationText);
            if (!seconds) return std::nullopt;
            info.duration = *seconds;
            haveDuration = true;
        } else if (!haveStream) {
            haveStream = readStream(line, info);
        }
    }
    if (!haveDuration || !haveStream) return std::nullopt;
    const double frames = std::trunc(info.frameRate * info.duration);
    if (frames > double(std::numeric_limits<int32_t>::max())) return std::nullopt;
    info.frameCount = int(frames);
    return info;
}

Result<VideoInfo> probeVideo(const fs::path& video, Progress* progress) {
    // With no output named the encoder describes its input and ends with an error.
    Result<CollectedOutput> run =
        runAndCollect({"-nostdin", "-i", encoderPath(video), "-vn", "-an"}, progress);
    if (!run) return run.status();
    if (auto info = parseProbeOutput(run->lines)) return *info;
    return Status::failed(std::string(kNotAVideo), video.string());
}

Result<RasterImage> firstFrameOfVideo(const fs::path& video, Prompter& prompter) {
    auto fail = [&](std::string message) -> Status {
        prompter.message(message);
        return Status::failed(std::move(message), video.string());
    };
    std::error_code ec;
    if (!fs::is_regular_file(video, ec)) return fail("Can't open file " + video.string());
    TempFile still("zx-still-");
    if (!still.ok()) return fail("Cannot create a temporary file for the video's first frame");
    Result<EncoderRun> run =
        runEncoder({"-nostdin", "-i", encoderPath(video), "-y", "-frames:v", "1", "-update", "1",
                    "-f", "image2", "-c:v", "png", encoderPath(still.path())},
                   0, nullptr, prompter);
    if (!run) return run.status();
    const auto bytes = readWholeFile(still.path());
    if (run->exitStatus != 0 || !bytes || bytes->empty()) return fail(std::string(kNotAVideo));
    const auto* data = reinterpret_cast<const uint8_t*>(bytes->data());
    auto image = decodePng({data, bytes->size()}, &prompter);
    if (!image) return Status::failed(std::string(kNotAVideo), video.string());
    return std::move(*image);
}

std::optional<RasterImage> videoStillImage(const fs::path& path, Prompter* prompter) {
    SilentPrompter silent;
    Result<RasterImage> frame = firstFrameOfVideo(path, prompter ? *prompter : silent);
    if (!frame) return std::nullopt;
    return std::move(frame).value();
}

std::string patternPrefix(const fs::path& path) {
    std::string text;
    for (const char c : path.string()) text += c == '%' ? std::string("%%") : std::string(1, c);
    return text;
}

fs::path thumbnailPath(const fs::path& folder, int n) {
    return folder / ("vctmp" + std::to_string(n) + ".jpg");
}

Result<int> extractThumbnails(const fs::path& video, const fs::path& folder, Progress* progress) {
    const Status none = Status::failed("Could not generate thumbnails", video.string());
    const std::string pattern = "file:" + patternPrefix(fs::absolute(folder)) + "/vctmp%d.jpg";
    Result<CollectedOutput> run = runAndCollect(
        {"-nostdin", "-i", encoderPath(video), "-y", "-r", "1", "-f", "image2", pattern}, progress);
    if (!run) return run.status().isCancelled() ? run.status() : none;
    int count = 0;
    std::error_code ec;
    while (fs::is_regular_file(thumbnailPath(folder, count + 1), ec)) ++count;
    if (run->exitStatus != 0 || count == 0) return none;
    return count;
}

} // namespace zx
