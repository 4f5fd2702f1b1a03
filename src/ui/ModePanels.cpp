#include "ui/ModePanels.h"

#include "ui/AdjustmentPanel.h"
#include "ui/HandToolsPanel.h"
#include "ui/ImageAlignWizardDialog.h"
#include "ui/QtText.h"
#include "ui/SelectionPanel.h"
#include "ui/ShapeToolsPanel.h"
#include "ui/TextPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

namespace zx {

ModePanelWidget::ModePanelWidget(PanelHost& host, const QString& title, const QString& hint)
    : QWidget(host.panelParent()), host_(host) {
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(6, 6, 6, 6);
    auto* heading = new QLabel("<b>" + title + "</b>", this);
    layout_->addWidget(heading);
    if (!hint.isEmpty()) {
        auto* text = new QLabel(hint, this);
        text->setWordWrap(true);
        text->setStyleSheet("color: #555;");
        layout_->addWidget(text);
    }
}

void ModePanelWidget::addPendingTools(const QStringList& names) {
    auto* box = new QGroupBox("Tools", this);
    auto* grid = new QGridLayout(box);
    int i = 0;
    for (const QString& n : names) {
        auto* b = new QPushButton(n, box);
        b->setEnabled(false);
        grid->addWidget(b, i / 2, i % 2);
        ++i;
    }
    layout_->addWidget(box);
}

// ---- Image Edit ----------------------------------------------------------------------

ImageEditPanel::ImageEditPanel(PanelHost& host)
    : ModePanelWidget(host, "Image Edit",
                      "Cut subjects out of photographs with selections and masks, and retouch "
                      "them. Import photographs with File > Import Image(s)..."),
      selection_(host.workspace()) {
    selectionPanel_ = new SelectionPanel(selection_, this);
    selectionPanel_->changed = [this] {
        // A new tool shows its prompt at once, not only when the pointer next moves.
        host_.workspace().prompter().status(selection_.prompt());
        host_.refreshView();
        // A selection tool takes the mouse back from the other tools.
        dropDrawingTools();
    };
    layout_->addWidget(selectionPanel_);
    auto* adjustments = new AdjustmentPanel(this);
    adjustments->chosen = [this](std::string_view name) { host_.runPictureEdit(name); };
    layout_->addWidget(adjustments);
    addDrawingTools();
    layout_->addStretch(1);
}

// The hand tools, the Shape Tools and the Text panel share one place, a page each;
// a tool has the mouse only while its page is shown.
void ImageEditPanel::addDrawingTools() {
    auto* pages = new QTabWidget(this);
    handTools_ = new HandToolsPanel(pages);
    handTools_->changed = [this] { host_.refreshView(); };
    shapeTools_ = new ShapeToolsPanel(host_.workspace(), selection_, pages);
    textPanel_ = new TextPanel(host_.workspace(), selection_, pages);
    for (auto* panel : std::initializer_list<QGroupBox*>{handTools_, shapeTools_, textPanel_}) {
        pages->addTab(panel, panel->title());
        panel->setTitle({}); // the tab says it
        panel->setFlat(true);
    }
    const auto shown = [this] {
        host_.workspace().prompter().status(shapeTools_->kind()    ? shapeTools_->tool().prompt()
                                            : textPanel_->active() ? textPanel_->tool().prompt()
                                                                   : std::string());
        host_.refreshView();
    };
    shapeTools_->changed = shown;
    textPanel_->changed = shown;
    shapeTools_->applied = textPanel_->applied = [this] { host_.refreshAll(); };
    // One paint colour: set or picked on any page, every page has it.
    shapeTools_->colourChanged = textPanel_->colourChanged =
        handTools_->colourChanged = [this](PaintColour c) {
            handTools_->setColour(c);
            shapeTools_->setColour(c);
            textPanel_->setColour(c);
        };
    connect(pages, &QTabWidget::currentChanged, this, [this, pages](int page) {
        dropDrawingTools();
        textPanel_->setActive(pages->widget(page) == textPanel_);
    });
    layout_->addWidget(pages);
}

void ImageEditPanel::dropDrawingTools() {
    handTools_->choose(std::nullopt);
    shapeTools_->choose(std::nullopt);
    textPanel_->setActive(false);
}

void ImageEditPanel::enter() {
    ++entries_;
}

void ImageEditPanel::leave() {
    handTools_->release();
    shapeTools_->tool().cancel();
    textPanel_->tool().cancel();
    selection_.cancel();
    selection_.leave();
}

void ImageEditPanel::imageChanged() {
    selection_.cancel();
    shapeTools_->tool().cancel();
    textPanel_->tool().cancel();
    refresh();
}

bool ImageEditPanel::busy() const {
    return selection_.busy() || painting();
}

bool ImageEditPanel::painting() const {
    return handTools_->painting() || shapeTools_->tool().dragging() ||
           textPanel_->tool().dragging();
}

void ImageEditPanel::undo(const HistoryStep& step) {
    selection_.undo(step);
}

void ImageEditPanel::redo(const HistoryStep& step) {
    selection_.redo(step);
}

void ImageEditPanel::refresh() {
    // The timeline's background row (or Background › Edit) chooses the picture edited.
    selection_.setEditingBackground(host_.workspace().backgroundSelected());
    selectionPanel_->refresh();
    handTools_->setEditingBackground(selection_.settings().editingBackground);
}

// ---- Image Align ----------------------------------------------------------------------

namespace {
// The steps and limits of the manual values.
constexpr double kShiftLimit = 4096, kShiftStep = 1.0 / kEighths;
constexpr double kScaleLow = 5, kScaleHigh = 2000, kScaleStepPercent = 0.1;
constexpr double kDegreeStepShown = 0.1;
} // namespace

ImageAlignPanel::ImageAlignPanel(PanelHost& host)
    : ModePanelWidget(host, "Image Align",
                      "Align the image to the one before it on the timeline, or move, scale "
                      "and turn it by hand."),
      align_(host.workspace()), wizard_(new ImageAlignWizardDialog(align_, this)) {
    openWizard_ = new QPushButton("Image Align Wizard...", this);
    layout_->addWidget(openWizard_);
    auto* box = new QGroupBox("Transform", this);
    auto* grid = new QGridLayout(box);
    for (AlignTool t : {AlignTool::Shift, AlignTool::Scale, AlignTool::Rotate}) {
        auto* b = new QRadioButton(qtText(alignToolName(t)), box);
        tools_[size_t(t)] = b;
        grid->addWidget(b, int(t), 0);
        connect(b, &QRadioButton::toggled, this, [this, t](bool on) {
            if (on) align_.setTool(t);
        });
    }
    shiftX_ = addValue(grid, 0, "x", -kShiftLimit, kShiftLimit, 3, kShiftStep);
    shiftY_ = addValue(grid, 0, "y", -kShiftLimit, kShiftLimit, 3, kShiftStep);
    scale_ = addValue(grid, 1, "%", kScaleLow, kScaleHigh, 2, kScaleStepPercent);
    degrees_ = addValue(grid, 2, "°", -180, 180, 2, kDegreeStepShown);
    layout_->addWidget(box);
    apply_ = new QPushButton("Apply [Enter]", this);
    reset_ = new QPushButton("Reset [Esc]", this);
    layout_->addWidget(apply_);
    layout_->addWidget(reset_);
    layout_->addStretch(1);

    align_.changed = [this] {
        refresh();
        host_.refreshView();
    };
    connect(openWizard_, &QPushButton::clicked, this, &ImageAlignPanel::openWizard);
    connect(apply_, &QPushButton::clicked, this, [this] { (void)align_.apply(); });
    connect(reset_, &QPushButton::clicked, this, [this] { align_.reset(); });
    refresh();
}

QDoubleSpinBox* ImageAlignPanel::addValue(QGridLayout* grid, int row, const QString& suffix,
                                          double low, double high, int decimals, double step) {
    auto* spin = new QDoubleSpinBox(grid->parentWidget());
    spin->setRange(low, high);
    spin->setDecimals(decimals);
    spin->setSingleStep(step);
    spin->setSuffix(" " + suffix);
    spin->setKeyboardTracking(false);
    grid->addWidget(spin, row, grid->itemAtPosition(row, 1) ? 2 : 1);
    connect(spin, &QDoubleSpinBox::valueChanged, this, &ImageAlignPanel::valuesEdited);
    return spin;
}

void ImageAlignPanel::valuesEdited() {
    AlignTransform t;
    t.shiftX = int(std::lround(shiftX_->value() * kEighths));
    t.shiftY = int(std::lround(shiftY_->value() * kEighths));
    t.scale = scale_->value() / 100;
    t.degrees = degrees_->value();
    align_.setTransform(t);
}

void ImageAlignPanel::refresh() {
    const AlignTransform& t = align_.transform();
    const std::pair<QDoubleSpinBox*, double> values[] = {{shiftX_, double(t.shiftX) / kEighths},
                                                         {shiftY_, double(t.shiftY) / kEighths},
                                                         {scale_, t.scale * 100},
                                                         {degrees_, t.degrees}};
    for (auto [spin, value] : values) {
        QSignalBlocker block(spin);
        spin->setValue(value);
    }
    {
        QSignalBlocker block(tools_[size_t(align_.tool())]);
        tools_[size_t(align_.tool())]->setChecked(true);
    }
    const bool image = host_.workspace().project().current() != nullptr;
    openWizard_->setEnabled(image);
    for (QDoubleSpinBox* spin : {shiftX_, shiftY_, scale_, degrees_}) spin->setEnabled(image);
    apply_->setEnabled(align_.pending());
    reset_->setEnabled(align_.pending());
    if (!align_.wizardOpen() && wizard_->isVisible()) wizard_->hide();
}

void ImageAlignPanel::openWizard() {
    if (!align_.wizardOpen() && !align_.openWizard()) return;
    wizard_->show();
    wizard_->raise();
}

bool ImageAlignPanel::keyPress(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return align_.keyPress(EditorKey::Enter);
    case Qt::Key_Escape:
        return align_.keyPress(EditorKey::Escape);
    case Qt::Key_Left:
    case Qt::Key_Right:
        align_.nudge(key == Qt::Key_Left ? -1 : 1, 0);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        align_.nudge(0, key == Qt::Key_Up ? -1 : 1);
        return true;
    default:
        return false;
    }
}

