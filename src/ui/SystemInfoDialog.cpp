#include "ui/SystemInfoDialog.h"

#include "commands/MemoryMonitor.h"
#include "ui/QtText.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace zx {

SystemFacts measureSystem() {
    SystemFacts f;
    if (QScreen* s = QApplication::primaryScreen()) {
        f.screenWidth = s->size().width();
        f.screenHeight = s->size().height();
        f.colourDepth = s->depth();
    }
    if (auto m = readMemoryStatus()) f.memoryBytes = m->totalBytes;
    f.cores = processorCoresFromAffinity();
    return f;
}

SystemInfoDialog::SystemInfoDialog(const SystemFacts& f, std::unique_ptr<RenderSpeedTest> speedTest,
                                   QWidget* parent)
    : QDialog(parent), test_(std::move(speedTest)) {
    setWindowTitle("System Information");
    auto* layout = new QVBoxLayout(this);
    auto* box = new QGroupBox("PC Performance", this);
    grid_ = new QGridLayout(box);
    layout->addWidget(box);
    addLine("Screen resolution", QString("%1 x %2").arg(f.screenWidth).arg(f.screenHeight),
            checkScreen(f.screenWidth, f.screenHeight));
    addLine("Colour depth", QString("%1 bits/pixel").arg(f.colourDepth),
            checkColourDepth(f.colourDepth));
    addLine("Memory", QString("%1 MB").arg(qulonglong(double(f.memoryBytes) * 1e-6)),
            checkMemory(f.memoryBytes));
    addLine("Processors", QString::number(f.cores), checkProcessors(f.cores));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    if (test_) {
        speedValue_ = new QLabel("Please wait... Evaluating processor speed", box);
        speedVerdict_ = new QLabel(box);
        speedVerdict_->setObjectName("speedVerdict");
        grid_->addWidget(new QLabel("Speed", box), rows_, 0);
        grid_->addWidget(speedValue_, rows_, 1, 1, 2);
        grid_->addWidget(speedVerdict_, rows_, 3);
        ++rows_;
        // One frame per tick: the dialog stays responsive and the waiting text shows.
        timer_ = new QTimer(this);
        timer_->setInterval(100);
        connect(timer_, &QTimer::timeout, this, &SystemInfoDialog::stepSpeedTest);
        timer_->start();
    }
    layout->addWidget(buttons);
}

SystemInfoDialog::~SystemInfoDialog() = default;

void SystemInfoDialog::stepSpeedTest() {
    if (!test_ || test_->step()) return;
    timer_->stop();
    speed_ = test_->framesPerSecond();
    if (test_->framesRendered() == 0) {
        speedValue_->setText("The speed test could not run");
        return;
    }
    const CheckVerdict v = checkSpeed(speed_);
    speedValue_->setText(QString("%1 frames/sec at %2 x %3")
                             .arg(speed_, 0, 'f', 1)
                             .arg(RenderSpeedTest::kWidth)
                             .arg(RenderSpeedTest::kHeight));
    speedVerdict_->setText(qtText(v.text));
}

QString SystemInfoDialog::speedText() const {
    return speedValue_ ? speedValue_->text() + " " + speedVerdict_->text() : QString();
}

void SystemInfoDialog::addLine(const QString& what, const QString& value, const CheckVerdict& v) {
    const QStyle::StandardPixmap icon = v.level == CheckLevel::Ok ? QStyle::SP_DialogApplyButton
                                        : v.level == CheckLevel::Warning
                                            ? QStyle::SP_MessageBoxWarning
                                            : QStyle::SP_MessageBoxCritical;
    auto* iconLabel = new QLabel(this);
    iconLabel->setPixmap(style()->standardIcon(icon).pixmap(16, 16));
    grid_->addWidget(new QLabel(what, this), rows_, 0);
    grid_->addWidget(new QLabel(value, this), rows_, 1);
    grid_->addWidget(iconLabel, rows_, 2);
    auto* text = new QLabel(qtText(v.text), this);
    text->setObjectName(QString("verdict%1").arg(rows_));
    grid_->addWidget(text, rows_, 3);
    ++rows_;
}

QString SystemInfoDialog::lineText(int row) const {
    auto* l = findChild<QLabel*>(QString("verdict%1").arg(row));
    return l ? l->text() : QString();
}

} // namespace zx
