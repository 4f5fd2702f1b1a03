#pragma once
// The prompter of a run nobody watches (--screenshot): every message and question is
// written to the error stream instead of a message box, each question takes the
// answer a box offers by default, and any message counts as a reported failure.

#include "app/AppLayer.h"

#include "platform/Prompter.h"

#include <cstdio>

namespace zx {

class AutomaticPrompter : public SilentPrompter {
public:
    explicit AutomaticPrompter(std::FILE* out = stderr) : out_(out) {}
    void message(std::string_view text, std::string_view title = {}) override;
    Answer ask(std::string_view text, Buttons buttons) override;
    bool failureReported() const { return failures_ > 0; }

private:
    std::FILE* out_;
    int failures_ = 0;
};

} // namespace zx
