#pragma once
// The status bar's memory pane: the system memory load measured every two
// seconds, shown relative to the load at start-up, and one warning per run when
// the machine runs low.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zx {

struct MemoryStatus {
    uint64_t totalBytes = 0;
    uint64_t availableBytes = 0;
    int loadPercent = 0; // share of physical memory in use, 0 … 100
};

// Parses the text of /proc/meminfo (MemTotal and MemAvailable, or MemFree +
// Buffers + Cached on old kernels); none when MemTotal is missing or zero.
std::optional<MemoryStatus> parseMeminfo(std::string_view text);
// Reads /proc/meminfo.
std::optional<MemoryStatus> readMemoryStatus();
// The resident set of this process in bytes (from /proc/self/statm), 0 if unknown.
uint64_t processResidentBytes();

// The pane text "  Memory usage = u%", u the load grown since start-up as a share
// of what was free then.
std::string memoryUsageText(int load, int loadAtStart);
int memoryUsagePercent(int load, int loadAtStart);

inline constexpr int kMemoryPopOutLoad = 50;
inline constexpr int kMemoryWarningLoad = 90;

std::string lowMemoryWarningText(const MemoryStatus& status);

// Remembers the load at start and whether the warning was given this run.
class MemoryMonitor {
public:
    explicit MemoryMonitor(int loadAtStart) : loadAtStart_(loadAtStart) {}
    struct Reading {
        std::string paneText;
        bool poppedOut = false;
        std::optional<std::string> warning; // the first time the load reaches 90 %
    };
    Reading update(const MemoryStatus& status);
    int loadAtStart() const { return loadAtStart_; }

private:
    int loadAtStart_;
    bool warned_ = false;
};

} // namespace zx
