#pragma once
// Golden files are written again only on request: ZX_UPDATE_FIXTURES=1 after a
// deliberate format change, on a developer's machine. A continuous-integration run
// (CI set to anything) never rewrites them, whatever else is set, so that a stale
// golden file fails there instead of being quietly replaced.

#include <cstdlib>
#include <string_view>

namespace zx::testing {

inline bool updateGoldenFiles() {
    const char* ci = std::getenv("CI");
    if (ci && *ci) return false;
    const char* update = std::getenv("ZX_UPDATE_FIXTURES");
    return update && std::string_view(update) == "1";
}

} // namespace zx::testing
