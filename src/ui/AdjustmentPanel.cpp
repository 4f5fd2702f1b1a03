#include "ui/AdjustmentPanel.h"

#include <QGridLayout>
#include <QToolButton>

#include <array>

namespace zx {

namespace {

struct Adjustment {
    std::string_view name; // in the command table
    const char* text;      // on the button
    const char* tip;
};

constexpr int kColumns = 2;
constexpr std::array<Adjustment, 8> kAdjustments = {{
    {"Auto Levels", "Levels", "Auto Levels"},
    {"Auto Contrast", "Contrast", "Auto Contrast"},
    {"White Balance...", "White", "White Balance..."},
    {"Brightness/Contrast...", "Bright.", "Brightness/Contrast..."},
    {"Color Balance...", "Color", "Color Balance..."},
    {"Hue/Saturation...", "Hue", "Hue/Saturation..."},
    {"Blur/Sharpen...", "Blur", "Blur/Sharpen..."},
    {"Lighting Effects...", "Light", "Lighting Effects..."},
}};

} // namespace

AdjustmentPanel::AdjustmentPanel(QWidget* parent) : QGroupBox("Adjustments", parent) {
    auto* grid = new QGridLayout(this);
    for (size_t i = 0; i < kAdjustments.size(); ++i) {
        const Adjustment& a = kAdjustments[i];
        auto* b = new QToolButton(this);
        b->setText(a.text);
        b->setToolTip(a.tip);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(b, &QToolButton::clicked, this, [this, name = a.name] {
            if (chosen) chosen(name);
        });
        grid->addWidget(b, int(i) / kColumns, int(i) % kColumns);
    }
}

} // namespace zx
