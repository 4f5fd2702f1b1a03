#pragma once
// "General Settings", "Animation Settings" and "Movie Settings": each binds its
// controls to the settings (and, for the movie, to the project's movie values).

#include "commands/MovieSettingsRules.h"
#include "storage/Settings.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QSpinBox;

namespace zx {

class GeneralSettingsDialog : public QDialog {
    Q_OBJECT
public:
    GeneralSettingsDialog(const Settings& settings, QWidget* parent = nullptr);
    // Writes the dialog's values into `settings`.
    void apply(Settings& settings) const;
    QSpinBox* seconds;
    QSpinBox* frames;
    QCheckBox* warnLarge;
    QSpinBox* maxSize;
    QButtonGroup* jpegQuality;
};

class AnimationSettingsDialog : public QDialog {
    Q_OBJECT
public:
    AnimationSettingsDialog(const Settings& settings, QWidget* parent = nullptr);
    void apply(Settings& settings) const;
    QButtonGroup* render;
    QButtonGroup* meshDefinition;
    QCheckBox* autoAddBone;
    QCheckBox* fixedBones;
    QCheckBox* smoothAction;
    QCheckBox* multiThread;
};

class MovieSettingsDialog : public QDialog {
    Q_OBJECT
public:
    MovieSettingsDialog(const MovieSettingsValues& values, QWidget* parent = nullptr);
    MovieSettingsValues values() const;
    QComboBox* presets;
    QSpinBox* width;
    QSpinBox* height;
    QSpinBox* fps;
    QButtonGroup* quality;
};

} // namespace zx
