#include "ui/SystemInfoDialog.h"

#include "commands/MemoryMonitor.h"

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

SystemInfoDialog::SystemInfoDialog(const SystemFacts& f, std::function<double()> speedTest,
                                   QWidget* parent)
    : QDialog(parent) {
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
    auto* speedValue = new QLabel("Please wait... Evaluating processor speed", box);
    auto* speedText = new QLabel(box);
    grid_->addWidget(new QLabel("Speed", box), rows_, 0);
    grid_->addWidget(speedValue, rows_, 1, 1, 3);
    grid_->addWidget(speedText, rows_ + 1, 1, 1, 3);
    rows_ += 2;
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    if (!speedTest) {
        speedValue->setText("The speed test needs the frame renderer");
        return;
    }
    // The test starts once the dialog is on screen, so the waiting text shows.
    QTimer::singleShot(100, this, [this, speedValue, speedText, speedTest] {
        speed_ = speedTest();
        speedValue->setText(QString("%1 frames/sec at 1024 x 768").arg(speed_, 0, 'f', 1));
        speedText->setText(QString::fromStdString(checkSpeed(speed_).text));
    });
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
    auto* text = new QLabel(QString::fromStdString(v.text), this);
    text->setObjectName(QString("verdict%1").arg(rows_));
    grid_->addWidget(text, rows_, 3);
    ++rows_;
}

QString SystemInfoDialog::lineText(int row) const {
    auto* l = findChild<QLabel*>(QString("verdict%1").arg(row));
    return l ? l->text() : QString();
}

} // namespace zx
