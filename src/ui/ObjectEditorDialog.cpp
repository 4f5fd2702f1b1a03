#include "ui/ObjectEditorDialog.h"

#include "anim/AnimationModel.h"
#include "anim/TimeCurve.h"
#include "commands/AnimationEditSession.h"
#include "platform/Prompter.h"
#include "storage/ImageFile.h"
#include "ui/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>
#include <optional>

namespace zx {

namespace {

// The "Replace..." file dialog's filters: pictures and videos (their first frame).
const QString kTextureFilters =
    "Image/Video files (jpg, jpeg, png, avi, flv, mov, mp4, 3gp, mpeg, ogg, vcd, vob, wmv) "
    "(*.jpg *.jpeg *.png *.avi *.flv *.mov *.mp4 *.3gp *.mpeg *.mpg *.ogg *.vcd *.vob *.wmv);;"
    "Image files (*.jpg *.jpeg *.png);;"
    "Video files (*.avi *.flv *.mov *.mp4 *.3gp *.mpeg *.mpg *.ogg *.vcd *.vob *.wmv)";
const QString kLibraryFilter = "Library objects (*.zxl)";
constexpr std::string_view kCouldNotLoad = ": Could not load";

} // namespace

namespace {

constexpr int kGraphSize = 160;
// Typed values at or beyond this are ignored.
constexpr double kLargestTypedValue = 2147483648.0;

QSlider* horizontalSlider(int max, QWidget* parent) {
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setRange(0, max);
    return s;
}

QPushButton* toolButton(const QString& text, const QString& tip, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setToolTip(tip);
    return b;
}

// The number in a field, or none when it does not read as one below 2^31.
std::optional<double> typedNumber(const QLineEdit* edit) {
    bool ok = false;
    const double v = edit->text().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::abs(v) >= kLargestTypedValue) return std::nullopt;
    return v;
}

} // namespace

// The selected effect's table drawn from start to end, its curve points marked.
class EffectCurveGraph : public QWidget {
public:
    explicit EffectCurveGraph(QWidget* parent) : QWidget(parent) {
        setFixedSize(kGraphSize, kGraphSize);
    }
    ObjectEditorModel* model = nullptr;
    std::function<void()> edited; // after a click or drag changed the curve

protected:
    void mousePressEvent(QMouseEvent* e) override {
        if (!model || e->button() != Qt::LeftButton) return;
        const QPoint g = gridPoint(e->position());
        model->graphPress(g.x(), g.y());
        if (edited) edited();
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (!model || !(e->buttons() & Qt::LeftButton)) return;
        const QPoint g = gridPoint(e->position());
        model->graphDrag(g.x(), g.y());
        if (edited) edited();
    }
    void mouseReleaseEvent(QMouseEvent*) override {
        if (model) model->graphRelease();
    }

    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setPen(Qt::lightGray);
        p.drawLine(0, height() / 2, width(), height() / 2);
        if (!model) return;
        const ObjectEffect& e = model->selectedEffect();
        const auto at = [this](int x, double position) {
            return QPointF(x * (width() - 1) / 512.0,
                           (height() - 1) * (1 - position / kEffectGraphRange));
        };
        p.setPen(QPen(Qt::darkBlue, 1));
        if (e.table.size() == size_t(kCurveGrid + 1)) {
            for (int x = 1; x <= kCurveGrid; ++x)
                p.drawLine(at(x - 1, model->graphPosition(e.table[size_t(x - 1)])),
                           at(x, model->graphPosition(e.table[size_t(x)])));
        } else {
            const int y = model->graphPosition(e.startValue);
            p.drawLine(at(0, y), at(kCurveGrid, y));
        }
        p.setBrush(Qt::red);
        for (const EffectPoint& point : e.points)
            p.drawEllipse(at(point.x, model->graphPosition(point.y)), 2.5, 2.5);
    }

