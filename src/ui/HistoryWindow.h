#pragma once
// The "History" window: the labels of the undo history with the current step
// marked; clicking an entry undoes or redoes up to it.

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QListWidget;

namespace zx {

class HistoryWindow : public QDialog {
    Q_OBJECT
public:
    explicit HistoryWindow(QWidget* parent = nullptr);
    void setSteps(const std::vector<std::string>& labels, int position);
    QListWidget* list() const { return list_; }
    // Called with the row the user picked.
    std::function<void(int)> onPick;

private:
    QListWidget* list_;
    bool filling_ = false;
};

} // namespace zx
