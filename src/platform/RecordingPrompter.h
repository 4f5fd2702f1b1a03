#pragma once
// A Prompter that records every message and question and answers from a queue.
// Used by tests to assert the exact texts the user would see.

#include "platform/Prompter.h"

#include <deque>
#include <string>
#include <vector>

namespace zx {

class RecordingPrompter : public Prompter {
public:
    struct Entry {
        std::string text;
        std::string title;
        bool question = false;
        Buttons buttons = Buttons::Ok;
    };

    void message(std::string_view text, std::string_view title = {}) override {
        entries.push_back({std::string(text), std::string(title), false, Buttons::Ok});
    }
    Answer ask(std::string_view text, Buttons buttons) override {
        entries.push_back({std::string(text), {}, true, buttons});
        if (!answers.empty()) {
            Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        return defaultAnswer(buttons);
    }
    void status(std::string_view text) override { statuses.emplace_back(text); }

    // Texts of all messages and questions, in order.
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& e : entries) out.push_back(e.text);
        return out;
    }
    bool saw(std::string_view text) const {
        for (const auto& e : entries)
            if (e.text == text) return true;
        return false;
    }
    void clear() {
        entries.clear();
        statuses.clear();
    }

    std::vector<Entry> entries;
    std::vector<std::string> statuses;
    std::deque<Answer> answers; // consumed by ask(); when empty the default answer is used

private:
    static Answer defaultAnswer(Buttons b) {
        switch (b) {
        case Buttons::YesNo:
        case Buttons::YesNoCancel:
            return Answer::Yes;
        default:
            return Answer::Ok;
        }
    }
};

} // namespace zx
