#include "ui/AnimationPropertiesDialog.h"

#include "anim/AnimationModel.h"
#include "anim/CurveLibrary.h"
#include "commands/AnimationEditSession.h"
#include "ui/QtText.h"
#include "ui/TimeCurveEditorDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zx {

namespace {

constexpr int kPreviewSide = 64;
constexpr std::string_view kOwnCurveName = "User";
const char* const kUnitNames[3] = {"Pixels", "Meters", "Feet"};

QSlider* labelledSlider(int max, QGridLayout* grid, int row, const QStringList& marks,
                        QWidget* parent) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(0, max);
    grid->addWidget(slider, row, 0, 1, int(marks.size()));
    for (int i = 0; i < marks.size(); ++i) {
        auto* mark = new QLabel(marks[i], parent);
        mark->setAlignment(i == 0 ? Qt::AlignLeft
                                  : (i == marks.size() - 1 ? Qt::AlignRight : Qt::AlignCenter));
        grid->addWidget(mark, row + 1, i);
    }
    return slider;
}

// The library's name for a curve, or "User" for one of the object's own.
QString curveNameOf(const CurveLibrary& library, const TimeCurve& curve) {
    for (int i = 0; i < library.count(); ++i)
        if (library.curve(i) == curve) return qtText(library.name(i));
    return qtText(kOwnCurveName);
}

} // namespace

class CurvePreview : public QWidget {
public:
    explicit CurvePreview(QWidget* parent) : QWidget(parent) {
        setFixedSize(kPreviewSide, kPreviewSide);
    }
    TimeCurve curve;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setPen(QPen(Qt::darkBlue, 1));
        paintTimeCurve(p, curve, QRectF(rect().adjusted(2, 2, -2, -2)));
    }
};

AnimationPropertiesDialog::AnimationPropertiesDialog(AnimationEditSession& session,
                                                     CurveLibrary& curves,
                                                     std::filesystem::path userCurveFile,
                                                     Prompter& prompter,
                                                     std::function<void()> preview, QWidget* parent)
    : QDialog(parent), session_(session), curves_(curves), userCurveFile_(std::move(userCurveFile)),
      prompter_(prompter), preview_(std::move(preview)),
      model_(std::make_unique<AnimationPropertiesModel>(session.model())) {
    setWindowTitle("Current Animation Properties");
    editCurve = [this](const TimeCurve& curve) { return runCurveEditor(curve); };
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildObjects());
    auto* row = new QHBoxLayout;
    row->addWidget(buildJoints());
    row->addWidget(buildCurve());
    layout->addLayout(row);
    layout->addWidget(buildSize());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    registerFields();
    refresh();
    refreshSize();
}

AnimationPropertiesDialog::~AnimationPropertiesDialog() = default;

QWidget* AnimationPropertiesDialog::buildObjects() {
    auto* box = new QWidget(this);
    auto* v = new QVBoxLayout(box);
    objects_ = new QTreeWidget(box);
    objects_->setRootIsDecorated(false);
    objects_->setHeaderLabels({"Object", "Triangles", "Type"});
    objects_->setColumnWidth(0, 50);
    objects_->setColumnWidth(1, 100);
    objects_->setColumnWidth(2, 200);
    for (const ObjectRow& r : model_->rows())
        objects_->addTopLevelItem(
            new QTreeWidgetItem({qtText(r.object), qtText(r.triangles), qtText(r.type)}));
    connect(objects_, &QTreeWidget::currentItemChanged, this, [this] {
        model_->select(objects_->indexOfTopLevelItem(objects_->currentItem()));
        changed();
    });
    v->addWidget(objects_);
    frame_ = new QSlider(Qt::Horizontal, box);
    frame_->setRange(0, session_.model().lastFrameIndex);
    frame_->setValue(session_.model().currentFrameIndex);
    connect(frame_, &QSlider::valueChanged, this, [this](int v) {
        session_.setFrame(v);
        model_->setFrame(v);
        changed();
    });
    v->addWidget(frame_);
    return box;
}

QWidget* AnimationPropertiesDialog::buildJoints() {
    auto* box = new QGroupBox("Default Joints Parameters", this);
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel("Interaction:", box), 0, 0, 1, 3);
    interaction_ = labelledSlider(kInteractionSliderMax, grid, 1, {"Robot", "Human", "Teddy"}, box);
    grid->addWidget(new QLabel("Skin Fill Material:", box), 3, 0, 1, 3);
    skinFill_ = labelledSlider(kSkinFillSliderMax, grid, 4, {"Empty", "", "Full"}, box);
    applyToRegion_ = new QPushButton("Apply to Region", box);
    grid->addWidget(applyToRegion_, 6, 0, 1, 3);
    connect(interaction_, &QSlider::valueChanged, this, [this](int v) {
        model_->setInteractionSlider(v);
        changed();
    });
    connect(skinFill_, &QSlider::valueChanged, this, [this](int v) {
        model_->setSkinFillSlider(v);
        changed();
    });
    connect(applyToRegion_, &QPushButton::clicked, this, [this] {
        model_->applyToRegion();
        changed();
    });
    return box;
}

