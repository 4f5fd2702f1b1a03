#include "output/EncoderProgress.h"

#include "output/NumberText.h"

#include <string>

namespace zx {

namespace {
constexpr std::string_view kFrameKey = "frame=";
}

std::optional<long long> progressFrameOfLine(std::string_view line) {
    if (!line.starts_with(kFrameKey)) return std::nullopt;
    std::string text(line);
    for (size_t at; (at = text.find(kFrameKey)) != std::string::npos;)
        text.erase(at, kFrameKey.size());
    if (const size_t fps = text.find(" fps"); fps != std::string::npos) text.resize(fps);
    std::erase(text, ' ');
    return parseWholeNumber(text);
}

ProgressScan scanProgressLines(std::string_view text) {
    ProgressScan scan;
    size_t cursor = 0;
    while (cursor < text.size()) {
        const size_t end = text.find_first_of("\r\n", cursor);
        if (end == std::string_view::npos) break;
        if (auto frame = progressFrameOfLine(text.substr(cursor, end - cursor)))
            scan.lastFrame = frame;
        cursor = end + 1;
    }
    scan.consumed = cursor;
    return scan;
}

} // namespace zx
