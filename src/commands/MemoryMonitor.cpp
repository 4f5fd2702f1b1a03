#include "commands/MemoryMonitor.h"

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
    return parseMeminfo(readText("/proc/meminfo"));
}

uint64_t processResidentBytes() {
    std::istringstream in(readText("/proc/self/statm"));
    uint64_t size = 0, resident = 0;
    if (!(in >> size >> resident)) return 0;
    return resident * uint64_t(sysconf(_SC_PAGESIZE));
}

int memoryUsagePercent(int load, int loadAtStart) {
    // A machine already full at start-up leaves nothing to grow into: report the
    // raw load instead of dividing by zero.
    if (loadAtStart >= 100) return load;
    return int(std::lround((load - loadAtStart) / ((100 - loadAtStart) * 0.01)));
}

std::string memoryUsageText(int load, int loadAtStart) {
    return "  Memory usage = " + std::to_string(memoryUsagePercent(load, loadAtStart)) + "%";
}

std::string lowMemoryWarningText(const MemoryStatus& s) {
    return std::string("WARNING: Your system is getting low in memory!!!\n") +
           "Please SAVE YOUR PROJECT NOW and exit Zelvotrix\n\n" +
           "Total Memory :" + std::to_string(s.totalBytes / (1024 * 1024)) + " MB\n" +
           "Available Memory :" + std::to_string(s.availableBytes / (1024 * 1024)) + " MB";
}

MemoryMonitor::Reading MemoryMonitor::update(const MemoryStatus& status) {
    Reading r;
    r.paneText = memoryUsageText(status.loadPercent, loadAtStart_);
    r.poppedOut = status.loadPercent >= kMemoryPopOutLoad;
    if (!warned_ && status.loadPercent >= kMemoryWarningLoad) {
        warned_ = true;
        r.warning = lowMemoryWarningText(status);
    }
    return r;
}

} // namespace zx
