#pragma once
// Messages and questions on the terminal. Messages go to stderr. Questions are
// asked on stderr and answered on stdin when it is a terminal; with --yes, or
// when nobody can answer, they take a fixed answer that is printed with them.

#include "platform/Prompter.h"

#include <cstdio>

namespace zx::cli {

class TerminalPrompter : public Prompter {
public:
    explicit TerminalPrompter(bool assumeYes, std::FILE* in = stdin, std::FILE* out = stderr);

    void message(std::string_view text, std::string_view title = {}) override;
    Answer ask(std::string_view text, Buttons buttons) override;
    void status(std::string_view text) override {}

private:
    bool assumeYes_;
    std::FILE* in_;
    std::FILE* out_;
};

} // namespace zx::cli