// ---- Animate --------------------------------------------------------------------------

AnimatePanel::AnimatePanel(PanelHost& host)
    : ModePanelWidget(host, "Animate",
                      "Build animated objects from the image's regions and play them.") {
    auto* playBox = new QGroupBox("Playback", this);
    auto* grid = new QGridLayout(playBox);
    play_ = new QCheckBox("Play", playBox);
    speed_ = new QComboBox(playBox);
    speed_->addItems({"Full", "1/2", "1/4"});
    loop_ = new QCheckBox("Loop", playBox);
    loop_->setChecked(true);
    playAll_ = new QCheckBox("Play All", playBox);
    frameSlider_ = new QSlider(Qt::Horizontal, playBox);
    frameLabel_ = new QLabel(playBox);
    grid->addWidget(play_, 0, 0);
    grid->addWidget(speed_, 0, 1);
    grid->addWidget(loop_, 1, 0);
    grid->addWidget(playAll_, 1, 1);
    grid->addWidget(frameSlider_, 2, 0, 1, 2);
    grid->addWidget(frameLabel_, 3, 0, 1, 2);
    layout_->addWidget(playBox);
    auto* preview = new QPushButton("3D Preview...", this);
    layout_->addWidget(preview);
    addPendingTools({"Dots", "Bones", "Trajectories", "Bindings", "Regions", "Effects"});
    layout_->addStretch(1);

    connect(play_, &QCheckBox::toggled, this, [this](bool on) {
        if (!host_.setAnimatePlaying(on) && on) {
            QSignalBlocker block(play_);
            play_->setChecked(false);
        }
    });
    connect(speed_, &QComboBox::currentIndexChanged, this, [this] {
        if (playing()) {
            host_.setAnimatePlaying(false);
            host_.setAnimatePlaying(true);
        }
    });
    connect(frameSlider_, &QSlider::valueChanged, this, [this](int v) {
        if (ProjectImage* img = host_.workspace().currentImage()) {
            img->setCurrentFrame(v);
            frameLabel_->setText(QString("Frame %1 / %2").arg(v).arg(img->duration()));
            host_.refreshView();
        }
    });
    connect(preview, &QPushButton::clicked, this, [this] { host_.openThreeDPreview(); });
}

