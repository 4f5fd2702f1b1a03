#pragma once
// "Export Movie...": the movie file's name and folder with the movie options beside
// it (format, bit rate, markers only, processing, black trailer). The name's
// extension and the format buttons follow each other; OK settles the name as
// confirmMovieName says and leaves the choice in choice().

#include "commands/MovieExportChoice.h"
#include "platform/Prompter.h"

#include <QDialog>

#include <filesystem>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;

namespace zx {

struct ExportMovieSetup {
    std::filesystem::path folder; // the remembered movie folder
    std::string documentTitle;
    int width = 0, height = 0, framesPerSecond = 0;
};

class ExportMovieDialog : public QDialog {
    Q_OBJECT
public:
    ExportMovieDialog(const ExportMovieSetup& setup, Prompter& prompter, QWidget* parent = nullptr);

    // What OK settled on.
    const MovieExportChoice& choice() const { return choice_; }
    void accept() override;

    // The controls, for tests to fill as a user would. Bit rate ids 0 … 3 are the
    // presets, 4 is "Custom:"; processing 0 is as displayed, 1 Maximum Quality.
    QLineEdit* fileName;
    QPushButton* browse;
    QButtonGroup* format;
    QButtonGroup* bitRate;
    QLineEdit* customBitRate;
    QCheckBox* markersOnly;
    QButtonGroup* processing;
    QCheckBox* blackTrailer;

private:
    QWidget* buildFormats();
    QWidget* buildBitRates();
    QWidget* buildOptions();
    void followName(const QString& text);
    void followFormat(int id);
    void updateEnabled();
    void checkCustomBitRate();
    void browseForName();
    int chosenBitRate() const;

    Prompter& prompter_;
    std::filesystem::path folder_;
    MovieExportChoice choice_;
};

} // namespace zx