QWidget* AnimationPropertiesDialog::buildCurve() {
    auto* box = new QGroupBox(this);
    auto* grid = new QGridLayout(box);
    reverse_ = new QCheckBox("Reverse", box);
    invert_ = new QCheckBox("Invert", box);
    curveName_ = new QLabel(box);
    curvePreview_ = new CurvePreview(box);
    auto* change = new QPushButton("Change...", box);
    grid->addWidget(reverse_, 0, 0);
    grid->addWidget(invert_, 0, 1);
    grid->addWidget(curveName_, 1, 0, 1, 2);
    grid->addWidget(curvePreview_, 2, 0);
    grid->addWidget(change, 2, 1);
    connect(reverse_, &QCheckBox::toggled, this, [this](bool on) {
        model_->setReverse(on);
        changed();
    });
    connect(invert_, &QCheckBox::toggled, this, [this](bool on) {
        model_->setInvert(on);
        changed();
    });
    connect(change, &QPushButton::clicked, this, [this] {
        if (auto curve = editCurve(model_->curve())) {
            model_->setCurve(*curve);
            changed();
        }
    });
    fields_.addButton("Change...", change);
    return box;
}

QWidget* AnimationPropertiesDialog::buildSize() {
    auto* box = new QGroupBox("Scenery Size", this);
    auto* grid = new QGridLayout(box);
    auto* group = new QButtonGroup(box);
    for (int u = 0; u < 3; ++u) {
        units_[u] = new QRadioButton(kUnitNames[u], box);
        group->addButton(units_[u], u);
        grid->addWidget(units_[u], 0, u);
    }
    units_[0]->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this](int u) {
        model_->setUnit(SizeUnit(u));
        refreshSize();
    });
    width_ = new QLineEdit(box);
    height_ = new QLineEdit(box);
    grid->addWidget(new QLabel("Width", box), 1, 0);
    grid->addWidget(width_, 1, 1);
    grid->addWidget(new QLabel("Height", box), 2, 0);
    grid->addWidget(height_, 2, 1);
    connect(width_, &QLineEdit::editingFinished, this, [this] { typedSize(width_, true); });
    connect(height_, &QLineEdit::editingFinished, this, [this] { typedSize(height_, false); });
    return box;
}

void AnimationPropertiesDialog::registerFields() {
    fields_.add("Object", [this](const QString& value) {
        bool ok = false;
        const int row = value.toInt(&ok) - 1;
        if (!ok || row < 0 || row >= objects_->topLevelItemCount()) return false;
        objects_->setCurrentItem(objects_->topLevelItem(row));
        return true;
    });
    fields_.addSlider("Frame", frame_);
    fields_.addSlider("Interaction:", interaction_);
    fields_.addSlider("Skin Fill Material:", skinFill_);
    fields_.addCheck("Reverse", reverse_);
    fields_.addCheck("Invert", invert_);
    fields_.addButton("Apply to Region", applyToRegion_);
    for (int u = 0; u < 3; ++u) fields_.addButton(kUnitNames[u], units_[u]);
    fields_.addEdit("Width", width_);
    fields_.addEdit("Height", height_);
}

void AnimationPropertiesDialog::changed() {
    refresh();
    session_.preview();
    if (preview_) preview_();
}

void AnimationPropertiesDialog::refresh() {
    const AnimationPropertiesModel& m = *model_;
    const QSignalBlocker b1(objects_), b2(interaction_), b3(skinFill_), b4(reverse_), b5(invert_);
    if (m.selected() >= 0) objects_->setCurrentItem(objects_->topLevelItem(m.selected()));
    interaction_->setValue(m.interactionSlider());
    skinFill_->setValue(m.skinFillSlider());
    interaction_->setEnabled(m.jointControlsEnabled());
    applyToRegion_->setEnabled(m.jointControlsEnabled());
    skinFill_->setEnabled(m.skinFillEnabled());
    reverse_->setChecked(m.reverse());
    invert_->setChecked(m.invert());
    curvePreview_->curve = m.curve();
    curvePreview_->update();
    curveName_->setText("Current Curve: " + curveNameOf(curves_, m.curve()));
}

void AnimationPropertiesDialog::refreshSize() {
    width_->setText(QString::number(model_->displayedWidth(), 'g', 8));
    height_->setText(QString::number(model_->displayedHeight(), 'g', 8));
}

void AnimationPropertiesDialog::typedSize(QLineEdit* edit, bool width) {
    bool ok = false;
    const double v = edit->text().trimmed().toDouble(&ok);
    if (ok && (width ? model_->setDisplayedWidth(v) : model_->setDisplayedHeight(v))) changed();
    refreshSize();
}

std::optional<TimeCurve> AnimationPropertiesDialog::runCurveEditor(const TimeCurve& curve) {
    TimeCurveEditorDialog editor(curves_, userCurveFile_, curve, prompter_, this);
    if (editor.exec() != QDialog::Accepted) return std::nullopt;
    return editor.curve();
}

void AnimationPropertiesDialog::accept() {
    session_.keep(kAnimationPropertiesLabel);
    if (preview_) preview_();
    QDialog::accept();
}

void AnimationPropertiesDialog::reject() {
    model_->cancel();
    session_.cancel();
    if (preview_) preview_();
    QDialog::reject();
}

} // namespace zx
