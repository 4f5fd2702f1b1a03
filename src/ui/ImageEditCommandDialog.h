#pragma once
// One dialog for every Image Edit command that asks for values: a spin box for each
// of the command's fields (a check box for an on/off one), OK and Cancel; an
// adjustment adds "Apply to Selection" with its feathering, and "Preview". While the
// values or the "Preview" box change, `previewWanted` fires once they have stood
// still for a moment, so that the window can show (or take back) the result before OK.

#include "commands/ImageEditCommands.h"
#include "ui/DialogFields.h"

#include <QDialog>

class QCheckBox;
class QTimer;

namespace zx {

class ImageEditCommandDialog : public QDialog {
    Q_OBJECT
public:
    // `preview` adds the live preview and "Apply to Selection".
    ImageEditCommandDialog(const ImageEditCommand& command, const QString& title, bool preview,
                           QWidget* parent);

    // The values by label, as the command takes them.
    CommandValues values() const;
    // The fields by label, for scripts and tests.
    const DialogFields& fields() const { return fields_; }
    // "Apply to Selection" and its feathering are enabled only when there is a selection.
    void setSelectionAvailable(bool available);
    // "Preview" is ticked: the window shows the values' result before OK.
    bool previewOn() const;

signals:
    void previewWanted();

private:
    void addField(std::string_view label, int min, int max, int initial);
    void addFeathering();
    void changed();

    DialogFields fields_;
    std::vector<std::pair<std::string, std::function<int()>>> readers_;
    QTimer* previewDelay_ = nullptr;
    QCheckBox* preview_ = nullptr;
    std::vector<QWidget*> selectionOnly_;
};

} // namespace zx
