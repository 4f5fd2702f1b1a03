#include "app/AutomaticPrompter.h"

#include "platform/Text.h"

#include <string>

namespace zx {

namespace {
const char* answerName(Answer a) {
    switch (a) {
    case Answer::Yes:
        return "Yes";
    case Answer::No:
        return "No";
    case Answer::Ok:
        return "OK";
    case Answer::Cancel:
        break;
    }
    return "Cancel";
}
} // namespace

void AutomaticPrompter::message(std::string_view text, std::string_view) {
    ++failures_;
    std::fprintf(out_, "zelvotrix: %s\n", cp1252ToUtf8(text).c_str());
}

Answer AutomaticPrompter::ask(std::string_view text, Buttons buttons) {
    const Answer a = SilentPrompter::ask(text, buttons);
    std::fprintf(out_, "zelvotrix: %s [%s]\n", cp1252ToUtf8(text).c_str(), answerName(a));
    return a;
}

} // namespace zx
