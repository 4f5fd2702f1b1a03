#pragma once
// Reading the encoder's progress from its console output. With its output on a pipe,
// ffmpeg reports progress as lines "frame=  120 fps= 30 q=2.0 size= ..." ended by a
// carriage return only; the other lines it prints end with a line feed.

#include <cstddef>
#include <optional>
#include <string_view>

namespace zx {

// The frame number of one progress line ("frame=  120 fps=..." gives 120); none for any
// other line.
std::optional<long long> progressFrameOfLine(std::string_view line);

struct ProgressScan {
    size_t consumed = 0;                // bytes up to and including the last line end
    std::optional<long long> lastFrame; // of the last progress line among them
};

// Reads the complete lines of `text` (each ended by a carriage return or a line feed);
// an unfinished line at the end is left for when the rest of it has arrived.
ProgressScan scanProgressLines(std::string_view text);

} // namespace zx
