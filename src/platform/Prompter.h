#pragma once
// How the engine talks to the user: messages, questions and the status line.
// The app answers with message boxes, the command-line tool on the terminal and
// the tests with RecordingPrompter.

#include <string>
#include <string_view>

namespace zx {

// The status line when nothing is under way.
inline constexpr std::string_view kReadyStatus = "Ready";

enum class Buttons { Ok, YesNo, YesNoCancel, OkCancel };
enum class Answer { Ok, Cancel, Yes, No };

class Prompter {
public:
    virtual ~Prompter() = default;

    // A modal message with an OK button. `title` is empty for the program's own title.
    virtual void message(std::string_view text, std::string_view title = {}) = 0;
    // A modal question; returns the button chosen.
    virtual Answer ask(std::string_view text, Buttons buttons) = 0;
    // The status-bar text (kReadyStatus, "Writing library file...").
    virtual void status(std::string_view text) {}

    bool askYesNo(std::string_view text) { return ask(text, Buttons::YesNo) == Answer::Yes; }
    bool askOkCancel(std::string_view text) { return ask(text, Buttons::OkCancel) == Answer::Ok; }
};

// Swallows messages and gives the default answer (Yes / OK). Used where no user is
// present, e.g. worker threads.
class SilentPrompter : public Prompter {
public:
    void message(std::string_view, std::string_view) override {}
    Answer ask(std::string_view, Buttons buttons) override {
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes
                                                                            : Answer::Ok;
    }
};

} // namespace zx
