#include "ui/HandToolsPanel.h"

#include "ui/ColourButton.h"
#include "ui/ToolButtonGrid.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace zx {

namespace {

constexpr int kToolColumns = 3;
constexpr int kMaxPanelBrushSize = 100;
constexpr int kMaxFlow = 100;
constexpr int kDefaultSample = 1; // 3x3

} // namespace

HandToolsPanel::HandToolsPanel(QWidget* parent) : QGroupBox("Hand Tools", parent) {
    new QVBoxLayout(this);
    addToolButtons();
    addBrushControls();
}

void HandToolsPanel::addToolButtons() {
    const QStringList names{"Eraser", "Revealer", "Brush/Pencil", "Paint Bucket", "Blur"};
    const QStringList tips{"Eraser Tool (Image or Mask)", "Reveal Tool (Mask)", "Brush/Pencil Tool",
                           "Paint Bucket Tool", "Blur Tool"};
    tools_ =
        addToolButtonGrid(this, static_cast<QVBoxLayout*>(layout()), names, tips, kToolColumns);
    connect(tools_, &QButtonGroup::idClicked, this, [this](int id) {
        chosen_ = PaintTool(id);
        settings_.tool = PaintTool(id);
        showToolControls();
        report();
    });
}

void HandToolsPanel::addBrushControls() {
    auto* form = new QFormLayout;
    shape_ = new QComboBox(this);
    shape_->addItems(
        {"Solid Square Brush", "Solid Round Brush", "Soft Square Brush", "Soft Round Brush"});
    form->addRow(shape_);
    connect(shape_, &QComboBox::currentIndexChanged, this, [this](int i) {
        settings_.shape = BrushShape(i);
        report();
    });
    size_ = addSpin(form, "Size", kMinBrushSize, kMaxPanelBrushSize, settings_.size,
                    [this](int v) { settings_.size = v; });
    flow_ =
        addSpin(form, "Flow", 1, kMaxFlow, settings_.flow, [this](int v) { settings_.flow = v; });
    feather_ = new QComboBox(this);
    feather_->addItems({"No", "1px", "2px", "4px"});
    feather_->setCurrentIndex(settings_.featherIndex);
    form->addRow("Feathering", feather_);
    connect(feather_, &QComboBox::currentIndexChanged, this, [this](int i) {
        settings_.featherIndex = i;
        report();
    });
    mode_ = new QComboBox(this);
    mode_->addItems({"Normal", "Lighten", "Darken"});
    form->addRow("Mode:", mode_);
    connect(mode_, &QComboBox::currentIndexChanged, this, [this](int i) {
        settings_.mode = BrushMode(i);
        report();
    });
    colour_ = new ColourButton(this);
    form->addRow("Color", colour_);
    colour_->changed = [this](PaintColour c) {
        settings_.colour = c;
        report();
        if (colourChanged) colourChanged(c);
    };
    pick_ = new QPushButton("Pick", this);
    pick_->setCheckable(true);
    sample_ = new QComboBox(this);
    sample_->addItems({"1 px", "3x3", "5x5"});
    sample_->setCurrentIndex(kDefaultSample);
    form->addRow(pick_, sample_);
    connect(pick_, &QPushButton::toggled, this, [this] { report(); });
    toMask_ = new QCheckBox("Apply to mask", this);
    toMask_->setChecked(settings_.applyToMask);
    form->addRow(toMask_);
    connect(toMask_, &QCheckBox::toggled, this, [this](bool on) {
        settings_.applyToMask = on;
        report();
    });
    static_cast<QVBoxLayout*>(layout())->addLayout(form);
    form_ = form;
    showToolControls();
}

QSpinBox* HandToolsPanel::addSpin(QFormLayout* form, const QString& label, int min, int max,
                                  int value, std::function<void(int)> set) {
    auto* spin = new QSpinBox(this);
    spin->setRange(min, max);
    spin->setValue(value);
    form->addRow(label, spin);
    connect(spin, &QSpinBox::valueChanged, this, [this, set = std::move(set)](int v) {
        set(v);
        report();
    });
    return spin;
}

// The bucket has no size and calls its flow the tolerance; only the brush has a mode.
void HandToolsPanel::showToolControls() {
    const PaintTool tool = settings_.tool;
    form_->setRowVisible(size_, tool != PaintTool::Bucket);
    form_->setRowVisible(mode_, tool == PaintTool::Brush);
    if (auto* label = qobject_cast<QLabel*>(form_->labelForField(flow_)))
        label->setText(tool == PaintTool::Bucket ? "Tolerance" : "Flow");
}

void HandToolsPanel::setColour(PaintColour colour) {
    colour_->setColour(colour);
}

void HandToolsPanel::setEditingBackground(bool on) {
    form_->setRowVisible(toMask_, !on);
}

bool HandToolsPanel::picking() const {
    return pick_->isChecked();
}

void HandToolsPanel::pickFrom(const RasterImage& picture, int x, int y) {
    pick_->setChecked(false);
    if (x < 0 || y < 0 || x >= picture.width() || y >= picture.height()) return;
    // The sample sizes 1, 3 and 5 in the list's order.
    setColour(pickColour(picture, x, y, 2 * sample_->currentIndex() + 1));
}

void HandToolsPanel::choose(std::optional<PaintTool> tool) {
    if (stroke_) release();
    chosen_ = tool;
    // An exclusive group keeps one button down; let go of it to show none.
    tools_->setExclusive(false);
    for (QAbstractButton* b : tools_->buttons()) b->setChecked(tool && tools_->id(b) == int(*tool));
    tools_->setExclusive(true);
    if (tool) settings_.tool = *tool;
    showToolControls();
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
