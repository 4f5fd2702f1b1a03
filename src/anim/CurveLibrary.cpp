#include "anim/CurveLibrary.h"

#include "platform/Prompter.h"

#include <initializer_list>
#include <utility>

namespace zx {

namespace {

NamedCurve builtIn(const char* name, int32_t linear,
                   std::initializer_list<std::pair<int, int>> pts) {
    NamedCurve c{name, linear, {}};
    for (auto [x, y] : pts) c.points.push_back(packCurvePoint(x, y));
    return c;
}

} // namespace

const std::array<NamedCurve, kBuiltInCurveCount>& builtInCurves() {
    // The peaks of "Multiple", "Blink" and "Delayed Blink" are at 511, not 512: that
    // is how these curves have always looked.
    static const std::array<NamedCurve, kBuiltInCurveCount> curves = {
        builtIn("Linear", 1, {{0, 0}, {512, 512}}),
        builtIn("Smooth", 0, {{0, 0}, {512, 512}}),
        builtIn("Linear forward & reverse", 1, {{0, 0}, {256, 512}, {512, 0}}),
        builtIn("Smooth forward & reverse", 0, {{0, 0}, {74, 25}, {256, 512}, {440, 30}, {512, 0}}),
        builtIn("Maximum", 1, {{0, 512}, {512, 512}}),
        builtIn("Delay 50", 1, {{0, 0}, {256, 0}, {512, 512}}),
        builtIn("1 1/2 linear", 1, {{0, 0}, {170, 512}, {338, 0}, {512, 512}}),
        builtIn("Multiple", 0,
                {{0, 0},
                 {63, 511},
                 {128, 0},
                 {192, 511},
                 {255, 0},
                 {319, 511},
                 {384, 0},
                 {448, 511},
                 {512, 0}}),
        builtIn("Blink", 1, {{0, 0}, {63, 511}, {126, 0}, {512, 0}}),
        builtIn("Delayed Blink", 1, {{0, 0}, {64, 0}, {128, 511}, {192, 0}, {512, 0}}),
    };
    return curves;
}

CurveLibrary::CurveLibrary() {
    const auto& b = builtInCurves();
    curves_.assign(b.begin(), b.end());
}

int CurveLibrary::find(std::string_view name) const {
    for (size_t i = 0; i < curves_.size(); ++i)
        if (curves_[i].name == name) return int(i);
    return -1;
}

void CurveLibrary::load(const std::filesystem::path& userFile, Prompter& prompter) {
    const auto& b = builtInCurves();
    curves_.assign(b.begin(), b.end());
    loadUserCurves(userFile, curves_, prompter);
}

bool CurveLibrary::add(const std::string& name, const TimeCurve& curve,
                       const std::filesystem::path& userFile, Prompter& prompter) {
    return addUserCurve(userFile, curves_, NamedCurve{name, curve.kind, curve.points}, prompter);
}

} // namespace zx
