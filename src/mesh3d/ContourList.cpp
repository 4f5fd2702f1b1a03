#include "mesh3d/ContourList.h"

namespace zx {

std::vector<ContourRun> contourRuns(std::span<const int32_t> list) {
    std::vector<ContourRun> runs;
    ContourRun current;
    for (int32_t code : list) {
        if (code >= 0) {
            current.indices.push_back(code);
            continue;
        }
        if (!current.indices.empty()) {
            current.closed = code == kContourClose;
            runs.push_back(std::move(current));
            current = {};
        }
    }
    if (!current.indices.empty()) runs.push_back(std::move(current));
    return runs;
}

void appendContourRun(ContourList& list, std::span<const int32_t> indices, bool closed) {
    if (indices.empty()) return;
    list.insert(list.end(), indices.begin(), indices.end());
    list.push_back(closed ? kContourClose : kContourOpen);
}

} // namespace zx
