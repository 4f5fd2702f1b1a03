#include "ui/TimeCurveEditorDialog.h"

#include "platform/Prompter.h"
#include "ui/QtText.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>

namespace zx {

namespace {

constexpr int kAreaSide = kCurveGrid + 1;
constexpr int kThumbSide = 72;
constexpr int kThumbLabel = 16;
constexpr int kStripColumns = 2; // two curves a scroll step
constexpr int kStripRows = 4;

} // namespace

void paintTimeCurve(QPainter& p, const TimeCurve& curve, const QRectF& box) {
    const CurveTable table = sampleTimeCurve(curve);
    const auto at = [&box](double x, double y) {
        return QPointF(box.left() + x * box.width() / kCurveGrid,
                       box.bottom() - y * box.height() / kCurveGrid);
    };
    QPainterPath path;
    if (table.size() == size_t(kCurveTableSize)) {
        path.moveTo(at(0, table[0] & 0x3FF));
        for (int i = 1; i < kCurveTableSize; ++i) path.lineTo(at(i, table[size_t(i)] & 0x3FF));
    } else if (!curve.points.empty()) {
        path.moveTo(at(curvePointX(curve.points[0]), curvePointY(curve.points[0])));
        for (uint32_t point : curve.points) path.lineTo(at(curvePointX(point), curvePointY(point)));
    }
    p.drawPath(path);
}

// The drawing area: one pixel a grid unit, y growing upwards.
class CurveArea : public QWidget {
public:
    explicit CurveArea(TimeCurveEditorDialog& dialog) : QWidget(&dialog), dialog_(dialog) {
        setFixedSize(kAreaSide, kAreaSide);
        setMouseTracking(true);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setPen(QColor(220, 220, 220));
        for (int g = 64; g < kCurveGrid; g += 64) {
            p.drawLine(g, 0, g, kCurveGrid);
            p.drawLine(0, g, kCurveGrid, g);
        }
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::darkBlue, 2));
        paintTimeCurve(p, dialog_.curve(), QRectF(0, 0, kCurveGrid, kCurveGrid));
        const auto& points = dialog_.curve().points;
        for (int i = 0; i < int(points.size()); ++i) {
            p.setBrush(i == dialog_.model().heldPoint() ? Qt::red : Qt::blue);
            p.drawEllipse(QPointF(curvePointX(points[size_t(i)]),
                                  kCurveGrid - curvePointY(points[size_t(i)])),
                          3.5, 3.5);
        }
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() != Qt::LeftButton) return;
        dialog_.model().press(int(e->position().x()), int(e->position().y()));
        dialog_.curveChanged();
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        const int x = int(e->position().x()), y = int(e->position().y());
        if (e->buttons() & Qt::LeftButton) {
            dialog_.model().drag(x, y);
            dialog_.curveChanged();
        }
        dialog_.showPointer(gridPointInArea(x, y));
    }
    void mouseReleaseEvent(QMouseEvent*) override {
        dialog_.model().release();
        update();
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        // The press of a double-click has just made the point under the pointer the held one.
        dialog_.model().press(int(e->position().x()), int(e->position().y()));
        dialog_.model().doubleClick();
        dialog_.curveChanged();
    }

private:
    TimeCurveEditorDialog& dialog_;
};

// The "Curve Library" strip: thumbnails with names, two a row.
class CurveStrip : public QWidget {
public:
    CurveStrip(TimeCurveEditorDialog& dialog, QScrollBar& scroll)
        : QWidget(&dialog), dialog_(dialog), scroll_(scroll) {
        setFixedSize(kStripColumns * kThumbSide, kStripRows * (kThumbSide + kThumbLabel));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().window());
        const CurveLibrary& library = dialog_.model().library();
        for (int cell = 0; cell < kStripColumns * kStripRows; ++cell) {
            const int index = scroll_.value() * kStripColumns + cell;
            if (index >= library.count()) break;
            const QRect box = cellRect(cell);
            const QRectF plot = QRectF(box.adjusted(4, 4, -4, -kThumbLabel));
            p.fillRect(plot, Qt::white);
            p.setPen(QPen(Qt::darkBlue, 1));
            paintTimeCurve(p, library.curve(index), plot);
            p.setPen(palette().windowText().color());
            p.drawText(
                QRect(box.left(), box.bottom() - kThumbLabel, box.width(), kThumbLabel),
                Qt::AlignCenter | Qt::TextSingleLine,
                fontMetrics().elidedText(qtText(library.name(index)), Qt::ElideRight, box.width()));
        }
    }
    void mousePressEvent(QMouseEvent* e) override {
        for (int cell = 0; cell < kStripColumns * kStripRows; ++cell)
            if (cellRect(cell).contains(e->position().toPoint())) {
                dialog_.model().takeLibraryCurve(scroll_.value() * kStripColumns + cell);
                dialog_.curveChanged();
                return;
            }
    }

