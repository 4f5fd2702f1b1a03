#pragma once
// The fields of a dialog by their labels, so that a script or a test can fill a
// dialog the way a user would: a value set here goes through the widget itself and
// its signals, exactly as typing, dragging or clicking would.

#include <QString>
#include <QStringList>

#include <functional>
#include <map>

class QAbstractButton;
class QAbstractSlider;
class QComboBox;
class QLineEdit;

namespace zx {

class DialogFields {
public:
    // A slider takes an integer position.
    void addSlider(const QString& label, QAbstractSlider* slider);
    // An edit field takes text and finishes editing as Enter would.
    void addEdit(const QString& label, QLineEdit* edit);
    // A check box takes "1"/"true" or "0"/"false".
    void addCheck(const QString& label, QAbstractButton* check);
    // A list takes the text of one of its entries.
    void addChoice(const QString& label, QComboBox* box);
    // A button is clicked; the value is ignored.
    void addButton(const QString& label, QAbstractButton* button);
    void add(const QString& label, std::function<bool(const QString&)> setter);

    QStringList labels() const;
    // False for an unknown label, a value the field cannot take, or a disabled field.
    bool set(const QString& label, const QString& value) const;

private:
    std::map<QString, std::function<bool(const QString&)>> setters_;
};

} // namespace zx
