#include "app/QtProgress.h"

#include "ui/QtText.h"

#include <QApplication>

namespace zx {

QtProgress::QtProgress(QWidget* parent, const QString& title, bool cancellable)
    : dialog_(std::make_unique<QProgressDialog>(
          title, cancellable ? QStringLiteral("Cancel") : QString(), 0, 100, parent)) {
    dialog_->setWindowTitle(QStringLiteral("Zelvotrix"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(400);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setValue(0);
}

QtProgress::~QtProgress() {
    dialog_->close();
}

void QtProgress::setTitle(std::string_view title) {
    dialog_->setLabelText(qtText(title));
    QApplication::processEvents();
}

void QtProgress::setDetail(std::string_view detail) {
    dialog_->setLabelText(dialog_->labelText().section('\n', 0, 0) + '\n' + qtText(detail));
    QApplication::processEvents();
}

void QtProgress::setPosition(long long position, long long total) {
    const int value = total > 0 ? int(position * 100 / total) : 0;
    dialog_->setValue(std::clamp(value, 0, 100));
    QApplication::processEvents();
}

bool QtProgress::cancelled() const {
    return dialog_->wasCanceled();
}

} // namespace zx
