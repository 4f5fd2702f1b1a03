#pragma once
// The outline of an object as polylines of vertex indices. A run of indices is one
// polyline; the code -1 after a run closes it (its last vertex joins its first) and
// starts the next run; any other negative code ends the run open. Repeated -1 codes
// are skipped. The object keeps its list in AnimObject::builderLists[0].

#include "anim/AnimObject.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zx {

using ContourList = std::vector<int32_t>;

inline constexpr int32_t kContourClose = -1;
inline constexpr int32_t kContourOpen = -2;
inline constexpr int kContourListSlot = 0; // index in AnimObject::builderLists

inline ContourList& objectContourList(AnimObject& object) {
    return object.builderLists[kContourListSlot];
}
inline const ContourList& objectContourList(const AnimObject& object) {
    return object.builderLists[kContourListSlot];
}

// Calls fn(a, b) for every edge the list describes: consecutive indices of a run, and
// the closing edge of each run ended by -1. A run of one index has no edge.
template <class Fn> void forEachContourEdge(std::span<const int32_t> list, Fn&& fn) {
    size_t runStart = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i] >= 0) {
            if (i > runStart && list[i - 1] >= 0) fn(list[i - 1], list[i]);
            continue;
        }
        if (list[i] == kContourClose && i > runStart) {
            const int32_t first = list[runStart], last = list[i - 1];
            if (i - runStart >= 2 && first != last) fn(last, first);
        }
        runStart = i + 1;
    }
}

// The runs of the list, each as its vertex indices and whether it is closed.
struct ContourRun {
    std::vector<int32_t> indices;
    bool closed = false;
};
std::vector<ContourRun> contourRuns(std::span<const int32_t> list);

// Appends one run.
void appendContourRun(ContourList& list, std::span<const int32_t> indices, bool closed);

} // namespace zx
