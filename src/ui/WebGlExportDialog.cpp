#include "ui/WebGlExportDialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>
#include <cmath>
#include <span>

namespace zx {

namespace {

constexpr const char* kShadingCaptions[] = {"None", "Soft", "Strong", "Max"};
constexpr const char* kLightCaptions[] = {"\u2196", "\u2197", "\u25cf", "\u2199", "\u2198"};
constexpr const char* kTriggerTexts[] = {"On Load", "On Click", "On Mouse Over"};
constexpr const char* kAnimatorColumnNames[] = {"Init",   "Min.",    "Max.", "Speed",
                                                "Random", "Trigger", "Loop", "Alternate"};
constexpr int kTriggerColumn = 5, kLoopColumn = 6, kAlternateColumn = 7;
constexpr const char* kAnimatorRowNames[] = {
    "Scenery X rotation", "Scenery Y rotation", "Scenery Z rotation", "Scenery X move",
    "Scenery Y move",     "Scenery zoom",       "Light X rotation",   "Light Y rotation",
    "Background X move",  "Background Y move"};
constexpr int kCameraRows = 6, kLightRows = 2;

// The animator a table row edits, and the trigger of its group.
WebGlAnimator& animatorAt(WebGlPageSettings& page, int row) {
    const std::array<WebGlAnimator*, WebGlExportDialog::kAnimatorRows> rows{
        &page.camera.xrot,     &page.camera.yrot,    &page.camera.zrot, &page.camera.xmov,
        &page.camera.ymov,     &page.camera.zoom,    &page.light.xrot,  &page.light.yrot,
        &page.background.xmov, &page.background.ymov};
    return *rows[size_t(row)];
}

WebGlTrigger& triggerAt(WebGlPageSettings& page, int row) {
    if (row < kCameraRows) return page.camera.trigger;
    if (row < kCameraRows + kLightRows) return page.light.trigger;
    return page.background.trigger;
}

int firstRowOfGroup(int row) {
    if (row < kCameraRows) return 0;
    if (row < kCameraRows + kLightRows) return kCameraRows;
    return kCameraRows + kLightRows;
}

int lastRowOfGroup(int row) {
    if (row < kCameraRows) return kCameraRows - 1;
    if (row < kCameraRows + kLightRows) return kCameraRows + kLightRows - 1;
    return WebGlExportDialog::kAnimatorRows - 1;
}

QButtonGroup* buttonRow(QWidget* parent, QHBoxLayout* layout, std::span<const char* const> captions,
                        std::span<const char* const> tooltips) {
    auto* group = new QButtonGroup(parent);
    group->setExclusive(true);
    for (size_t i = 0; i < captions.size(); ++i) {
        auto* b = new QToolButton(parent);
        b->setText(QString::fromUtf8(captions[i]));
        b->setToolTip(QString::fromUtf8(tooltips[i]));
        b->setCheckable(true);
        layout->addWidget(b);
        group->addButton(b, int(i));
    }
    return group;
}

QCheckBox* checkRow(QVBoxLayout* layout, QWidget* parent, const char* text) {
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    layout->addWidget(box);
    return box;
}

} // namespace

WebGlExportDialog::WebGlExportDialog(const WebGlExportOptions& options, QWidget* parent)
    : QDialog(parent), base_(options) {
    setWindowTitle("Publish Animation to 3D WebGL - Advanced settings");
    auto* layout = new QVBoxLayout(this);
    buildCanvasBox(layout);
    buildPlaybackBox(layout);
    buildBackgroundBox(layout);
    buildAnimatorTable(layout);
    buildBrowserRow(layout);
    buildButtons(layout);
    setOptions(options);
}

void WebGlExportDialog::buildCanvasBox(QVBoxLayout* layout) {
    auto* box = new QGroupBox("Canvas", this);
    auto* form = new QFormLayout(box);
    width_ = new QSpinBox(box);
    height_ = new QSpinBox(box);
    for (QSpinBox* s : {width_, height_}) s->setRange(kMinWebGlCanvasSide, kMaxWebGlCanvasSide);
    form->addRow("Width", width_);
    form->addRow("Height", height_);

    std::array<const char*, 5> lightTips{};
    for (size_t i = 0; i < lightTips.size(); ++i) lightTips[i] = kWebGlLightButtons[i].tooltip;
    auto* shading = new QHBoxLayout;
    shadingButtons_ = buttonRow(box, shading, kShadingCaptions, kWebGlShadingButtons);
    form->addRow("Shading", shading);
    auto* light = new QHBoxLayout;
    lightButtons_ = buttonRow(box, light, kLightCaptions, lightTips);
    form->addRow("Light", light);
    connect(shadingButtons_, &QButtonGroup::idClicked, this, [this](int id) { shading_ = id; });
    connect(lightButtons_, &QButtonGroup::idClicked, this, [this](int id) { light_ = id; });
    layout->addWidget(box);
}

void WebGlExportDialog::buildPlaybackBox(QVBoxLayout* layout) {
    auto* box = new QGroupBox("Animation", this);
    auto* v = new QVBoxLayout(box);
    loop_ = checkRow(v, box, "Loop Animation");
    autoReverse_ = checkRow(v, box, "Auto-reverse");
    staticObject_ = checkRow(v, box, "Publish current frame only as a 3D static object");
    userRotate_ = checkRow(v, box, "Enable camera rotation on left mouse button drag");
    userZoom_ = checkRow(v, box, "Enable camera zoom on mouse wheel or right mouse button drag");
    userMove_ = checkRow(v, box, "Enable camera translation on mouse drag + [SHIFT]");
    auto* startRow = new QHBoxLayout;
    startRow->addWidget(new QLabel("Start animation", box));
    start_ = new QComboBox(box);
    for (const char* t : kTriggerTexts) start_->addItem(t);
    startRow->addWidget(start_, 1);
    v->addLayout(startRow);
    layout->addWidget(box);
}

void WebGlExportDialog::buildBackgroundBox(QVBoxLayout* layout) {
    auto* box = new QGroupBox("Background", this);
    auto* row = new QHBoxLayout(box);
    showBackground_ = new QCheckBox("Show Bgrd", box);
    followCamera_ = new QCheckBox("Follow Camera", box);
    followAmount_ = new QDoubleSpinBox(box);
    followAmount_->setRange(0, 10);
    followAmount_->setSingleStep(0.1);
    followAmount_->setDecimals(2);
    row->addWidget(showBackground_);
    row->addWidget(followCamera_);
    row->addWidget(new QLabel("Follow Amount", box));
    row->addWidget(followAmount_);
    layout->addWidget(box);
}

void WebGlExportDialog::buildAnimatorTable(QVBoxLayout* layout) {
    animators_ = new QTableWidget(kAnimatorRows, kAnimatorColumns, this);
    QStringList columns, rows;
    for (const char* c : kAnimatorColumnNames) columns << c;
    for (const char* r : kAnimatorRowNames) rows << r;
    animators_->setHorizontalHeaderLabels(columns);
    animators_->setVerticalHeaderLabels(rows);
    animators_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (int r = 0; r < kAnimatorRows; ++r) {
        for (int c = 0; c < kTriggerColumn; ++c) animators_->setItem(r, c, new QTableWidgetItem);
        auto* trigger = new QComboBox(animators_);
        for (const char* t : kTriggerTexts) trigger->addItem(t);
        animators_->setCellWidget(r, kTriggerColumn, trigger);
        connect(trigger, &QComboBox::activated, this, [this, r](int t) { setGroupTrigger(r, t); });
        for (int c : {kLoopColumn, kAlternateColumn}) {
            auto* item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            animators_->setItem(r, c, item);
        }
    }
    layout->addWidget(animators_, 1);
}

void WebGlExportDialog::buildBrowserRow(QVBoxLayout* layout) {
    auto* row = new QHBoxLayout;
    browser_ = new QComboBox(this);
    auto* help = new QPushButton("Get Help if the selected browser doesn't work", this);
    connect(help, &QPushButton::clicked, this, &WebGlExportDialog::showBrowserHelp);
    row->addWidget(new QLabel("Browser:", this));
    row->addWidget(browser_, 1);
    row->addWidget(help);
    layout->addLayout(row);
    setBrowsers({});
}

void WebGlExportDialog::setBrowsers(std::vector<Browser> browsers) {
    if (browsers.empty()) browsers.push_back({"Default browser", {}, BrowserKind::Other});
    browsers_ = std::move(browsers);
    browser_->clear();
    for (const Browser& b : browsers_) browser_->addItem(QString::fromStdString(b.name));
}

Browser WebGlExportDialog::chosenBrowser() const {
    const int i = browser_->currentIndex();
    return i >= 0 && size_t(i) < browsers_.size() ? browsers_[size_t(i)] : Browser{};
}

void WebGlExportDialog::chooseBrowser(int index) {
    browser_->setCurrentIndex(index);
}

void WebGlExportDialog::showBrowserHelp() {
    const std::string_view help = browserHelp(chosenBrowser().kind);
    QMessageBox::information(this, windowTitle(),
                             QString::fromUtf8(help.data(), qsizetype(help.size())));
}

void WebGlExportDialog::buildButtons(QVBoxLayout* layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* preview = buttons->addButton("Browser Preview", QDialogButtonBox::ActionRole);
    QPushButton* save = buttons->addButton("Export to Folder...", QDialogButtonBox::ActionRole);
    connect(preview, &QPushButton::clicked, this, &WebGlExportDialog::pressBrowserPreview);
    connect(save, &QPushButton::clicked, this, &WebGlExportDialog::pressExportToFolder);
    QPushButton* publish = buttons->addButton("Publish...", QDialogButtonBox::ActionRole);
    connect(publish, &QPushButton::clicked, this, [this] {
        if (publish_) publish_(options());
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    layout->addWidget(buttons);
}

void WebGlExportDialog::setGroupTrigger(int row, int trigger) {
    for (int r = firstRowOfGroup(row); r <= lastRowOfGroup(row); ++r)
        static_cast<QComboBox*>(animators_->cellWidget(r, kTriggerColumn))
            ->setCurrentIndex(trigger);
}

void WebGlExportDialog::showAnimators(const WebGlPageSettings& shown) {
    WebGlPageSettings page = shown;
    for (int r = 0; r < kAnimatorRows; ++r) {
        const WebGlAnimator& a = animatorAt(page, r);
        const double values[] = {a.init, a.min, a.max, a.speed, a.random};
        for (int c = 0; c < kTriggerColumn; ++c)
            animators_->item(r, c)->setText(QString::number(values[c]));
        static_cast<QComboBox*>(animators_->cellWidget(r, kTriggerColumn))
            ->setCurrentIndex(int(triggerAt(page, r)));
        animators_->item(r, kLoopColumn)->setCheckState(a.loop ? Qt::Checked : Qt::Unchecked);
        animators_->item(r, kAlternateColumn)
            ->setCheckState(a.alternate ? Qt::Checked : Qt::Unchecked);
    }
}

// A cell that does not read as a number keeps the value it had.
void WebGlExportDialog::readAnimators(WebGlPageSettings& page) const {
    for (int r = 0; r < kAnimatorRows; ++r) {
        WebGlAnimator& a = animatorAt(page, r);
        double* values[] = {&a.init, &a.min, &a.max, &a.speed, &a.random};
        for (int c = 0; c < kTriggerColumn; ++c) {
            bool ok = false;
            const double v = animators_->item(r, c)->text().toDouble(&ok);
            if (ok && std::isfinite(v)) *values[c] = v;
        }
        a.loop = animators_->item(r, kLoopColumn)->checkState() == Qt::Checked;
        a.alternate = animators_->item(r, kAlternateColumn)->checkState() == Qt::Checked;
        const int t =
            static_cast<QComboBox*>(animators_->cellWidget(r, kTriggerColumn))->currentIndex();
        if (r == firstRowOfGroup(r)) triggerAt(page, r) = WebGlTrigger(std::max(0, t));
    }
    page.camera.loop = page.camera.alternate = true;
    for (int r = 0; r < kCameraRows; ++r) {
        page.camera.loop = page.camera.loop && animatorAt(page, r).loop;
        page.camera.alternate = page.camera.alternate && animatorAt(page, r).alternate;
    }
}

void WebGlExportDialog::setOptions(const WebGlExportOptions& options) {
    base_ = options;
    const WebGlPageSettings& page = options.page;
    width_->setValue(options.width > 0 ? options.width : page.canvasWidth);
    height_->setValue(options.height > 0 ? options.height : page.canvasHeight);
    shading_ = -1;
    for (int i = 0; i < int(std::size(kWebGlShadingIntensity)); ++i)
        if (kWebGlShadingIntensity[i] == options.shadingIntensity) shading_ = i;
    light_ = -1;
    if (!options.projectLight)
        for (int i = 0; i < int(std::size(kWebGlLightButtons)); ++i)
            if (kWebGlLightButtons[i].vector == page.light.vector) light_ = i;
    for (auto [group, id] :
         {std::pair{shadingButtons_, shading_}, std::pair{lightButtons_, light_}})
        for (QAbstractButton* b : group->buttons()) b->setChecked(group->id(b) == id);
    loop_->setChecked(page.loop);
    autoReverse_->setChecked(page.autoReverse);
    staticObject_->setChecked(options.staticFrame >= 0);
    userRotate_->setChecked(page.userRotate);
    userZoom_->setChecked(page.userZoom);
    userMove_->setChecked(page.userMove);
    start_->setCurrentIndex(int(page.start));
    showBackground_->setChecked(page.background.show);
    followCamera_->setChecked(page.background.followCamera);
    followAmount_->setValue(page.background.followAmount);
    showAnimators(page);
}

WebGlExportOptions WebGlExportDialog::options() const {
    WebGlExportOptions o = base_;
    o.width = width_->value();
    o.height = height_->value();
    o.shadingIntensity = shading_ < 0 ? base_.shadingIntensity : kWebGlShadingIntensity[shading_];
    if (light_ >= 0) {
        o.projectLight = false;
        o.page.light.vector = kWebGlLightButtons[light_].vector;
    }
    WebGlPageSettings& page = o.page;
    page.loop = loop_->isChecked();
    page.autoReverse = autoReverse_->isChecked();
    o.staticFrame = staticObject_->isChecked() ? std::max(0, currentFrame_) : -1;
    page.userRotate = userRotate_->isChecked();
    page.userZoom = userZoom_->isChecked();
    page.userMove = userMove_->isChecked();
    page.start = WebGlTrigger(std::max(0, start_->currentIndex()));
    page.background.show = showBackground_->isChecked();
    page.background.followCamera = followCamera_->isChecked();
    page.background.followAmount = followAmount_->value();
    readAnimators(page);
    return o;
}

void WebGlExportDialog::pressShading(int index) {
    if (QAbstractButton* b = shadingButtons_->button(index)) b->click();
}

void WebGlExportDialog::pressLight(int index) {
    if (QAbstractButton* b = lightButtons_->button(index)) b->click();
}

void WebGlExportDialog::pressBrowserPreview() {
    if (preview_) preview_(options());
}

void WebGlExportDialog::pressExportToFolder() {
    if (export_) export_(options());
}

} // namespace zx
