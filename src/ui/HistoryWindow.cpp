#include "ui/HistoryWindow.h"

#include "ui/QtText.h"

#include <QListWidget>
#include <QVBoxLayout>

namespace zx {

HistoryWindow::HistoryWindow(QWidget* parent) : QDialog(parent, Qt::Tool) {
    setWindowTitle("History");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    list_ = new QListWidget(this);
    layout->addWidget(list_);
    resize(240, 320);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!filling_ && onPick && row >= 0) onPick(row);
    });
}

void HistoryWindow::setSteps(const std::vector<std::string>& labels, int position) {
    filling_ = true;
    list_->clear();
    for (size_t i = 0; i < labels.size(); ++i) {
        auto* item = new QListWidgetItem(qtText(labels[i]), list_);
        // Steps after the position can be redone: shown greyed.
        if (int(i) > position) item->setForeground(QColor(0x90, 0x90, 0x90));
    }
    list_->setCurrentRow(position);
    filling_ = false;
}

} // namespace zx