private:
    // Curve x 0 … 512 and graph height 0 … 256 (upwards) of a widget position.
    QPoint gridPoint(QPointF at) const {
        return {int(std::lround(at.x() * kCurveGrid / (width() - 1))),
                int(std::lround((height() - 1 - at.y()) * kEffectGraphRange / (height() - 1)))};
    }
};

ObjectEditorDialog::ObjectEditorDialog(AnimationEditSession& session, int slot, bool perspective,
                                       Prompter& prompter, std::function<void()> preview,
                                       QWidget* parent)
    : QDialog(parent), session_(session), perspective_(perspective), prompter_(prompter),
      preview_(std::move(preview)) {
    setWindowTitle("Object Editor");
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    left->addWidget(buildEffects());
    left->addWidget(buildSpeed());
    left->addWidget(buildButtons());
    layout->addLayout(left);
    layout->addWidget(buildMaterials());
    materialsBox_->hide();
    registerFields();
    openOn(slot);
}

ObjectEditorDialog::~ObjectEditorDialog() = default;

QWidget* ObjectEditorDialog::buildEffects() {
    auto* box = new QGroupBox(this);
    auto* grid = new QGridLayout(box);
    effectList_ = new QComboBox(box);
    grid->addWidget(new QLabel("Effect to edit:", box), 0, 0);
    grid->addWidget(effectList_, 0, 1, 1, 3);
    connect(effectList_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (i < 0 || i >= int(model_->effects().size())) return;
        model_->select(model_->effects()[size_t(i)]);
        refresh();
    });

    startSlider_ = horizontalSlider(kEffectSliderRange, box);
    startSlider_->setToolTip("Selected effect Start value");
    endSlider_ = horizontalSlider(kEffectSliderRange, box);
    endSlider_->setToolTip("Selected effect End value");
    connect(startSlider_, &QSlider::valueChanged, this, [this](int v) {
        model_->setStartSlider(v);
        changed();
    });
    connect(endSlider_, &QSlider::valueChanged, this, [this](int v) {
        model_->setEndSlider(v);
        changed();
    });
    auto* startDefault = toolButton("D", "Set default start value", box);
    auto* endDefault = toolButton("D", "Set default end value", box);
    connect(startDefault, &QPushButton::clicked, this, [this] {
        model_->setDefaultStart();
        changed();
    });
    connect(endDefault, &QPushButton::clicked, this, [this] {
        model_->setDefaultEnd();
        changed();
    });
    startEdit_ = new QLineEdit(box);
    endEdit_ = new QLineEdit(box);
    connect(startEdit_, &QLineEdit::editingFinished, this,
            [this] { typedValue(startEdit_, true); });
    connect(endEdit_, &QLineEdit::editingFinished, this, [this] { typedValue(endEdit_, false); });
    grid->addWidget(new QLabel("Start", box), 1, 0);
    grid->addWidget(startSlider_, 1, 1);
    grid->addWidget(startDefault, 1, 2);
    grid->addWidget(startEdit_, 1, 3);
    grid->addWidget(new QLabel("End", box), 2, 0);
    grid->addWidget(endSlider_, 2, 1);
    grid->addWidget(endDefault, 2, 2);
    grid->addWidget(endEdit_, 2, 3);

    lock_ = toolButton("Lock", "Slider Coupling", box);
    lock_->setCheckable(true);
    connect(lock_, &QPushButton::toggled, this, [this](bool on) { model_->setLocked(on); });
    linear_ = new QCheckBox("Linear", box);
    connect(linear_, &QCheckBox::toggled, this, [this](bool on) {
        model_->setLinear(on);
        changed();
    });
    auto* reset = new QPushButton("Reset", box);
    connect(reset, &QPushButton::clicked, this, [this] {
        model_->resetCurve();
        changed();
    });
    auto* row = new QHBoxLayout;
    row->addWidget(lock_);
    row->addWidget(linear_);
    row->addWidget(reset);
    grid->addLayout(row, 3, 0, 1, 4);

    frameSlider_ = horizontalSlider(0, box);
    frameEdit_ = new QLineEdit(box);
    valueEdit_ = new QLineEdit(box);
    connect(frameSlider_, &QSlider::valueChanged, this, [this](int v) {
        session_.setFrame(v);
        frameEdit_->setText(QString::number(v));
        if (preview_) preview_();
    });
    connect(frameEdit_, &QLineEdit::editingFinished, this, [this] {
        if (auto v = typedNumber(frameEdit_)) frameSlider_->setValue(int(*v));
        frameEdit_->setText(QString::number(frameSlider_->value()));
    });
    connect(valueEdit_, &QLineEdit::editingFinished, this, [this] {
        if (auto v = typedNumber(valueEdit_)) {
            model_->setValueAtFrame(frameSlider_->value(), *v);
            changed();
        }
    });
    grid->addWidget(new QLabel("Frame:", box), 4, 0);
    grid->addWidget(frameSlider_, 4, 1);
    grid->addWidget(frameEdit_, 4, 3);
    grid->addWidget(new QLabel("Value:", box), 5, 0);
    grid->addWidget(valueEdit_, 5, 3);
    graph_ = new EffectCurveGraph(box);
    graph_->edited = [this] { changed(); };
    grid->addWidget(graph_, 0, 4, 6, 1);
    return box;
}

