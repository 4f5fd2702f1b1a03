#pragma once
// The verdicts of "System Information": each measured value with an icon and a text.

#include <cstdint>
#include <string>
#include <string_view>

namespace zx {

enum class CheckLevel { Ok, Warning, Error };

struct CheckVerdict {
    CheckLevel level = CheckLevel::Ok;
    std::string text;
};

inline constexpr std::string_view kNoCounterText =
    "No high performance counter available, cannot run!\nPlease consider purchasing a new PC";

CheckVerdict checkScreen(int width, int height);
CheckVerdict checkColourDepth(int bitsPerPixel);
CheckVerdict checkMemory(uint64_t physicalBytes); // MB as bytes × 10⁻⁶
CheckVerdict checkProcessors(int cores);
// The speed test: frames per second of the built-in demo animation rendered at
// 1024 × 768, Medium quality (RenderSpeedTest in DemoScene.h); `PCSpeed` keeps it in
// hundredths. Below 10 frames per second the Animate view cannot follow playback at
// the usual 25 – 30 frames per second even with a third of the frames, so the dialog
// warns "Animation may be slow...".
CheckVerdict checkSpeed(double framesPerSecond);
inline constexpr double kSlowFramesPerSecond = 10.0;

// Cores this process may run on (its affinity), at least 1.
int processorCoresFromAffinity();

} // namespace zx
