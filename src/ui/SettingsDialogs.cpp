#include "ui/SettingsDialogs.h"

#include "ui/QtText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace zx {

namespace {
QDialogButtonBox* okCancel(QDialog* d) {
    auto* b = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, d);
    QObject::connect(b, &QDialogButtonBox::accepted, d, &QDialog::accept);
    QObject::connect(b, &QDialogButtonBox::rejected, d, &QDialog::reject);
    return b;
}

QButtonGroup* radios(QWidget* parent, QLayout* layout, const QStringList& labels, int checked) {
    auto* group = new QButtonGroup(parent);
    for (int i = 0; i < labels.size(); ++i) {
        auto* r = new QRadioButton(labels[i], parent);
        group->addButton(r, i);
        layout->addWidget(r);
    }
    if (auto* b = group->button(checked)) b->setChecked(true);
    return group;
}

QSpinBox* spin(QWidget* parent, int lo, int hi, int value) {
    auto* s = new QSpinBox(parent);
    s->setRange(lo, hi);
    s->setValue(std::clamp(value, lo, hi));
    return s;
}
} // namespace

GeneralSettingsDialog::GeneralSettingsDialog(const Settings& s, QWidget* parent) : QDialog(parent) {
    setWindowTitle("General Settings");
    auto* layout = new QVBoxLayout(this);
    auto* duration = new QHBoxLayout;
    duration->addWidget(new QLabel("Default imported image duration:", this));
    seconds = spin(this, 0, 100, s.timeDefS);
    frames = spin(this, 0, 100, s.timeDefF);
    duration->addWidget(seconds);
    duration->addWidget(new QLabel(":", this));
    duration->addWidget(frames);
    layout->addLayout(duration);
    auto* large = new QHBoxLayout;
    warnLarge = new QCheckBox("Warn if one dimension of imported image is larger than:", this);
    warnLarge->setChecked(s.maxSize != -1);
    maxSize = spin(this, 1, 32767, s.maxSize == -1 ? 1024 : s.maxSize);
    maxSize->setEnabled(warnLarge->isChecked());
    large->addWidget(warnLarge);
    large->addWidget(maxSize);
    large->addWidget(new QLabel("pixels", this));
    layout->addLayout(large);
    auto* jpeg = new QGroupBox("Exported JPEG image quality", this);
    auto* jpegLayout = new QHBoxLayout(jpeg);
    jpegQuality = radios(jpeg, jpegLayout, {"Low", "Medium", "Good", "High"}, s.jpegQuality);
    layout->addWidget(jpeg);
    layout->addWidget(okCancel(this));
    connect(warnLarge, &QCheckBox::toggled, maxSize, &QSpinBox::setEnabled);
}

void GeneralSettingsDialog::apply(Settings& s) const {
    s.timeDefS = seconds->value();
    s.timeDefF = frames->value();
    // Both zero would give images of no length; the program's rule makes that 3 s.
    if (s.timeDefS == 0 && s.timeDefF == 0) s.timeDefS = 3;
    s.maxSize = warnLarge->isChecked() ? maxSize->value() : -1;
    s.jpegQuality = std::max(0, jpegQuality->checkedId());
}

