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
    int loadPercent = 0;        // share of physical memory in use, 0 … 100
    uint64_t residentBytes = 0; // this process's resident set, 0 when unknown
};

// Parses the text of /proc/meminfo (MemTotal and MemAvailable, or MemFree +
// Buffers + Cached on old kernels); none when MemTotal is missing or zero.
std::optional<MemoryStatus> parseMeminfo(std::string_view text);
// Reads /proc/meminfo, and /proc/self/statm for this process.
std::optional<MemoryStatus> readMemoryStatus();
// The resident set of this process in bytes (from /proc/self/statm), 0 if unknown.
uint64_t processResidentBytes();

// The memory pane shows how much of the memory that was free at start-up the
// program has taken since: u = grown ÷ (available at start × 0.01).
//
// What has grown is measured in bytes from this process's own resident set. The
// system-wide load in whole percent, which a desktop of a few hundred megabytes
// could use, says nothing here: on a machine of many gigabytes a program's growth
// stays below one percent of the load (the pane read "0%" for good), and other
// processes and the page cache move the load up and down by more than we do (it
// even went negative). The system load still decides the pop-out and the warning.
// When the resident set cannot be read, the growth of the system's used memory
// stands in for it.
double memoryUsagePercent(const MemoryStatus& now, const MemoryStatus& atStart);
// "  Memory usage = " + u + "%": whole percent from 10 % on, one decimal below, so
// that a modest project on a large machine does not read as nothing at all.
std::string memoryUsageText(double percent);

inline constexpr int kMemoryPopOutLoad = 50;
inline constexpr int kMemoryWarningLoad = 90;

std::string lowMemoryWarningText(const MemoryStatus& status);

// Remembers the load at start and whether the warning was given this run.
class MemoryMonitor {
public:
    explicit MemoryMonitor(const MemoryStatus& atStart = {}) : atStart_(atStart) {}
    struct Reading {
        std::string paneText;
        bool poppedOut = false;
        std::optional<std::string> warning; // the first time the load reaches 90 %
    };
    Reading update(const MemoryStatus& status);
    const MemoryStatus& atStart() const { return atStart_; }

private:
    MemoryStatus atStart_;
    bool warned_ = false;
};

} // namespace zx
