#include "ui/HandToolsPanel.h"

#include "ui/QtText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace zx {

namespace {

constexpr int kToolColumns = 3;
constexpr int kMaxPanelBrushSize = 200;

} // namespace

HandToolsPanel::HandToolsPanel(QWidget* parent) : QGroupBox("Hand Tools", parent) {
    new QVBoxLayout(this);
    addToolButtons();
    addBrushControls();
}

void HandToolsPanel::addToolButtons() {
    const QStringList names{"Eraser", "Revealer", "Brush/Pencil", "Paint Bucket", "Blur"};
    tools_ = new QButtonGroup(this);
    auto* grid = new QGridLayout;
    for (int i = 0; i < names.size(); ++i) {
        auto* b = new QToolButton(this);
        b->setText(names[i]);
        b->setToolTip(names[i]);
        b->setCheckable(true);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        tools_->addButton(b, i);
        grid->addWidget(b, i / kToolColumns, i % kToolColumns);
    }
    static_cast<QVBoxLayout*>(layout())->addLayout(grid);
    connect(tools_, &QButtonGroup::idClicked, this, [this](int id) {
        chosen_ = PaintTool(id);
        settings_.tool = PaintTool(id);
        report();
    });
}

void HandToolsPanel::addBrushControls() {
    auto* form = new QFormLayout;
    size_ = new QSpinBox(this);
    size_->setRange(kMinBrushSize, kMaxPanelBrushSize);
    size_->setValue(settings_.size);
    form->addRow("Size", size_);
    connect(size_, &QSpinBox::valueChanged, this, [this](int v) {
        settings_.size = v;
        report();
    });
    colour_ = new QPushButton(this);
    form->addRow("Color", colour_);
    connect(colour_, &QPushButton::clicked, this, [this] {
        const PaintColour c = settings_.colour;
        const QColor picked =
            QColorDialog::getColor(QColor(c.red(), c.green(), c.blue()), this, "Color");
        if (picked.isValid())
            setColour(PaintColour::rgb(picked.red(), picked.green(), picked.blue()));
    });
    toMask_ = new QCheckBox("Apply to Mask", this);
    toMask_->setChecked(settings_.applyToMask);
    form->addRow(toMask_);
    connect(toMask_, &QCheckBox::toggled, this, [this](bool on) {
        settings_.applyToMask = on;
        report();
    });
    static_cast<QVBoxLayout*>(layout())->addLayout(form);
    setColour(settings_.colour);
}

void HandToolsPanel::setColour(PaintColour colour) {
    settings_.colour = colour;
    colour_->setText(qtText(colour.text()));
    report();
}

void HandToolsPanel::choose(std::optional<PaintTool> tool) {
    if (stroke_) release();
    chosen_ = tool;
    // An exclusive group keeps one button down; let go of it to show none.
    tools_->setExclusive(false);
    for (QAbstractButton* b : tools_->buttons()) b->setChecked(tool && tools_->id(b) == int(*tool));
    tools_->setExclusive(true);
    if (tool) settings_.tool = *tool;
    report();
}

void HandToolsPanel::report() {
    if (changed) changed();
}

bool HandToolsPanel::press(Project& project, int image, int x, int y, bool background) {
    if (!chosen_ || stroke_) return false;
    PaintSettings s = settings_;
    s.background = background;
    stroke_ = std::make_unique<PaintStroke>(project, image, s);
    if (stroke_->press(x, y)) return true;
    stroke_.reset();
    return false;
}

void HandToolsPanel::move(int x, int y) {
    if (stroke_) stroke_->move(x, y);
}

bool HandToolsPanel::release() {
    if (!stroke_) return false;
    const bool recorded = stroke_->release();
    stroke_.reset();
    return recorded;
}

PixelRect HandToolsPanel::changedArea() const {
    return stroke_ ? stroke_->changed() : PixelRect{};
}

} // namespace zx
