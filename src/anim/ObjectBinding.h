#pragma once

#include <cstdint>

namespace zx {

// The object follows one or two dots of a parent object. All −1 when unbound.
struct ObjectBinding {
    int32_t ownDot1 = -1;
    int32_t ownDot2 = -1;
    int32_t parentObject = -1;
    int32_t parentDot1 = -1;
    int32_t parentDot2 = -1;

    bool bound() const { return ownDot1 != -1; }
    bool operator==(const ObjectBinding&) const = default;
};

} // namespace zx
