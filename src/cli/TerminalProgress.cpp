#include "cli/TerminalProgress.h"

#include <algorithm>
#include <unistd.h>

namespace zx::cli {

TerminalProgress::TerminalProgress(bool quiet, std::FILE* out)
    : out_(out), enabled_(!quiet && out && ::isatty(::fileno(out))) {}

TerminalProgress::~TerminalProgress() {
    finish();
}

void TerminalProgress::setTitle(std::string_view title) {
    title_ = title;
    draw(true);
}

void TerminalProgress::setDetail(std::string_view detail) {
    detail_ = detail;
    draw(false);
}

void TerminalProgress::setPosition(long long position, long long total) {
    position_ = position;
    total_ = total;
    draw(position >= total);
}

void TerminalProgress::finish() {
    if (enabled_ && drawn_) {
        draw(true);
        std::fputc('\n', out_);
        std::fflush(out_);
    }
    drawn_ = false;
}

std::string TerminalProgress::line(std::string_view title, long long position, long long total,
                                   std::string_view detail, int width) {
    double f = total > 0 ? std::clamp(double(position) / double(total), 0.0, 1.0) : 0.0;
    int filled = int(f * width + 0.5);
    std::string s(title);
    if (!s.empty()) s += ' ';
    s += '[';
    s.append(size_t(filled), '#');
    s.append(size_t(width - filled), ' ');
    s += "] ";
    s += std::to_string(int(f * 100 + 0.5)) + "%";
    if (!detail.empty()) {
        s += "  ";
        s += detail;
    }
    return s;
}

void TerminalProgress::draw(bool force) {
    if (!enabled_) return;
    auto now = std::chrono::steady_clock::now();
    // A few redraws a second are enough; the last one always shows.
    if (!force && drawn_ && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    std::string text = line(title_, position_, total_, detail_);
    std::fprintf(out_, "\r%s\033[K", text.c_str());
    std::fflush(out_);
    drawn_ = true;
}

} // namespace zx::cli
