#include "cli/TerminalPrompter.h"

#include <cctype>
#include <optional>
#include <string>
#include <unistd.h>

namespace zx::cli {

namespace {

const char* choices(Buttons b) {
    switch (b) {
    case Buttons::YesNo:
        return "[y/n]";
    case Buttons::YesNoCancel:
        return "[y/n/c]";
    case Buttons::OkCancel:
        return "[o(k)/c(ancel)]";
    default:
        return "[ok]";
    }
}

Answer positive(Buttons b) {
    return b == Buttons::YesNo || b == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
}

// Without anyone to ask, the answer that changes and risks least.
Answer negative(Buttons b) {
    switch (b) {
    case Buttons::YesNo:
        return Answer::No;
    case Buttons::Ok:
        return Answer::Ok;
    default:
        return Answer::Cancel;
    }
}

const char* name(Answer a) {
    switch (a) {
    case Answer::Yes:
        return "Yes";
    case Answer::No:
        return "No";
    case Answer::Ok:
        return "OK";
    default:
        return "Cancel";
    }
}

std::optional<Answer> parse(std::string s, Buttons b) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
    if (s.empty()) return std::nullopt;
    char c = char(std::tolower(static_cast<unsigned char>(s[0])));
    switch (b) {
    case Buttons::YesNo:
        if (c == 'y') return Answer::Yes;
        if (c == 'n') return Answer::No;
        break;
    case Buttons::YesNoCancel:
        if (c == 'y') return Answer::Yes;
        if (c == 'n') return Answer::No;
        if (c == 'c') return Answer::Cancel;
        break;
    case Buttons::OkCancel:
        if (c == 'o' || c == 'y') return Answer::Ok;
        if (c == 'c' || c == 'n') return Answer::Cancel;
        break;
    default:
        return Answer::Ok;
    }
    return std::nullopt;
}

} // namespace

TerminalPrompter::TerminalPrompter(bool assumeYes, std::FILE* in, std::FILE* out)
    : assumeYes_(assumeYes), in_(in), out_(out) {}

void TerminalPrompter::message(std::string_view text, std::string_view title) {
    if (!title.empty()) std::fprintf(out_, "%.*s: ", int(title.size()), title.data());
    std::fprintf(out_, "%.*s\n", int(text.size()), text.data());
    std::fflush(out_);
}

Answer TerminalPrompter::ask(std::string_view text, Buttons buttons) {
    std::fprintf(out_, "%.*s %s ", int(text.size()), text.data(), choices(buttons));
    bool interactive = in_ && ::isatty(::fileno(in_));
    if (assumeYes_ || !interactive) {
        Answer a = assumeYes_ ? positive(buttons) : negative(buttons);
        std::fprintf(out_, "%s%s\n", name(a),
                     assumeYes_ ? "" : " (no terminal to ask; --yes answers Yes)");
        std::fflush(out_);
        return a;
    }
    for (;;) {
        std::fflush(out_);
        char line[64];
        if (!std::fgets(line, sizeof line, in_)) return negative(buttons);
        if (auto a = parse(line, buttons)) return *a;
        std::fprintf(out_, "%s ", choices(buttons));
    }
}

} // namespace zx::cli
