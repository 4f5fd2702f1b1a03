#include "ui/ShapeToolsPanel.h"

#include "ui/ColourButton.h"
#include "ui/QtText.h"
#include "ui/ToolButtonGrid.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace zx {

namespace {
constexpr int kToolColumns = 2;
} // namespace

ShapeToolsPanel::ShapeToolsPanel(Workspace& workspace, const ImageEditSelection& selection,
                                 QWidget* parent)
    : QGroupBox("Shape Tools", parent), tool_(workspace), selection_(selection) {
    new QVBoxLayout(this);
    addToolButtons();
    addSettings();
}

void ShapeToolsPanel::addToolButtons() {
    const QStringList tips{"Draw a Line", "Draw a Rectangle", "Draw a Filled Rectangle",
                           "Draw and Ellipse or a Circle", "Draw a filled Ellipse or Circle"};
    QStringList names;
    for (ShapeKind kind : kShapeKinds) names << qtText(shapeKindName(kind));
    tools_ =
        addToolButtonGrid(this, static_cast<QVBoxLayout*>(layout()), names, tips, kToolColumns);
    connect(tools_, &QButtonGroup::idClicked, this, [this](int id) {
        chosen_ = ShapeKind(id);
        changeSettings([id](ShapeSettings& s) { s.kind = ShapeKind(id); });
    });
}

void ShapeToolsPanel::addSettings() {
    auto* form = new QFormLayout;
    const ShapeSettings& s = tool_.settings();
    width_ = new QSpinBox(this);
    width_->setRange(kMinShapeWidth, kMaxShapeWidth);
    width_->setValue(s.width);
    form->addRow("Width", width_);
    connect(width_, &QSpinBox::valueChanged, this,
            [this](int v) { changeSettings([v](ShapeSettings& st) { st.width = v; }); });
    smoothing_ = new QComboBox(this);
    smoothing_->addItems({"No", "1px", "2px", "4px"});
    smoothing_->setCurrentIndex(s.featherIndex);
    form->addRow("Smoothing", smoothing_);
    connect(smoothing_, &QComboBox::currentIndexChanged, this,
            [this](int i) { changeSettings([i](ShapeSettings& st) { st.featherIndex = i; }); });
    colour_ = new ColourButton(this);
    form->addRow("Color", colour_);
    colour_->changed = [this](PaintColour c) {
        changeSettings([c](ShapeSettings& st) { st.colour = c; });
        if (colourChanged) colourChanged(c);
    };
    apply_ = new QPushButton("APPLY", this);
    form->addRow(apply_);
    connect(apply_, &QPushButton::clicked, this, [this] { apply(); });
    static_cast<QVBoxLayout*>(layout())->addLayout(form);
}

void ShapeToolsPanel::changeSettings(const std::function<void(ShapeSettings&)>& change) {
    ShapeSettings s = tool_.settings();
    change(s);
    tool_.setSettings(s);
    report();
}

void ShapeToolsPanel::choose(std::optional<ShapeKind> kind) {
    chosen_ = kind;
    // An exclusive group keeps one button down; let go of it to show none.
    tools_->setExclusive(false);
    for (QAbstractButton* b : tools_->buttons()) b->setChecked(kind && tools_->id(b) == int(*kind));
    tools_->setExclusive(true);
    if (kind)
        changeSettings([kind](ShapeSettings& s) { s.kind = *kind; });
    else {
        tool_.cancel();
        report();
    }
}

void ShapeToolsPanel::setColour(PaintColour colour) {
    colour_->setColour(colour);
}

bool ShapeToolsPanel::apply() {
    if (!tool_.apply(selection_.settings().editingBackground)) return false;
    if (applied) applied();
    report();
    return true;
}

void ShapeToolsPanel::report() {
    if (changed) changed();
}

} // namespace zx