QWidget* ObjectEditorDialog::buildSpeed() {
    auto* box = new QGroupBox("Object Play Speed", this);
    auto* grid = new QGridLayout(box);
    speedSlider_ = horizontalSlider(kEffectSliderRange, box);
    speedEdit_ = new QLineEdit(box);
    loop_ = new QCheckBox("autoloop", box);
    loop_->setToolTip("Auto Loop");
    auto* fit = toolButton("Fit", "Fit object animation time", box);
    connect(speedSlider_, &QSlider::valueChanged, this, [this](int v) {
        model_->setSpeedSlider(v);
        changed();
    });
    connect(speedEdit_, &QLineEdit::editingFinished, this, [this] {
        if (auto v = typedNumber(speedEdit_)) model_->setSpeed(float(*v));
        changed();
    });
    connect(loop_, &QCheckBox::toggled, this, [this](bool on) {
        model_->setLoop(on);
        changed();
    });
    connect(fit, &QPushButton::clicked, this, [this] {
        model_->fitAnimationTime();
        changed();
    });
    startFrameSlider_ = horizontalSlider(0, box);
    startFrameEdit_ = new QLineEdit(box);
    ownFrames_ = new QLabel(box);
    connect(startFrameSlider_, &QSlider::valueChanged, this, [this](int v) {
        model_->setStartFrame(v);
        changed();
    });
    connect(startFrameEdit_, &QLineEdit::editingFinished, this, [this] {
        if (auto v = typedNumber(startFrameEdit_)) startFrameSlider_->setValue(int(*v));
        refresh();
    });
    grid->addWidget(speedSlider_, 0, 0, 1, 2);
    grid->addWidget(speedEdit_, 0, 2);
    grid->addWidget(loop_, 0, 3);
    grid->addWidget(fit, 0, 4);
    grid->addWidget(new QLabel("Start Frame:", box), 1, 0);
    grid->addWidget(startFrameSlider_, 1, 1);
    grid->addWidget(startFrameEdit_, 1, 2);
    grid->addWidget(ownFrames_, 1, 3);
    return box;
}

