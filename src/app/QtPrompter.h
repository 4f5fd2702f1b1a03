#pragma once
// The engine's questions and messages as message boxes; status texts go to the
// main window's status bar.

#include "app/AppLayer.h"

#include "platform/Prompter.h"

#include <QPointer>
#include <QWidget>

#include <functional>

namespace zx {

class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* parent) : parent_(parent) {}
    void message(std::string_view text, std::string_view title = {}) override;
    Answer ask(std::string_view text, Buttons buttons) override;
    void status(std::string_view text) override;
    std::function<void(const QString&)> onStatus;

private:
    QPointer<QWidget> parent_;
};

} // namespace zx
