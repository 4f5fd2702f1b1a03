#pragma once
// The window of long exports: a title line, a detail line, "Press ESC to abort" and a
// bar. It shows at once over the middle of its parent and keeps the program painted
// and answering while the work runs on the window's own thread: every call after the
// constructor pumps the pending events. Escape (or closing it) asks the given
// question; Yes cancels.

#include "platform/Progress.h"
#include "platform/Prompter.h"

#include <QDialog>

#include <string>

class QLabel;
class QProgressBar;

namespace zx {

class ProgressWindow : public QDialog, public Progress {
    Q_OBJECT
public:
    ProgressWindow(QWidget* parent, Prompter& prompter, std::string abortQuestion);

    void setTitle(std::string_view title) override;
    void setDetail(std::string_view detail) override;
    void setPosition(long long position, long long total) override;
    // Pumps the pending events; asks the question when Escape was pressed since.
    bool cancelled() const override;

    // Cancels without asking, as when the program quits under the work.
    void abort() { aborted_ = true; }
    // Escape pressed, as the user would.
    void requestAbort() { abortRequested_ = true; }

protected:
    void reject() override { requestAbort(); }

private:
    void pump() const;

    Prompter& prompter_;
    std::string question_;
    QLabel* title_;
    QLabel* detail_;
    QProgressBar* bar_;
    mutable bool abortRequested_ = false;
    mutable bool confirmed_ = false;
    bool aborted_ = false;
};

} // namespace zx
