#pragma once
// The cancel flag the renderer polls: a 32-bit word that another thread sets
// (the movie builder's stop flag). A late read costs at most one more row.

#include <atomic>
#include <cstdint>

namespace zx {

using CancelFlag = const std::atomic<int32_t>*;

inline bool isCancelled(CancelFlag flag) {
    return flag && flag->load(std::memory_order_relaxed) != 0;
}

} // namespace zx
