#include "app/QtPrompter.h"

#include "ui/QtText.h"

#include <QApplication>
#include <QMessageBox>

namespace zx {

void QtPrompter::message(std::string_view text, std::string_view title) {
    QMessageBox::information(parent_, title.empty() ? QStringLiteral("Zelvotrix") : qtText(title),
                             qtText(text));
}

Answer QtPrompter::ask(std::string_view text, Buttons buttons) {
    QMessageBox::StandardButtons b;
    switch (buttons) {
    case Buttons::Ok:
        b = QMessageBox::Ok;
        break;
    case Buttons::YesNo:
        b = QMessageBox::Yes | QMessageBox::No;
        break;
    case Buttons::YesNoCancel:
        b = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    case Buttons::OkCancel:
        b = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    }
    const auto r = QMessageBox::question(parent_, QStringLiteral("Zelvotrix"), qtText(text), b);
    switch (r) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        return Answer::Cancel;
    }
}

void QtPrompter::status(std::string_view text) {
    if (onStatus) onStatus(qtText(text));
}

} // namespace zx
