#pragma once
// The user time-curve file "ZelvotrixUserCurves.txt": a hand-editable text file of
// named curves, read at start-up and appended to when the user saves a curve.
//
//   CURVES
//   ; comment lines and empty lines anywhere
//   CURVE <name>
//   LINEAR | SPLINE
//   0,<y>            first point at x = 0
//   <x>,<y>          ... until a point with x = 512
//
// Storage knows nothing of what curves mean; it keeps the curve table the file feeds
// (built-in curves first, which the caller puts in, then the file's in file order).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

class Prompter;

inline constexpr std::string_view kUserCurveFileName = "ZelvotrixUserCurves.txt";
// Built-in curves included.
inline constexpr size_t kMaxCurves = 1000;
// Messages; the file's path goes before the suffixes and between the header parts.
inline constexpr std::string_view kCurveHeaderWarningStart = "Warning: file ";
inline constexpr std::string_view kCurveHeaderWarningEnd =
    " has invalid header\nUser defined time curves are not loaded";
inline constexpr std::string_view kCurveFileNotCreated = ": Could not create file";
inline constexpr std::string_view kTooManyCurves = "Maximum number of curves reached, cannot save";

struct NamedCurve {
    std::string name;
    int32_t linear = 0;           // 1 polyline, 0 spline
    std::vector<uint32_t> points; // x in the low 16 bits, y in the high 16 bits
    bool operator==(const NamedCurve&) const = default;
};

enum class CurveFileStatus { Loaded, Missing, InvalidHeader };

// Appends the curves of a file's text to `table`, never beyond kMaxCurves entries.
// Reading stops quietly at the first line that does not fit; what was read stays
// (a curve cut short keeps its points). InvalidHeader when line 1 is not "CURVES".
CurveFileStatus parseUserCurves(std::string_view text, std::vector<NamedCurve>& table);

// Appends the file's curves to `table`. A missing file is silent; a wrong first line
// shows the invalid-header warning and adds nothing.
CurveFileStatus loadUserCurves(const std::filesystem::path& path, std::vector<NamedCurve>& table,
                               Prompter& prompter);

// The text a new curve file starts with.
std::string userCurveFileHeader();
// The text appended for one curve (a blank line first).
std::string userCurveText(const NamedCurve& curve);

// Creates the file with its header when it does not exist yet. False (after
// "<path>: Could not create file") when it cannot be created.
bool ensureUserCurveFile(const std::filesystem::path& path, Prompter& prompter);

// Appends a curve to the table and to the file. Refused with "Maximum number of
// curves reached, cannot save" when the table is full. False when nothing could be
// written to the file (the curve then stays in the table for this session).
bool addUserCurve(const std::filesystem::path& path, std::vector<NamedCurve>& table,
                  const NamedCurve& curve, Prompter& prompter);

} // namespace zx
