#pragma once
// The prompter for engine calls that a test makes where no user is present.

#include "platform/Prompter.h"
#include "SilentTestPrompter.h"

namespace zx::testing {

inline Prompter& silentPrompter() {
    static SilentPrompter prompter;
    return prompter;
}

} // namespace zx::testing
