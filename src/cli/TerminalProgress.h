#pragma once
// A progress bar on stderr for long work (rendering, meshing): the title, a bar
// with the percentage and the detail line, redrawn in place. Draws nothing when
// stderr is not a terminal or when quiet.

#include "platform/Progress.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace zx::cli {

class TerminalProgress : public NullProgress {
public:
    explicit TerminalProgress(bool quiet = false, std::FILE* out = stderr);
    ~TerminalProgress() override;

    void setTitle(std::string_view title) override;
    void setDetail(std::string_view detail) override;
    void setPosition(long long position, long long total) override;
    // Ends the bar's line.
    void finish();

    // The bar's text for a position (without the carriage return).
    static std::string line(std::string_view title, long long position, long long total,
                            std::string_view detail, int width = 30);

private:
    void draw(bool force);

    std::FILE* out_;
    bool enabled_;
    bool drawn_ = false;
    std::string title_, detail_;
    long long position_ = 0, total_ = 0;
    std::chrono::steady_clock::time_point last_{};
};

} // namespace zx::cli
