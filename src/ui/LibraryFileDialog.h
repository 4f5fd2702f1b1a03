#pragma once
// The file dialog for library files: Qt's own dialog (not the desktop's, which could
// not hold a preview) with the chosen file's thumbnail beside the list.

#include <QFileDialog>

class QLabel;

namespace zx {

class LibraryFileDialog : public QFileDialog {
    Q_OBJECT
public:
    // `save` asks for a file to write (with "zxl" as default suffix).
    LibraryFileDialog(QWidget* parent, const QString& caption, const QString& directory,
                      bool save = false);

    // Shows the thumbnail of `path` (blank for a folder or a file without one).
    void showPreview(const QString& path);
    // The picture shown, for tests (null when none).
    QPixmap preview() const;

    // The file chosen in a modal dialog, or empty when cancelled.
    static QString chooseFile(QWidget* parent, const QString& caption, const QString& directory,
                              bool save = false);

private:
    QLabel* preview_;
};

} // namespace zx
