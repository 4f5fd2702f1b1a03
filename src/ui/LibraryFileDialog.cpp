#include "ui/LibraryFileDialog.h"

#include "anim/LibraryFile.h"
#include "ui/QtText.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>

namespace zx {

namespace {
constexpr int kPreviewSide = 160;
const QString kLibraryFilter = "Zelvotrix library files (*.zxl)";

QPixmap thumbnailPixmap(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile()) return {};
    const auto thumbnail = readLibraryThumbnail(enginePath(path));
    if (!thumbnail || thumbnail->empty()) return {};
    const QImage image(reinterpret_cast<const uchar*>(thumbnail->pixels()), thumbnail->width(),
                       thumbnail->height(), thumbnail->width() * 4, QImage::Format_ARGB32);
    return QPixmap::fromImage(
        image.scaled(kPreviewSide, kPreviewSide, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}
} // namespace

LibraryFileDialog::LibraryFileDialog(QWidget* parent, const QString& caption,
                                     const QString& directory, bool save)
    : QFileDialog(parent, caption, directory, kLibraryFilter), preview_(new QLabel(this)) {
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save) setDefaultSuffix("zxl");
    preview_->setFixedSize(kPreviewSide, kPreviewSide);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setFrameShape(QFrame::StyledPanel);
    // Qt's own dialog lays itself out on a grid: the preview takes a column of its own.
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(preview_, 0, grid->columnCount(), grid->rowCount(), 1);
    connect(this, &QFileDialog::currentChanged, this, &LibraryFileDialog::showPreview);
}

void LibraryFileDialog::showPreview(const QString& path) {
    preview_->setPixmap(thumbnailPixmap(path));
}

QPixmap LibraryFileDialog::preview() const {
    return preview_->pixmap();
}

QString LibraryFileDialog::chooseFile(QWidget* parent, const QString& caption,
                                      const QString& directory, bool save) {
    LibraryFileDialog dialog(parent, caption, directory, save);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

} // namespace zx