void AnimatePanel::refresh() {
    ProjectImage* img = host_.workspace().currentImage();
    QSignalBlocker block(frameSlider_);
    frameSlider_->setRange(0, img ? img->duration() : 0);
    frameSlider_->setValue(img ? img->currentFrame() : 0);
    frameLabel_->setText(
        img ? QString("Frame %1 / %2").arg(img->currentFrame()).arg(img->duration()) : QString());
}

void AnimatePanel::enter() {
    refresh();
}

void AnimatePanel::leave() {
    setPlaying(false);
}

void AnimatePanel::durationChanged(int, int) {
    refresh();
}

bool AnimatePanel::playing() const {
    return play_->isChecked();
}
void AnimatePanel::setPlaying(bool on) {
    play_->setChecked(on);
}
int AnimatePanel::speedFactor() const {
    return 1 << speed_->currentIndex();
}
bool AnimatePanel::looping() const {
    return loop_->isChecked();
}
bool AnimatePanel::playAll() const {
    return playAll_->isChecked();
}
void AnimatePanel::setLooping(bool on) {
    loop_->setChecked(on);
}
void AnimatePanel::setPlayAll(bool on) {
    playAll_->setChecked(on);
}

void AnimatePanel::tick() {
    if (busy_) return; // a tick arriving inside a nested loop is dropped
    busy_ = true;
    Workspace& ws = host_.workspace();
    ProjectImage* img = ws.currentImage();
    if (img) {
        int next = img->currentFrame() + 1;
        if (next > img->duration()) {
            Project& project = ws.project();
            if (playAll() && project.imageCount() > 0) {
                const int count = project.imageCount();
                const int following = project.currentImage + 1;
                if (following >= count && !looping()) {
                    setPlaying(false);
                    busy_ = false;
                    return;
                }
                ws.selectImage(following % count, false, false);
                img = ws.currentImage();
                next = 0;
                host_.refreshTimeline();
            } else if (looping()) {
                next = 0;
            } else {
                setPlaying(false);
                busy_ = false;
                return;
            }
        }
        img->setCurrentFrame(next);
        refresh();
        host_.refreshView();
    }
    busy_ = false;
}