AnimationSettingsDialog::AnimationSettingsDialog(const Settings& s, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("Animation Settings");
    auto* layout = new QVBoxLayout(this);
    auto* preview = new QGroupBox("Screen Preview Rendering", this);
    auto* previewLayout = new QVBoxLayout(preview);
    render = radios(preview, previewLayout, {"Fast (lower quality)", "Highest quality (slower)"},
                    s.animRender);
    layout->addWidget(preview);
    auto* regions = new QGroupBox("Regions default values", this);
    auto* regionsLayout = new QVBoxLayout(regions);
    auto* meshRow = new QHBoxLayout;
    meshRow->addWidget(new QLabel("Mesh Definition", regions));
    meshDefinition = new QButtonGroup(regions);
    const QStringList defs{"Low", "Medium", "High"};
    for (int i = 0; i < 3; ++i) {
        auto* r = new QRadioButton(defs[i], regions);
        meshDefinition->addButton(r, i);
        meshRow->addWidget(r);
    }
    if (auto* b = meshDefinition->button(s.contourDef)) b->setChecked(true);
    regionsLayout->addLayout(meshRow);
    autoAddBone = new QCheckBox("Auto Add Bone", regions);
    // The auto-bone option is the editing tools' own; it is not a stored setting.
    autoAddBone->setEnabled(false);
    fixedBones = new QCheckBox("Fixed Length Bones", regions);
    fixedBones->setChecked(s.boneDefaultFixed != 0);
    smoothAction = new QCheckBox("Smooth Action", regions);
    smoothAction->setChecked(s.smoothAction != 0);
    regionsLayout->addWidget(autoAddBone);
    regionsLayout->addWidget(fixedBones);
    regionsLayout->addWidget(smoothAction);
    layout->addWidget(regions);
    auto* forward = new QGroupBox("Forward Processing", this);
    auto* forwardLayout = new QVBoxLayout(forward);
    multiThread = new QCheckBox("Allow Multi-Thread Cache", forward);
    multiThread->setChecked(s.cacheSpool != 0);
    forwardLayout->addWidget(multiThread);
    forwardLayout->addWidget(
        new QLabel(QString("Processor Cores in your system: %1").arg(s.cores), forward));
    layout->addWidget(forward);
    layout->addWidget(okCancel(this));
}

void AnimationSettingsDialog::apply(Settings& s) const {
    s.animRender = std::max(0, render->checkedId());
    s.contourDef = std::max(0, meshDefinition->checkedId());
    s.boneDefaultFixed = fixedBones->isChecked() ? 1 : 0;
    s.smoothAction = smoothAction->isChecked() ? 1 : 0;
    s.cacheSpool = multiThread->isChecked() ? 1 : 0;
}

MovieSettingsDialog::MovieSettingsDialog(const MovieSettingsValues& v, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("Movie Settings");
    auto* layout = new QVBoxLayout(this);
    presets = new QComboBox(this);
    presets->addItems({"Custom", "320 x 240", "640 x 480", "720 x 576", "800 x 600", "1024 x 768",
                       "1280 x 720", "1920 x 1080"});
    layout->addWidget(presets);
    auto* size = new QHBoxLayout;
    width = spin(this, kMovieSizeMin, kMovieSizeMax, v.width);
    height = spin(this, kMovieSizeMin, kMovieSizeMax, v.height);
    fps = spin(this, 1, 100, v.framesPerSecond);
    size->addWidget(new QLabel("Width", this));
    size->addWidget(width);
    size->addWidget(new QLabel("Height", this));
    size->addWidget(height);
    size->addWidget(new QLabel("Frames/sec", this));
    size->addWidget(fps);
    layout->addLayout(size);
    auto* warning = new QLabel(qtText(kMovieSizeWarning), this);
    warning->setStyleSheet("color: #a03000;");
    layout->addWidget(warning);
    auto* q = new QGroupBox("Screen Preview Rendering Quality", this);
    auto* qLayout = new QVBoxLayout(q);
    quality = radios(
        q, qLayout, {"Low (Fast)", "Medium", "High (Affects only 3d Animations)", "Maximum (Slow)"},
        v.quality);
    layout->addWidget(q);
    layout->addWidget(okCancel(this));
    connect(presets, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i <= 0) return;
        const QStringList parts = presets->itemText(i).split(" x ");
        width->setValue(parts[0].toInt());
        height->setValue(parts[1].toInt());
    });
}

MovieSettingsValues MovieSettingsDialog::values() const {
    return clampMovieSettings(
        {width->value(), height->value(), fps->value(), std::max(0, quality->checkedId())});
}

} // namespace zx
