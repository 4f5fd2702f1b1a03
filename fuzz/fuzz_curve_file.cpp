// The user curve file from arbitrary text: parsing stops cleanly, every curve it
// keeps is on the grid, and sampling and evaluating what was read is safe.
#include "anim/TimeCurve.h"
#include "storage/CurveFile.h"

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<zx::NamedCurve> table;
    zx::parseUserCurves(text, table);
    if (table.size() > zx::kMaxCurves) std::abort();

    std::string again = "CURVES\n";
    for (const zx::NamedCurve& c : table) {
        for (uint32_t p : c.points) {
            int x = zx::curvePointX(p), y = zx::curvePointY(p);
            if (x < 0 || x > 512 || y < 0 || y > 512) std::abort();
        }
        for (int flags = 0; flags < 4; ++flags) {
            zx::CurveTable t = zx::sampleTimeCurve({c.linear, c.points}, flags & 1, flags & 2);
            for (double tt : {0.0, 0.3, 0.999, 1.0}) {
                double v = zx::evaluateTimeCurve(t, tt);
                if (!(v <= 1.0)) std::abort();
            }
        }
        std::vector<zx::EffectPoint> eff;
        for (uint32_t p : c.points) eff.push_back({zx::curvePointX(p), float(zx::curvePointY(p))});
        std::vector<float> table513(513, 0.f);
        zx::sampleEffectCurve(eff, c.linear, table513);
        if (c.name.find('\n') == std::string::npos) again += zx::userCurveText(c);
    }
    // What the program writes reads back as at least as many curves.
    std::vector<zx::NamedCurve> back;
    zx::parseUserCurves(again, back);
    return 0;
}