// ---- Movie ------------------------------------------------------------------------

MoviePanel::MoviePanel(PanelHost& host)
    : ModePanelWidget(host, "Movie",
                      "Play the images one after another as a movie. Click the ruler to set the "
                      "cursor and start marker; right click sets the end marker.") {
    auto* box = new QGroupBox("Time", this);
    auto* grid = new QGridLayout(box);
    seconds_ = new QLabel("0", box);
    frames_ = new QLabel("0", box);
    lengthSeconds_ = new QLabel("0", box);
    lengthFrames_ = new QLabel("0", box);
    size_ = new QLabel(box);
    grid->addWidget(new QLabel("Shown", box), 0, 1);
    grid->addWidget(new QLabel("Length", box), 0, 2);
    grid->addWidget(new QLabel("Seconds", box), 1, 0);
    grid->addWidget(seconds_, 1, 1);
    grid->addWidget(lengthSeconds_, 1, 2);
    grid->addWidget(new QLabel("Frames", box), 2, 0);
    grid->addWidget(frames_, 2, 1);
    grid->addWidget(lengthFrames_, 2, 2);
    grid->addWidget(size_, 3, 0, 1, 3);
    layout_->addWidget(box);
    addPendingTools({"Camera Tags", "Follow Camera", "Zoom", "Orbit"});
    layout_->addStretch(1);
}

void MoviePanel::refresh() {
    const Project& p = host_.workspace().project();
    size_->setText(
        QString("Movie %1 x %2, %3 frames/sec").arg(p.movieWidth).arg(p.movieHeight).arg(p.fps));
    const int fps = std::max(1, p.fps);
    const int length = host_.movieFrameCount();
    lengthSeconds_->setText(QString::number(length / fps));
    lengthFrames_->setText(QString::number(length % fps));
}

void MoviePanel::leave() {
    host_.pausePlayback();
}

void MoviePanel::showFrame(int frame) {
    const int fps = std::max(1, host_.workspace().project().fps);
    seconds_->setText(QString::number(frame / fps));
    frames_->setText(QString::number(frame % fps));
}

QString MoviePanel::timeStampText() const {
    return seconds_->text() + ":" + frames_->text();
}

QString MoviePanel::lengthText() const {
    return lengthSeconds_->text() + ":" + lengthFrames_->text();
}

// ---- 3D Creator ---------------------------------------------------------------------

Creator3DPanel::Creator3DPanel(PanelHost& host)
    : ModePanelWidget(host, "3D Creator",
                      "Build a 3D object from a front view image and optional further views.") {
    addPendingTools({"Front View", "Left View", "Top View", "Build"});
    layout_->addStretch(1);
}

} // namespace zx