QWidget* ObjectEditorDialog::buildMaterials() {
    materialsBox_ = new QGroupBox(this);
    auto* grid = new QGridLayout(materialsBox_);
    grid->addWidget(new QLabel("Materials:\nStay clicked to show on 3D\nDouble click to edit name",
                               materialsBox_),
                    0, 0, 1, 4);
    materialList_ = new QListWidget(materialsBox_);
    grid->addWidget(materialList_, 1, 0, 1, 4);
    connect(materialList_, &QListWidget::currentRowChanged, this, [this] { refreshMaterials(); });
    connect(materialList_, &QListWidget::itemDoubleClicked, this, [this] {
        const int row = selectedMaterial();
        if (row < 0) return;
        bool ok = false;
        const QString name =
            QInputDialog::getText(this, "Material", "Name", QLineEdit::Normal,
                                  qtText(model_->materials()[size_t(row)].name), &ok);
        if (ok) model_->renameMaterial(row, engineText(name));
        refreshMaterials();
    });
    const auto showButton = [this](const QString& text, bool shown, bool all) {
        auto* b = new QPushButton(text, materialsBox_);
        connect(b, &QPushButton::clicked, this, [this, shown, all] {
            if (all)
                model_->setAllShown(shown);
            else
                model_->setShown(selectedMaterial(), shown);
            refreshMaterials();
        });
        return b;
    };
    grid->addWidget(showButton("Show", true, false), 2, 0);
    grid->addWidget(showButton("Hide", false, false), 2, 1);
    grid->addWidget(showButton("Show All", true, true), 2, 2);
    grid->addWidget(showButton("Hide All", false, true), 2, 3);
    const char* names[4] = {"Red", "Green", "Blue", "Transparency"};
    for (int f = 0; f < 4; ++f) {
        colourEdits_[f] = new QLineEdit(materialsBox_);
        grid->addWidget(new QLabel(names[f], materialsBox_), 3 + f, 0);
        grid->addWidget(colourEdits_[f], 3 + f, 1);
        connect(colourEdits_[f], &QLineEdit::editingFinished, this,
                [this, f] { typedColour(colourEdits_[f], ColourField(f)); });
    }
    const auto button = [this, grid](const QString& text, int row, int column, auto action) {
        auto* b = new QPushButton(text, materialsBox_);
        grid->addWidget(b, row, column);
        connect(b, &QPushButton::clicked, this, action);
    };
    // Unticked, typed colours wait in their fields until ticked again or "All".
    applyColour_ = new QCheckBox("Apply", materialsBox_);
    applyColour_->setChecked(true);
    grid->addWidget(applyColour_, 3, 2);
    connect(applyColour_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) colourToMaterials(false);
    });
    button("All", 4, 2, [this] { colourToMaterials(true); });
    button("Flip Horiz", 7, 0, [this] { flip(true); });
    button("Flip Vert", 7, 1, [this] { flip(false); });
    button("Replace...", 7, 2, [this] { replaceTexture(); });
    button("Save Object", 8, 0, [this] { saveObject(false); });
    button("Save Obj As...", 8, 1, [this] { saveObject(true); });
    return materialsBox_;
}

void ObjectEditorDialog::flip(bool horizontal) {
    if (model_->flipTexture(selectedMaterial(), horizontal)) changed();
}

void ObjectEditorDialog::replaceTexture() {
    if (selectedMaterial() < 0) return;
    const QString file = QFileDialog::getOpenFileName(this, "Replace", {}, kTextureFilters);
    if (file.isEmpty()) return;
    Result<RasterImage> picture = loadImage(enginePath(file), nullptr);
    if (!picture || picture->empty()) {
        prompter_.message(engineText(QFileInfo(file).fileName()) + std::string(kCouldNotLoad));
        return;
    }
    if (model_->replaceTexture(selectedMaterial(), std::move(*picture))) changed();
}

void ObjectEditorDialog::saveObject(bool choose) {
    QString file = qtPath(model_->libraryFile());
    if (choose || file.isEmpty())
        file = QFileDialog::getSaveFileName(this, "Save Obj As...", file, kLibraryFilter);
    if (file.isEmpty()) return;
    SaveAnimationOptions options;
    options.prompter = &prompter_;
    Result<std::string> saved = model_->saveObject(enginePath(file), options);
    if (!saved && !saved.status().message().empty()) prompter_.message(saved.status().message());
    changed();
}

