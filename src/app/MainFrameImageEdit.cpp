// The main frame's picture edits of Image Edit mode: the Image menu's adjustments,
// sizes, rotations, flips, Crop and the background commands, each run through the
// engine's table of Image Edit commands. A command with values asks for them in one
// dialog; an adjustment shows its result in the view while the values change.

#include "app/MainFrame.h"

#include "commands/AdjustmentCommands.h"
#include "commands/ImageEditCommands.h"
#include "ui/ImageEditCommandDialog.h"
#include "ui/ModePanels.h"
#include "ui/QtText.h"

#include <array>
#include <optional>
#include <utility>

namespace zx {

namespace {

struct MenuEntry {
    int id;
    std::string_view name;       // in the engine's table
    bool preview;                // an adjustment shown live while its dialog is open
    std::string_view title = {}; // of its dialog, when it has one
};

constexpr std::array kMenuEntries{
    MenuEntry{Cmd::AutoLevels, "Auto Levels", true},
    MenuEntry{Cmd::AutoContrast, "Auto Contrast", true},
    MenuEntry{Cmd::WhiteBalance, "White Balance...", true},
    MenuEntry{Cmd::BrightnessContrast, "Brightness/Contrast...", true, "Brightness & Contrast"},
    MenuEntry{Cmd::ColorBalance, "Color Balance...", true, "Color"},
    MenuEntry{Cmd::HueSaturation, "Hue/Saturation...", true, "Hue/Saturation/Intensity"},
    MenuEntry{Cmd::BlurSharpen, "Blur/Sharpen...", true, "Blur/Sharpen"},
    MenuEntry{Cmd::ImageSize, "Image Size...", false, "Image Size"},
    MenuEntry{Cmd::CanvasSize, "Canvas Size...", false, "Canvas Size"},
    MenuEntry{Cmd::Rotate180, "180\u00B0", false},
    MenuEntry{Cmd::Rotate90CW, "90\u00B0 CW", false},
    MenuEntry{Cmd::Rotate90CCW, "90\u00B0 CCW", false},
    MenuEntry{Cmd::FlipHorizontal, "Flip Horizontal", false},
    MenuEntry{Cmd::FlipVertical, "Flip Vertical", false},
    MenuEntry{Cmd::Crop, "Crop", false},
    MenuEntry{Cmd::BackgroundErase, "Erase Background", false},
    MenuEntry{Cmd::BackgroundExtend, "Extend Background", false},
};

const QString kReady = "Ready";

const MenuEntry* menuEntry(int id) {
    for (const MenuEntry& e : kMenuEntries)
        if (e.id == id) return &e;
    return nullptr;
}

// A result shown in the view before OK: the command run for real and undone again
// before the next one. The history as it stood before the first preview is put back
// afterwards, so that neither the preview nor the loss of the steps a redo could
// bring back stays behind.
class LivePreview {
public:
    explicit LivePreview(Workspace& workspace) : workspace_(workspace) {}
    ~LivePreview() {
        withdraw();
        if (kept_) workspace_.project().history = std::move(*kept_);
    }
    LivePreview(const LivePreview&) = delete;
    LivePreview& operator=(const LivePreview&) = delete;

    void show(const ImageEditCommand& command, int image, const CommandValues& values) {
        withdraw();
        History& history = workspace_.project().history;
        if (!kept_) kept_ = history;
        const int before = history.position();
        (void)runImageEditCommand(command, workspace_.project(), image, values,
                                  workspace_.prompter());
        shown_ = history.position() != before;
    }
    void withdraw() {
        if (std::exchange(shown_, false)) workspace_.undo();
    }

private:
    Workspace& workspace_;
    std::optional<History> kept_;
    bool shown_ = false;
};

} // namespace

void MainFrame::runImageEdit(int id) {
    const MenuEntry* entry = menuEntry(id);
    const ImageEditCommand* command = entry ? findImageEditCommand(entry->name) : nullptr;
    if (!command) return;
    if (id == Cmd::WhiteBalance) {
        whiteBalancePick_ = true;
        setPaneText(0, qtText(kWhiteBalancePrompt));
        return;
    }
    const int image = project().currentImage;
    CommandValues values;
    if (command->fields.empty()) {
        if (entry->preview && imageEditPanel_->selection().settings().editingBackground)
            values[std::string(CommonField::Background)] = 1;
        finishImageEdit(runImageEditCommand(*command, project(), image, values, *prompter_));
        return;
    }
    ImageEditCommandDialog dialog(*command, qtText(entry->title), entry->preview, this);
    // The sizes start from the image's own.
    if (const ProjectImage* current = project().current(); current && !entry->preview) {
        dialog.fields().set("Width", QString::number(current->width()));
        dialog.fields().set("Height", QString::number(current->height()));
    }
    auto withBackground = [&] {
        CommandValues v = dialog.values();
        if (entry->preview && imageEditPanel_->selection().settings().editingBackground)
            v[std::string(CommonField::Background)] = 1;
        return v;
    };
    {
        LivePreview preview(*workspace_);
        connect(&dialog, &ImageEditCommandDialog::previewWanted, this, [&] {
            if (dialog.previewOn())
                preview.show(*command, image, withBackground());
            else
                preview.withdraw();
            refreshView();
        });
        if (answerImageEditDialog)
            answerImageEditDialog(dialog);
        else
            dialog.exec();
    }
    if (dialog.result() != QDialog::Accepted) return refreshAll();
    finishImageEdit(runImageEditCommand(*command, project(), image, withBackground(), *prompter_));
}

void MainFrame::pickWhiteBalance(int x, int y) {
    cancelWhiteBalancePick();
    const ImageEditCommand* command = findImageEditCommand(menuEntry(Cmd::WhiteBalance)->name);
    const RasterImage* picture = imageEditPanel_->selection().mask();
    // Outside the picture the click is no pick; the engine ignores the edges itself.
    if (!command || !picture || x < 0 || y < 0 || x >= picture->width() || y >= picture->height())
        return refreshAll();
    CommandValues values{{"X", x}, {"Y", y}};
    if (imageEditPanel_->selection().settings().editingBackground)
        values[std::string(CommonField::Background)] = 1;
    finishImageEdit(
        runImageEditCommand(*command, project(), project().currentImage, values, *prompter_));
}

void MainFrame::cancelWhiteBalancePick() {
    whiteBalancePick_ = false;
    setPaneText(0, kReady);
}

void MainFrame::finishImageEdit(const Status& status) {
    if (!status && !status.message().empty()) prompter_->message(status.message());
    refreshAll();
}

// Image Edit mode with a selected image, nothing floating, no stroke under way.
CommandState MainFrame::imageEditCommandState() const {
    const bool enabled = mode() == AnimationMode::ImageEdit && workspace_->hasSelectedImage() &&
                         !workspace_->floating.pending && !imageEditPanel_->selection().busy() &&
                         !imageEditPanel_->painting();
    return {enabled, false};
}

} // namespace zx
