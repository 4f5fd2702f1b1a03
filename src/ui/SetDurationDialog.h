#pragma once
// "Set Image Duration": seconds and frames, and "Apply to All Images".

#include <QDialog>

class QSpinBox;
class QCheckBox;

namespace zx {

class SetDurationDialog : public QDialog {
    Q_OBJECT
public:
    SetDurationDialog(int durationFrames, int framesPerSecond, QWidget* parent = nullptr);
    // frames + frame rate × seconds
    int frames() const;
    bool applyToAll() const;
    void setValues(int seconds, int frames, bool all);

private:
    int fps_;
    QSpinBox* seconds_;
    QSpinBox* frames_;
    QCheckBox* all_;
};

} // namespace zx