QWidget* ObjectEditorDialog::buildButtons() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    auto* previous = toolButton("<", "Save and select previous object", bar);
    auto* next = toolButton(">", "Save and select next object", bar);
    materialsToggle_ = new QPushButton("Materials >>", bar);
    connect(previous, &QPushButton::clicked, this, [this] { moveToObject(-1); });
    connect(next, &QPushButton::clicked, this, [this] { moveToObject(1); });
    connect(materialsToggle_, &QPushButton::clicked, this, [this] {
        if (materialsBox_->isVisible() && !materialsMayBeLost()) return;
        materialsBox_->setVisible(!materialsBox_->isVisible());
        materialsToggle_->setText(materialsBox_->isVisible() ? "<< Materials" : "Materials >>");
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, bar);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    row->addWidget(previous);
    row->addWidget(next);
    row->addWidget(materialsToggle_);
    row->addStretch();
    row->addWidget(buttons);
    return bar;
}

void ObjectEditorDialog::registerFields() {
    fields_.addChoice("Effect to edit:", effectList_);
    fields_.addSlider("Selected effect Start value", startSlider_);
    fields_.addSlider("Selected effect End value", endSlider_);
    fields_.addEdit("Start", startEdit_);
    fields_.addEdit("End", endEdit_);
    fields_.addCheck("Lock", lock_);
    fields_.addCheck("Linear", linear_);
    fields_.addSlider("Frame:", frameSlider_);
    fields_.addEdit("Value:", valueEdit_);
    fields_.addSlider("Object Play Speed", speedSlider_);
    fields_.addEdit("Speed", speedEdit_);
    fields_.addCheck("Auto Loop", loop_);
    fields_.addSlider("Start Frame:", startFrameSlider_);
    const char* names[4] = {"Red", "Green", "Blue", "Transparency"};
    for (int f = 0; f < 4; ++f) fields_.addEdit(names[f], colourEdits_[f]);
    fields_.addCheck("Apply", applyColour_);
    for (auto* b : findChildren<QPushButton*>())
        if (!b->toolTip().isEmpty()) fields_.addButton(b->toolTip(), b);
}

void ObjectEditorDialog::openOn(int slot) {
    model_ = std::make_unique<ObjectEditorModel>(session_.model(), slot, perspective_);
    graph_->model = model_.get();
    QSignalBlocker block(effectList_);
    effectList_->clear();
    for (EffectKind kind : model_->effects())
        effectList_->addItem(qtText(kEffectLabels[size_t(kind)]));
    effectList_->setCurrentIndex(0);
    const AnimationModel& m = session_.model();
    {
        QSignalBlocker blockFrame(frameSlider_);
        frameSlider_->setRange(0, m.lastFrameIndex);
        frameSlider_->setValue(m.currentFrameIndex);
    }
    frameEdit_->setText(QString::number(m.currentFrameIndex));
    setWindowTitle("Object Editor - " + qtText(m.objectTypeText(slot)));
    refresh();
    refreshMaterials();
}

void ObjectEditorDialog::moveToObject(int step) {
    const AnimationModel& m = session_.model();
    if (!materialsMayBeLost()) return;
    for (int i = 1; i < m.objectCount; ++i) {
        const int slot =
            ((model_->slot() + step * i) % m.objectCount + m.objectCount) % m.objectCount;
        if (!m.object(slot).isLibrary()) continue;
        model_->commit();
        openOn(slot);
        changed();
        return;
    }
}

bool ObjectEditorDialog::materialsMayBeLost() {
    return !model_->materialsChanged() || prompter_.askYesNo(kMaterialsLostQuestion);
}

void ObjectEditorDialog::changed() {
    refresh();
    session_.preview();
    if (preview_) preview_();
}

