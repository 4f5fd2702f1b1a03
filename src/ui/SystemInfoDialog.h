#pragma once
// "System Information": the screen, colour depth, memory and cores of this machine
// with a verdict for each, and a speed test.

#include "commands/SystemCheck.h"

#include <QDialog>

#include <functional>

class QGridLayout;
class QLabel;

namespace zx {

struct SystemFacts {
    int screenWidth = 0, screenHeight = 0, colourDepth = 0;
    uint64_t memoryBytes = 0;
    int cores = 1;
};

// What this machine has (the primary screen; memory from /proc/meminfo).
SystemFacts measureSystem();

class SystemInfoDialog : public QDialog {
    Q_OBJECT
public:
    // `speedTest` renders the built-in sample and returns frames per second; empty
    // when no renderer is available.
    SystemInfoDialog(const SystemFacts& facts, std::function<double()> speedTest,
                     QWidget* parent = nullptr);
    double measuredSpeed() const { return speed_; }
    QString lineText(int row) const;

private:
    void addLine(const QString& what, const QString& value, const CheckVerdict& verdict);
    QGridLayout* grid_;
    int rows_ = 0;
    double speed_ = 0;
};

} // namespace zx
