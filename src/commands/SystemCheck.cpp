#include "commands/SystemCheck.h"

#include <sched.h>
#include <thread>

namespace zx {

CheckVerdict checkScreen(int w, int h) {
    if (w >= 1024 && h >= 800) return {CheckLevel::Ok, "Ok!"};
    if (h < 600 || w < 1024) return {CheckLevel::Error, "Screen too small to run Zelvotrix!"};
    return {CheckLevel::Warning,
            "Please consider increasing your display screen size in Control Panel"};
}

CheckVerdict checkColourDepth(int bits) {
    if (bits < 16)
        return {CheckLevel::Error, "You need at least 16bits/pixel to run this application!"};
    if (bits == 24)
        return {CheckLevel::Warning,
                "Zelvotrix will run faster if you select 32bits/pixel in Control Panel..."};
    if (bits == 32) return {CheckLevel::Ok, "Ok!"};
    return {CheckLevel::Warning, "Not a standard bits/pixel value"};
}

CheckVerdict checkMemory(uint64_t bytes) {
    const double mb = double(bytes) * 1e-6;
    if (mb < 100) return {CheckLevel::Error, "Not enough memory to run Zelvotrix"};
    if (mb < 500)
        return {CheckLevel::Warning, "System low in memory, Zelvotrix cannot process large images"};
    return {CheckLevel::Ok, "Ok!"};
}

CheckVerdict checkProcessors(int cores) {
    if (cores > 1) return {CheckLevel::Ok, "Ok!"};
    return {CheckLevel::Warning, "Animation would be faster on a multi-core processor..."};
}

CheckVerdict checkSpeed(double fps) {
    if (fps < kSlowFramesPerSecond) return {CheckLevel::Warning, "Animation may be slow..."};
    return {CheckLevel::Ok, "Ok!"};
}

int processorCoresFromAffinity() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) == 0) {
        const int n = CPU_COUNT(&set);
        if (n > 0) return n;
    }
    const unsigned hc = std::thread::hardware_concurrency();
    return hc > 0 ? int(hc) : 1;
}

} // namespace zx
