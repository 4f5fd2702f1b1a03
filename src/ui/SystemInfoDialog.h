#pragma once
// "System Information": the screen, colour depth, memory and cores of this machine
// with a verdict for each, and a speed test.

#include "commands/DemoScene.h"
#include "commands/SystemCheck.h"

#include <QDialog>

#include <memory>

class QGridLayout;
class QLabel;
class QTimer;

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
    // `speedTest` renders the built-in demo animation, one frame per tick of a 100 ms
    // timer while "Please wait... Evaluating processor speed" shows; null leaves the
    // speed line out.
    SystemInfoDialog(const SystemFacts& facts, std::unique_ptr<RenderSpeedTest> speedTest,
                     QWidget* parent = nullptr);
    ~SystemInfoDialog() override;
    // Frames per second once the test has finished, else 0.
    double measuredSpeed() const { return speed_; }
    bool speedTestFinished() const { return !test_ || test_->finished(); }
    QString lineText(int row) const;
    QString speedText() const;

private:
    void addLine(const QString& what, const QString& value, const CheckVerdict& verdict);
    void stepSpeedTest();
    QGridLayout* grid_;
    int rows_ = 0;
    double speed_ = 0;
    std::unique_ptr<RenderSpeedTest> test_;
    QTimer* timer_ = nullptr;
    QLabel* speedValue_ = nullptr;
    QLabel* speedVerdict_ = nullptr;
};

} // namespace zx
