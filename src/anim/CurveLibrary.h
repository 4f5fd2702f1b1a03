#pragma once
// The named time curves offered to the user: the ten built-in curves, then the
// user's own from the user curve file. At most 1000 in all. Callers copy a curve's
// kind and points into an object and sample them there.

#include "anim/TimeCurve.h"
#include "storage/CurveFile.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace zx {

class Prompter;

inline constexpr int kBuiltInCurveCount = 10;

// The built-in curves, in library order ("Linear", "Smooth", ...).
const std::array<NamedCurve, kBuiltInCurveCount>& builtInCurves();

class CurveLibrary {
public:
    // Starts with the built-in curves.
    CurveLibrary();

    int count() const { return int(curves_.size()); }
    const std::string& name(int i) const { return curves_[i].name; }
    int32_t kind(int i) const { return curves_[i].linear; } // 0 spline, 1 linear
    const std::vector<uint32_t>& points(int i) const { return curves_[i].points; }
    TimeCurve curve(int i) const { return {curves_[i].linear, curves_[i].points}; }
    const std::vector<NamedCurve>& entries() const { return curves_; }
    // Index of the first curve with this name, −1 when none.
    int find(std::string_view name) const;

    // Built-in curves again, then the curves of the user curve file.
    void load(const std::filesystem::path& userFile, Prompter& prompter);
    // Adds a curve to the library and appends it to the user curve file. False when
    // the library is full ("Maximum number of curves reached, cannot save") or the
    // file could not be written.
    bool add(const std::string& name, const TimeCurve& curve, const std::filesystem::path& userFile,
             Prompter& prompter);

private:
    std::vector<NamedCurve> curves_;
};

} // namespace zx