private:
    static QRect cellRect(int cell) {
        const int h = kThumbSide + kThumbLabel;
        return {cell % kStripColumns * kThumbSide, cell / kStripColumns * h, kThumbSide, h};
    }
    TimeCurveEditorDialog& dialog_;
    QScrollBar& scroll_;
};

TimeCurveEditorDialog::TimeCurveEditorDialog(CurveLibrary& library, std::filesystem::path userFile,
                                             TimeCurve curve, Prompter& prompter, QWidget* parent)
    : QDialog(parent), model_(library, std::move(curve)), userFile_(std::move(userFile)),
      prompter_(prompter) {
    setWindowTitle(qtText(kTimeCurveEditorTitle));
    auto* grid = new QGridLayout(this);
    area_ = new CurveArea(*this);
    grid->addWidget(area_, 0, 0, 3, 1);
    linear_ = new QCheckBox("Linear", this);
    readout_ = new QLineEdit(this);
    readout_->setReadOnly(true);
    grid->addWidget(linear_, 3, 0);
    grid->addWidget(readout_, 4, 0);
    connect(linear_, &QCheckBox::toggled, this, [this](bool on) {
        model_.setLinear(on);
        area_->update();
    });

    grid->addWidget(new QLabel("Curve Library", this), 0, 1, 1, 2);
    scroll_ = new QScrollBar(Qt::Vertical, this);
    strip_ = new CurveStrip(*this, *scroll_);
    grid->addWidget(strip_, 1, 1);
    grid->addWidget(scroll_, 1, 2);
    connect(scroll_, &QScrollBar::valueChanged, strip_, qOverload<>(&QWidget::update));

    auto* saveButton = new QPushButton("Save...", this);
    connect(saveButton, &QPushButton::clicked, this, &TimeCurveEditorDialog::save);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addButton(saveButton, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, 4, 1, 1, 2);

    fields_.addCheck("Linear", linear_);
    fields_.addButton("Save...", saveButton);
    fields_.add("Curve Library", [this](const QString& name) {
        const int index = model_.library().find(engineText(name));
        if (index < 0) return false;
        model_.takeLibraryCurve(index);
        curveChanged();
        return true;
    });

    askName = [this](const std::string& proposed) -> std::optional<std::string> {
        bool ok = false;
        const QString name =
            QInputDialog::getText(this, qtText(kCurveNameTitle), qtText(kCurveNameTitle),
                                  QLineEdit::Normal, qtText(proposed), &ok);
        if (!ok) return std::nullopt;
        return engineText(name);
    };
    curveChanged();
}

TimeCurveEditorDialog::~TimeCurveEditorDialog() = default;

QWidget* TimeCurveEditorDialog::drawingArea() const {
    return area_;
}

void TimeCurveEditorDialog::curveChanged() {
    const QSignalBlocker block(linear_);
    linear_->setChecked(model_.linear());
    scroll_->setRange(0, model_.libraryScrollMax());
    area_->update();
    strip_->update();
}

void TimeCurveEditorDialog::showPointer(GridPoint p) {
    readout_->setText(qtText(pointerText(p)));
}

void TimeCurveEditorDialog::save() {
    std::string proposed = model_.proposedName();
    std::optional<std::string> refused;
    while (auto name = askName(proposed)) {
        // The same refused answer twice ends the question (a script would repeat it).
        if (name == refused) return;
        const Status s = model_.save(*name, userFile_, prompter_);
        if (s.code() == StatusCode::Refused) {
            prompter_.message(s.message());
            proposed = *name;
            refused = name;
            continue;
        }
        curveChanged();
        scroll_->setValue(scroll_->maximum());
        return;
    }
}

} // namespace zx
