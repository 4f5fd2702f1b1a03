#include "ui/DialogFields.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLineEdit>

namespace zx {

namespace {

bool parseBool(const QString& value, bool& out) {
    const QString v = value.trimmed().toLower();
    if (v == "1" || v == "true" || v == "yes" || v == "on") return out = true, true;
    if (v == "0" || v == "false" || v == "no" || v == "off") return out = false, true;
    return false;
}

} // namespace

void DialogFields::add(const QString& label, std::function<bool(const QString&)> setter) {
    setters_[label] = std::move(setter);
}

void DialogFields::addSlider(const QString& label, QAbstractSlider* slider) {
    add(label, [slider](const QString& value) {
        bool ok = false;
        const int v = value.trimmed().toInt(&ok);
        if (!ok || !slider->isEnabled() || v < slider->minimum() || v > slider->maximum())
            return false;
        slider->setValue(v);
        return true;
    });
}

void DialogFields::addEdit(const QString& label, QLineEdit* edit) {
    add(label, [edit](const QString& value) {
        if (!edit->isEnabled() || edit->isReadOnly()) return false;
        edit->setText(value);
        emit edit->editingFinished();
        return true;
    });
}

void DialogFields::addCheck(const QString& label, QAbstractButton* check) {
    add(label, [check](const QString& value) {
        bool on = false;
        if (!check->isEnabled() || !parseBool(value, on)) return false;
        if (check->isChecked() != on) check->click();
        return true;
    });
}

void DialogFields::addChoice(const QString& label, QComboBox* box) {
    add(label, [box](const QString& value) {
        const int index = box->findText(value);
        if (index < 0 || !box->isEnabled()) return false;
        box->setCurrentIndex(index);
        return true;
    });
}

void DialogFields::addButton(const QString& label, QAbstractButton* button) {
    add(label, [button](const QString&) {
        if (!button->isEnabled()) return false;
        button->click();
        return true;
    });
}

QStringList DialogFields::labels() const {
    QStringList out;
    for (const auto& [label, setter] : setters_) out << label;
    return out;
}

bool DialogFields::set(const QString& label, const QString& value) const {
    const auto it = setters_.find(label);
    return it != setters_.end() && it->second(value);
}

} // namespace zx
