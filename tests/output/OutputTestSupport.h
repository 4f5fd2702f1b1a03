#pragma once
// Shared by the output tests: a scratch folder, running a tool for its output, and
// reading a video's facts back with ffprobe.

#include "platform/ChildProcess.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zx::test {

// A fresh empty folder, removed with everything in it at the end of the test.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zx-output-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // The names of the files in the folder.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(path_))
            out.push_back(e.path().filename().string());
        return out;
    }

private:
    std::filesystem::path path_;
};

struct ToolRun {
    int status = -1;
    std::string output; // standard output and error
};

// Runs a program to its end.
inline ToolRun runTool(const std::vector<std::string>& argv) {
    ChildProcess child;
    ToolRun run;
    if (!child.start(argv)) return run;
    while (child.read(run.output, std::chrono::seconds(1)) != ChildProcess::ReadStatus::Closed) {}
    run.status = child.wait();
    return run;
}

struct VideoFacts {
    int width = 0, height = 0, frames = 0;
    std::string frameRate; // "25/1"
    std::string codec;
};

// What ffprobe reads from the first video stream of a file (frames counted by decoding).
inline std::optional<VideoFacts> probeFacts(const std::filesystem::path& file) {
    const std::string text =
        runTool({"ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0",
                 "-show_entries", "stream=codec_name,width,height,r_frame_rate,nb_read_frames",
                 "-of", "default=noprint_wrappers=1", "file:" + file.string()})
            .output;
    VideoFacts facts;
    auto field = [&](const std::string& key) -> std::string {
        const size_t at = text.find(key + "=");
        if (at == std::string::npos) return {};
        const size_t end = text.find('\n', at);
        return text.substr(at + key.size() + 1, end - at - key.size() - 1);
    };
    if (field("width").empty()) return std::nullopt;
    facts.width = std::stoi(field("width"));
    facts.height = std::stoi(field("height"));
    facts.frames = std::stoi(field("nb_read_frames"));
    facts.frameRate = field("r_frame_rate");
    facts.codec = field("codec_name");
    return facts;
}

// Makes a short test video with ffmpeg's own pattern source.
inline bool makeTestVideo(const std::filesystem::path& file, const std::string& size, int rate,
                          double seconds) {
    return runTool({"ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i",
                    "testsrc=size=" + size + ":rate=" + std::to_string(rate), "-t",
                    std::to_string(seconds), "-y", "file:" + file.string()})
               .status == 0;
}

} // namespace zx::test
