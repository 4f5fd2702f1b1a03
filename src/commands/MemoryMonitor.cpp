#include "commands/MemoryMonitor.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace zx {

namespace {
std::optional<uint64_t> fieldKb(std::string_view text, std::string_view key) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.size() <= key.size() || line.substr(0, key.size()) != key ||
            line[key.size()] != ':')
            continue;
        line.remove_prefix(key.size() + 1);
        while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
        uint64_t v = 0;
        auto [p, ec] = std::from_chars(line.data(), line.data() + line.size(), v);
        if (ec != std::errc()) return std::nullopt;
        return v;
    }
    return std::nullopt;
}

std::string readText(const char* path) {
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}
} // namespace

std::optional<MemoryStatus> parseMeminfo(std::string_view text) {
    auto total = fieldKb(text, "MemTotal");
    if (!total || *total == 0) return std::nullopt;
    auto avail = fieldKb(text, "MemAvailable");
    if (!avail) {
        avail = fieldKb(text, "MemFree").value_or(0) + fieldKb(text, "Buffers").value_or(0) +
                fieldKb(text, "Cached").value_or(0);
    }
    if (*avail > *total) avail = total;
    MemoryStatus s;
    s.totalBytes = *total * 1024;
    s.availableBytes = *avail * 1024;
    s.loadPercent = int(std::lround(double(*total - *avail) * 100.0 / double(*total)));
    return s;
}

std::optional<MemoryStatus> readMemoryStatus() {
    auto s = parseMeminfo(readText("/proc/meminfo"));
    if (s) s->residentBytes = processResidentBytes();
    return s;
}

uint64_t processResidentBytes() {
    std::istringstream in(readText("/proc/self/statm"));
    uint64_t size = 0, resident = 0;
    if (!(in >> size >> resident)) return 0;
    return resident * uint64_t(sysconf(_SC_PAGESIZE));
}

double memoryUsagePercent(const MemoryStatus& now, const MemoryStatus& atStart) {
    double grown = 0;
    if (now.residentBytes > 0 && atStart.residentBytes > 0) {
        grown = double(now.residentBytes) - double(atStart.residentBytes);
    } else {
        const double usedNow = double(now.totalBytes) - double(now.availableBytes);
        const double usedAtStart = double(atStart.totalBytes) - double(atStart.availableBytes);
        grown = usedNow - usedAtStart;
    }
    // A machine that had nothing free at start-up leaves nothing to grow into: every
    // byte taken since is the whole of it.
    if (atStart.availableBytes == 0) return grown > 0 ? 100.0 : 0.0;
    return std::max(0.0, grown / (double(atStart.availableBytes) * 0.01));
}

std::string memoryUsageText(double percent) {
    percent = std::isfinite(percent) ? std::max(0.0, percent) : 0.0;
    std::string value;
    if (std::lround(percent * 10) >= 100) {
        value = std::to_string(std::lround(percent));
    } else {
        const long tenths = std::lround(percent * 10);
        value = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    }
    return "  Memory usage = " + value + "%";
}

std::string lowMemoryWarningText(const MemoryStatus& s) {
    return std::string("WARNING: Your system is getting low in memory!!!\n") +
           "Please SAVE YOUR PROJECT NOW and exit Zelvotrix\n\n" +
           "Total Memory :" + std::to_string(s.totalBytes / (1024 * 1024)) + " MB\n" +
           "Available Memory :" + std::to_string(s.availableBytes / (1024 * 1024)) + " MB";
}

MemoryMonitor::Reading MemoryMonitor::update(const MemoryStatus& status) {
    Reading r;
    r.paneText = memoryUsageText(memoryUsagePercent(status, atStart_));
    r.poppedOut = status.loadPercent >= kMemoryPopOutLoad;
    if (!warned_ && status.loadPercent >= kMemoryWarningLoad) {
        warned_ = true;
        r.warning = lowMemoryWarningText(status);
    }
    return r;
}

} // namespace zx