void ObjectEditorDialog::refresh() {
    const ObjectEditorModel& m = *model_;
    const QSignalBlocker b1(startSlider_), b2(endSlider_), b3(linear_), b4(speedSlider_), b5(loop_),
        b6(startFrameSlider_);
    startSlider_->setValue(m.startSlider());
    endSlider_->setValue(m.endSlider());
    startEdit_->setText(QString::number(m.startDisplay()));
    endEdit_->setText(QString::number(m.endDisplay()));
    linear_->setChecked(m.linear());
    speedSlider_->setValue(sliderFromSpeed(m.speed()));
    speedEdit_->setText(QString::number(double(m.speed())));
    loop_->setChecked(m.loop());
    startFrameSlider_->setRange(0, m.ownFrameCount());
    const int startFrame = int(std::lround(m.object().timeOffset * float(m.ownFrameCount())));
    startFrameSlider_->setValue(startFrame);
    startFrameEdit_->setText(QString::number(startFrame));
    ownFrames_->setText("of " + QString::number(m.ownFrameCount()));
    graph_->update();
}

void ObjectEditorDialog::refreshMaterials() {
    const int row = selectedMaterial();
    {
        const QSignalBlocker block(materialList_);
        materialList_->clear();
        for (const ObjectMaterial& m : model_->materials())
            materialList_->addItem(qtText(materialListText(m)));
        materialList_->setCurrentRow(row < materialList_->count() ? row : 0);
    }
    const int current = selectedMaterial();
    for (int f = 0; f < 4; ++f)
        colourEdits_[f]->setText(
            current < 0 ? QString()
                        : QString::number(colourField(model_->materials()[size_t(current)].colour,
                                                      ColourField(f))));
}

int ObjectEditorDialog::selectedMaterial() const {
    const int row = materialList_->currentRow();
    return row >= 0 && row < int(model_->materials().size()) ? row : -1;
}

void ObjectEditorDialog::typedValue(QLineEdit* edit, bool start) {
    if (auto v = typedNumber(edit)) {
        if (start ? model_->setStartDisplay(*v) : model_->setEndDisplay(*v)) {
            changed();
            return;
        }
    }
    refresh();
}

void ObjectEditorDialog::typedColour(QLineEdit* edit, ColourField field) {
    bool ok = false;
    const int v = edit->text().trimmed().toInt(&ok);
    if (!applyColour_->isChecked()) { // only checked: the material changes later
        uint32_t word = 0;
        const Status s = setColourField(word, field, ok ? v : -1);
        if (s) return;
        if (!s.message().empty()) prompter_.message(s.message());
        const int m = selectedMaterial(); // refused: the field shows the material's again
        edit->setText(
            QString::number(m < 0 ? 0 : colourField(model_->materials()[size_t(m)].colour, field)));
        return;
    }
    const Status s = model_->setColour(selectedMaterial(), field, ok ? v : -1);
    if (!s.isOk() && !s.message().empty()) prompter_.message(s.message());
    refreshMaterials();
}

// The four colour fields to the selected material, or to every material.
void ObjectEditorDialog::colourToMaterials(bool all) {
    const int count = int(model_->materials().size());
    const int first = all ? 0 : selectedMaterial(), last = all ? count - 1 : first;
    for (int m = std::max(0, first); m <= last && m < count; ++m)
        for (int f = 0; f < 4; ++f) {
            bool ok = false;
            const int v = colourEdits_[f]->text().trimmed().toInt(&ok);
            if (ok) (void)model_->setColour(m, ColourField(f), v);
        }
    refreshMaterials();
}

void ObjectEditorDialog::accept() {
    if (!materialsMayBeLost()) return;
    model_->commit();
    session_.keep(kEditObjectLabel);
    if (preview_) preview_();
    QDialog::accept();
}

void ObjectEditorDialog::reject() {
    if (!materialsMayBeLost()) return;
    model_->cancel();
    session_.cancel();
    if (preview_) preview_();
    QDialog::reject();
}

} // namespace zx
