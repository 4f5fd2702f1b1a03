// The main frame's clipboard: Edit › Cut, Copy and Paste on the picture being edited,
// "Copy Selection" and "Paste Selection" for the selection outline, and the floating
// picture a paste leaves over the image until Enter merges it or Esc drops it.

#include "app/CanvasView.h"
#include "app/ImageComposer.h"
#include "app/MainFrame.h"
#include "commands/SelectionPixels.h"
#include "ui/ModePanels.h"
#include "ui/QtText.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>

namespace zx {

namespace {
constexpr std::string_view kNothingToPaste = "The clipboard holds no picture to paste";
constexpr std::string_view kFloatingName = "Paste";
const char* const kDibMime = "application/x-qt-windows-mime;value=\"DeviceIndependentBitmap\"";
} // namespace

void MainFrame::putOnClipboard(const RasterImage& picture) {
    const std::vector<uint8_t> dib = clipboard_.copy(picture);
    auto* mime = new QMimeData;
    mime->setImageData(toQImage(picture));
    mime->setData(kDibMime,
                  QByteArray(reinterpret_cast<const char*>(dib.data()), qsizetype(dib.size())));
    QApplication::clipboard()->setMimeData(mime);
}

std::optional<RasterImage> MainFrame::clipboardPicture() {
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    std::optional<std::vector<uint8_t>> block;
    if (mime && mime->hasImage()) {
        // Whatever another program put there arrives as the same bottom-up 24-bit
        // bitmap the exchange reads.
        QImage img =
            qvariant_cast<QImage>(mime->imageData()).convertToFormat(QImage::Format_ARGB32);
        RasterImage r(img.width(), img.height());
        for (int y = 0; y < img.height(); ++y) {
            const auto* line = reinterpret_cast<const uint32_t*>(img.constScanLine(y));
            std::copy(line, line + img.width(), r.row(y).begin());
        }
        block = encodeClipboardDib(r);
    }
    if (!block && !clipboard_.hasOwnCopy()) return std::nullopt;
    return block ? clipboard_.paste(std::span<const uint8_t>(*block))
                 : clipboard_.paste(std::nullopt);
}

void MainFrame::onCopy() {
    const ProjectImage* image = workspace_->project().current();
    if (!image) return;
    const bool background = imageEditPanel_->selection().settings().editingBackground;
    if (std::optional<RasterImage> picture = copySelectedPixels(*image, background))
        putOnClipboard(*picture);
    updateCommands();
}

void MainFrame::onCut() {
    onCopy();
    const bool background = imageEditPanel_->selection().settings().editingBackground;
    (void)cutSelectedPixels(workspace_->project(), workspace_->project().currentImage, background);
    refreshAll();
}

void MainFrame::onPaste() {
    std::optional<RasterImage> picture = clipboardPicture();
    if (!picture || picture->empty()) {
        prompter_->message(std::string(kNothingToPaste));
        return;
    }
    workspace_->pasteFloating(std::move(*picture), std::string(kFloatingName));
    refreshAll();
}

void MainFrame::onCopySelection() {
    copiedSelection_ = imageEditPanel_->selection().copySelection();
    updateCommands();
}

void MainFrame::onPasteSelection() {
    if (copiedSelection_) imageEditPanel_->selection().pasteSelection(*copiedSelection_);
    refreshAll();
}

void MainFrame::mergeFloatingEdit() {
    if (Status status = workspace_->mergeFloating(); !status) prompter_->message(status.message());
    refreshAll();
}

void MainFrame::dropFloatingEdit() {
    workspace_->dropFloating();
    refreshAll();
}

// Cut, Copy and Copy Selection need a selection to act on.
CommandState MainFrame::copyState() const {
    return {selectionCommandState().enabled && imageEditPanel_->selection().hasSelection(), false};
}

// A paste needs an image to float over and a picture to paste.
CommandState MainFrame::pasteState() const {
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    const bool picture = (mime && mime->hasImage()) || clipboard_.hasOwnCopy();
    return {mode() == AnimationMode::ImageEdit && workspace_->project().current() && picture &&
                !imageEditPanel_->selection().busy(),
            false};
}

CommandState MainFrame::floatingState() const {
    return {workspace_->floating.pending, false};
}

CommandState MainFrame::pasteSelectionState() const {
    return {selectionCommandState().enabled && copiedSelection_.has_value(), false};
}

} // namespace zx
