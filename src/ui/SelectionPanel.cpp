#include "ui/SelectionPanel.h"

#include "ui/ToolButtonGrid.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace zx {

namespace {
constexpr int kToolColumns = 3;
const char* const kAutoMaskTip = "Auto mask: Applies to Selection Tools, Cleaner, Shrink and Grow";
} // namespace

SelectionPanel::SelectionPanel(ImageEditSelection& selection, QWidget* parent)
    : QGroupBox("Selection", parent), selection_(selection) {
    new QVBoxLayout(this);
    addToolButtons();
    addTypeButtons();
    addMaskButtons();
    addFeathering();
    addCleanerControls();
    refresh();
}

QToolButton* SelectionPanel::button(const QString& text, const QString& tip, bool checkable) {
    auto* b = new QToolButton(this);
    b->setText(text);
    b->setToolTip(tip);
    b->setCheckable(checkable);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return b;
}

void SelectionPanel::report() {
    if (changed) changed();
}

void SelectionPanel::addToolButtons() {
    const QStringList tips{"Rectangular Marquee", "Elliptical Marquee", "Free Hand Lasso",
                           "Line Lasso", "Magic backgound cleaner"};
    const QStringList texts{"Rectangle", "Ellipse", "Lasso", "Line Lasso", "Cleaner"};
    tools_ =
        addToolButtonGrid(this, static_cast<QVBoxLayout*>(layout()), texts, tips, kToolColumns);
    connect(tools_, &QButtonGroup::idClicked, this, [this](int id) {
        selection_.setTool(SelectionTool(id));
        report();
    });
}

void SelectionPanel::addTypeButtons() {
    const QStringList tips{"New Selection", "Add to previous selection",
                           "Subtract from previous selection", "Intersect with previous selection"};
    const QStringList texts{"New", "Add", "Subtract", "Intersect"};
    types_ = new QButtonGroup(this);
    auto* row = new QHBoxLayout;
    for (int i = 0; i < tips.size(); ++i) {
        QToolButton* b = button(texts[i], tips[i], true);
        types_->addButton(b, i);
        row->addWidget(b);
    }
    static_cast<QVBoxLayout*>(layout())->addLayout(row);
    connect(types_, &QButtonGroup::idClicked, this, [this](int id) {
        selection_.setType(SelectionType(id));
        report();
    });
}

void SelectionPanel::addMaskButtons() {
    auto* grid = new QGridLayout;
    QToolButton* inside = button("Show Inside", "Show masked selection  [Shift+I]", false);
    redMask_ = button("Red Mask", "Show subject below mask in red  [Shift+M]", true);
    QToolButton* all = button("Show All", "Show All - Disable mask  [Shift+A]", false);
    QToolButton* grow = button("Grow", "Grow selection", false);
    QToolButton* shrink = button("Shrink", "Shrink selection", false);
    grid->addWidget(inside, 0, 0);
    grid->addWidget(redMask_, 0, 1);
    grid->addWidget(all, 0, 2);
    grid->addWidget(grow, 1, 0);
    grid->addWidget(shrink, 1, 1);
    static_cast<QVBoxLayout*>(layout())->addLayout(grid);
    auto act = [this](QToolButton* b, bool (ImageEditSelection::*command)()) {
        connect(b, &QToolButton::clicked, this, [this, command] {
            (selection_.*command)();
            report();
        });
    };
    act(inside, &ImageEditSelection::showInside);
    act(all, &ImageEditSelection::showAll);
    act(grow, &ImageEditSelection::grow);
    act(shrink, &ImageEditSelection::shrink);
    connect(redMask_, &QToolButton::toggled, this, [this](bool on) {
        selection_.setRedMask(on);
        report();
    });
}

void SelectionPanel::addFeathering() {
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Feather", this));
    feather_ = new QButtonGroup(this);
    const QStringList texts{"No", "1px", "2px", "4px"};
    for (int i = 0; i < texts.size(); ++i) {
        auto* b = new QRadioButton(texts[i], this);
        feather_->addButton(b, i);
        row->addWidget(b);
    }
    autoMask_ = new QCheckBox("Auto", this);
    autoMask_->setToolTip(kAutoMaskTip);
    row->addWidget(autoMask_);
    static_cast<QVBoxLayout*>(layout())->addLayout(row);
    connect(feather_, &QButtonGroup::idClicked, this, [this](int id) {
        selection_.setFeather(id);
        report();
    });
    connect(autoMask_, &QCheckBox::toggled, this, [this](bool on) {
        selection_.setAutoMask(on);
        report();
    });
}

void SelectionPanel::addCleanerControls() {
    auto* grid = new QGridLayout;
    tolerance_ = new QSlider(Qt::Horizontal, this);
    tolerance_->setRange(kCleanerMinTolerance, kCleanerMaxTolerance);
    toleranceLabel_ = new QLabel(this);
    smoothing_ = new QCheckBox("Smoothing", this);
    auto* send = new QPushButton("Send Masked Subject to Background", this);
    grid->addWidget(new QLabel("Tolerance", this), 0, 0);
    grid->addWidget(tolerance_, 0, 1);
    grid->addWidget(toleranceLabel_, 0, 2);
    grid->addWidget(smoothing_, 1, 0, 1, 3);
    grid->addWidget(send, 2, 0, 1, 3);
    static_cast<QVBoxLayout*>(layout())->addLayout(grid);
    connect(tolerance_, &QSlider::valueChanged, this, [this](int v) {
        selection_.setTolerance(v);
        toleranceLabel_->setNum(v);
        report();
    });
    connect(smoothing_, &QCheckBox::toggled, this, [this](bool on) {
        selection_.setSmoothing(on);
        report();
    });
    connect(send, &QPushButton::clicked, this, [this] {
        selection_.sendToBackground();
        report();
    });
}

void SelectionPanel::refresh() {
    const SelectionSettings& s = selection_.settings();
    const QSignalBlocker b1(tolerance_), b2(smoothing_), b3(autoMask_), b4(redMask_);
    tools_->button(int(s.tool))->setChecked(true);
    types_->button(int(s.type))->setChecked(true);
    feather_->button(s.featherIndex)->setChecked(true);
    autoMask_->setChecked(s.autoMask);
    redMask_->setChecked(s.redMask);
    tolerance_->setValue(s.tolerance);
    toleranceLabel_->setNum(s.tolerance);
    smoothing_->setChecked(s.smoothing);
}

} // namespace zx
