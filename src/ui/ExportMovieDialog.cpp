#include "ui/ExportMovieDialog.h"

#include "ui/QtText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zx {

namespace {
constexpr int kCustomBitRate = 4;
constexpr int kDefaultBitRateButton = 2; // 2400 KBits/s
constexpr int kMaximumQuality = 1;
const char* kVideoFilter = "Video files (*.avi *.wmv *.mov *.flv *.mp4)";

QButtonGroup* radioColumn(QWidget* parent, QVBoxLayout* layout, const QStringList& labels,
                          int checked) {
    auto* group = new QButtonGroup(parent);
    for (int i = 0; i < labels.size(); ++i) {
        auto* r = new QRadioButton(labels[i], parent);
        group->addButton(r, i);
        layout->addWidget(r);
    }
    group->button(checked)->setChecked(true);
    return group;
}
} // namespace

ExportMovieDialog::ExportMovieDialog(const ExportMovieSetup& setup, Prompter& prompter,
                                     QWidget* parent)
    : QDialog(parent), prompter_(prompter), folder_(setup.folder) {
    setWindowTitle("Export Movie");
    auto* layout = new QVBoxLayout(this);
    auto* name = new QHBoxLayout;
    name->addWidget(new QLabel("File name:", this));
    fileName = new QLineEdit(qtPath(folder_ / proposedMovieName(setup.documentTitle)), this);
    fileName->setMinimumWidth(360);
    browse = new QPushButton("Browse...", this);
    name->addWidget(fileName, 1);
    name->addWidget(browse);
    layout->addLayout(name);
    layout->addWidget(new QLabel(QString("Video Size: %1 x %2    Frames/sec: %3")
                                     .arg(setup.width)
                                     .arg(setup.height)
                                     .arg(setup.framesPerSecond),
                                 this));
    auto* columns = new QHBoxLayout;
    columns->addWidget(buildFormats());
    columns->addWidget(buildBitRates());
    columns->addWidget(buildOptions());
    layout->addLayout(columns);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ExportMovieDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(fileName, &QLineEdit::textEdited, this, &ExportMovieDialog::followName);
    connect(format, &QButtonGroup::idClicked, this, &ExportMovieDialog::followFormat);
    connect(bitRate, &QButtonGroup::idToggled, this, [this] { updateEnabled(); });
    connect(customBitRate, &QLineEdit::editingFinished, this,
            &ExportMovieDialog::checkCustomBitRate);
    connect(browse, &QPushButton::clicked, this, &ExportMovieDialog::browseForName);
    updateEnabled();
}

QWidget* ExportMovieDialog::buildFormats() {
    auto* box = new QGroupBox("Video Output Format", this);
    auto* column = new QVBoxLayout(box);
    format = radioColumn(
        box, column,
        {"Uncompressed  *.AVI", "Windows Media  *.WMV", "Quick Time  *.MOV", "Flash  *.FLV", "mp4"},
        int(VideoFormat::Wmv));
    connect(format, &QButtonGroup::idToggled, this, [this] { updateEnabled(); });
    return box;
}

QWidget* ExportMovieDialog::buildBitRates() {
    auto* box = new QGroupBox("Video Bitrate/Quality", this);
    auto* column = new QVBoxLayout(box);
    bitRate =
        radioColumn(box, column, {"600 Kbits/s", "1200 Kbits/s", "2400 KBits/s", "3600 KBits/s"},
                    kDefaultBitRateButton);
    auto* custom = new QHBoxLayout;
    auto* customButton = new QRadioButton("Custom:", box);
    bitRate->addButton(customButton, kCustomBitRate);
    customBitRate = new QLineEdit(QString::number(kDefaultCustomBitRate), box);
    customBitRate->setFixedWidth(customBitRate->fontMetrics().horizontalAdvance("1750000"));
    custom->addWidget(customButton);
    custom->addWidget(customBitRate);
    custom->addWidget(new QLabel("KBits/s", box));
    column->addLayout(custom);
    return box;
}

QWidget* ExportMovieDialog::buildOptions() {
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    markersOnly = new QCheckBox("Code only between markers", box);
    column->addWidget(markersOnly);
    auto* group = new QGroupBox("Processing", box);
    auto* radios = new QVBoxLayout(group);
    processing = radioColumn(group, radios, {"Same as Displayed (Fast)", "Maximum Quality (Slow)"},
                             kMaximumQuality);
    column->addWidget(group);
    blackTrailer = new QCheckBox("Add 1 sec black trailer", box);
    column->addWidget(blackTrailer);
    column->addStretch();
    return box;
}

// A typed extension that names a format picks that format.
void ExportMovieDialog::followName(const QString& text) {
    if (const auto named = videoFormatOfPath(enginePath(text)))
        format->button(int(*named))->setChecked(true);
}

// A picked format renames the file.
void ExportMovieDialog::followFormat(int id) {
    const QString text = fileName->text();
    if (text.isEmpty()) return;
    fileName->setText(qtPath(withVideoExtension(enginePath(text), VideoFormat(id))));
}

void ExportMovieDialog::updateEnabled() {
    const bool encoded = format->checkedId() != int(VideoFormat::Avi);
    for (QAbstractButton* b : bitRate->buttons()) b->setEnabled(encoded);
    customBitRate->setEnabled(encoded && bitRate->checkedId() == kCustomBitRate);
}

void ExportMovieDialog::checkCustomBitRate() {
    if (zx::customBitRate(engineText(customBitRate->text()))) return;
    prompter_.message(kBitRateOutOfRange);
    customBitRate->setText(QString::number(kDefaultCustomBitRate));
}

void ExportMovieDialog::browseForName() {
    const QString picked =
        QFileDialog::getSaveFileName(this, "Export Movie", fileName->text(), kVideoFilter, nullptr,
                                     QFileDialog::DontConfirmOverwrite);
    if (picked.isEmpty()) return;
    fileName->setText(picked);
    followName(picked);
}

int ExportMovieDialog::chosenBitRate() const {
    const int id = bitRate->checkedId();
    if (id >= 0 && id < int(kPresetBitRates.size())) return kPresetBitRates[size_t(id)];
    return zx::customBitRate(engineText(customBitRate->text())).value_or(kDefaultCustomBitRate);
}

void ExportMovieDialog::accept() {
    const VideoFormat chosen = VideoFormat(format->checkedId());
    if (chosen != VideoFormat::Avi && bitRate->checkedId() == kCustomBitRate &&
        !zx::customBitRate(engineText(customBitRate->text()))) {
        checkCustomBitRate();
        return;
    }
    Result<std::filesystem::path> path =
        confirmMovieName(enginePath(fileName->text()), chosen, folder_, prompter_);
    if (!path) return; // the message was shown, or the user keeps the dialog open
    choice_.path = std::move(*path);
    choice_.format = chosen;
    choice_.bitRate = chosenBitRate();
    choice_.markersOnly = markersOnly->isChecked();
    choice_.maximumQuality = processing->checkedId() == kMaximumQuality;
    choice_.blackTrailer = blackTrailer->isChecked();
    QDialog::accept();
}

} // namespace zx
