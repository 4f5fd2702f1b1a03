#include "ui/ProgressWindow.h"

#include "ui/QtText.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace zx {

namespace {
// The window's top-left corner lies this far left of and above the parent's centre.
constexpr QPoint kOffsetFromCentre(256, 64);
constexpr int kBarSteps = 1000;
} // namespace

ProgressWindow::ProgressWindow(QWidget* parent, Prompter& prompter, std::string abortQuestion)
    : QDialog(parent), prompter_(prompter), question_(std::move(abortQuestion)) {
    setWindowTitle("Zelvotrix");
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    title_ = new QLabel(this);
    detail_ = new QLabel(this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, kBarSteps);
    bar_->setValue(0);
    layout->addWidget(title_);
    layout->addWidget(detail_);
    layout->addWidget(bar_);
    layout->addWidget(new QLabel("Press ESC to abort", this));
    setMinimumWidth(2 * kOffsetFromCentre.x());
    if (parent) move(parent->mapToGlobal(parent->rect().center()) - kOffsetFromCentre);
    show();
}

void ProgressWindow::pump() const {
    QApplication::processEvents();
}

void ProgressWindow::setTitle(std::string_view title) {
    title_->setText(qtText(title));
    pump();
}

void ProgressWindow::setDetail(std::string_view detail) {
    detail_->setText(qtText(detail));
    pump();
}

void ProgressWindow::setPosition(long long position, long long total) {
    bar_->setValue(total > 0 ? int(std::clamp(position, 0LL, total) * kBarSteps / total) : 0);
    pump();
}

bool ProgressWindow::cancelled() const {
    pump();
    if (abortRequested_ && !confirmed_ && !aborted_) {
        abortRequested_ = false;
        confirmed_ = prompter_.askYesNo(question_);
    }
    return confirmed_ || aborted_;
}

} // namespace zx
