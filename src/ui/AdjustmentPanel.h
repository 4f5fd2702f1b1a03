#pragma once
// The colour adjustments of Image Edit mode on the panel: one button for each, with the
// menu's wording as its tip. The one-click actions run at once; the others open their
// dialog with its live preview, "Apply to Selection" and feathering.

#include <QGroupBox>

#include <functional>
#include <string_view>

namespace zx {

class AdjustmentPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit AdjustmentPanel(QWidget* parent);
    // Called with the adjustment's name in the Image Edit command table.
    std::function<void(std::string_view)> chosen;
};

} // namespace zx
