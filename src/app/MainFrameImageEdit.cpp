// The main frame's picture edits of Image Edit mode: the Image menu's adjustments,
// sizes, rotations, flips, Crop and the background commands, each run through the
// engine's table of Image Edit commands. A command with values asks for them in one
// dialog; an adjustment shows its result in the view while the values change.

#include "app/CanvasView.h"
#include "app/MainFrame.h"

#include "commands/AdjustmentCommands.h"
#include "commands/ImageEditCommands.h"
#include "commands/ViewLayout.h"
#include "imaging/MaskLayer.h"
#include "ui/ImageEditCommandDialog.h"
#include "ui/LightingEffectsDialog.h"
#include "ui/ModePanels.h"
#include "ui/QtText.h"

#include <algorithm>
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
    MenuEntry{Cmd::LightingEffects, "Lighting Effects...", true, "Lighting Effects"},
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

// A result shown in the view before OK: the row worked out for the part of the picture
// the view shows, at the view's zoom, and drawn in place of the picture; the project
// and its history are not touched, so a large picture never holds the window up.
class LivePreview {
public:
    explicit LivePreview(MainFrame& frame) : frame_(frame) {}
    ~LivePreview() { withdraw(); }
    LivePreview(const LivePreview&) = delete;
    LivePreview& operator=(const LivePreview&) = delete;

    void show(const ImageEditCommand& command, int image, const CommandValues& values) {
        RasterImage picture;
        const AdjustPreview preview{frame_.view()->visibleImageArea(), previewStep(frame_.zoom()),
                                    &picture, &cache_};
        (void)runImageEditCommand(command, frame_.project(), image, values, frame_.prompter(),
                                  &preview);
        const auto background = values.find(std::string(CommonField::Background));
        if (picture.empty())
            withdraw();
        else
            frame_.setPreviewPicture(MainFrame::PreviewPicture{
                image, background != values.end() && background->second != 0, std::move(picture)});
    }
    void withdraw() { frame_.setPreviewPicture(std::nullopt); }

private:
    MainFrame& frame_;
    AdjustCache cache_; // the picture stays as it is while the dialog is open
};

// The values a row runs with: those given, and the background while it is edited.
CommandValues withBackground(MainFrame& frame, const MenuEntry& entry, CommandValues values) {
    if (entry.preview && frame.imageEditPanel()->selection().settings().editingBackground)
        values[std::string(CommonField::Background)] = 1;
    return values;
}

void runEdit(MainFrame& frame, const ImageEditCommand& command, const CommandValues& values) {
    Project& project = frame.project();
    const Status status =
        runImageEditCommand(command, project, project.currentImage, values, frame.prompter());
    if (!status && !status.message().empty()) frame.prompter().message(status.message());
    frame.refreshAll();
}

// The dialog's values, previewed while they change; none when cancelled.
template <class Dialog>
std::optional<CommandValues> runDialog(MainFrame& frame, const MenuEntry& entry,
                                       const ImageEditCommand& command, Dialog& dialog,
                                       const std::function<void(Dialog&)>& answer) {
    const RasterImage* mask = frame.imageEditPanel()->selection().mask();
    dialog.setSelectionAvailable(mask && std::ranges::any_of(mask->pixelVector(), isSelectedWord));
    const int image = frame.project().currentImage;
    {
        LivePreview preview(frame);
        QObject::connect(&dialog, &Dialog::previewWanted, &frame, [&] {
            if (dialog.previewOn())
                preview.show(command, image, withBackground(frame, entry, dialog.values()));
            else
                preview.withdraw();
            frame.refreshView();
        });
        if (answer)
            answer(dialog);
        else
            dialog.exec();
    }
    if (dialog.result() != QDialog::Accepted) return std::nullopt;
    return withBackground(frame, entry, dialog.values());
}

// The row's values from its dialog; none when cancelled.
std::optional<CommandValues> askValues(MainFrame& frame, const MenuEntry& entry,
                                       const ImageEditCommand& command) {
    const ProjectImage* current = frame.project().current();
    if (entry.id == Cmd::LightingEffects && current) {
        const int layer = frame.imageEditPanel()->selection().settings().editingBackground
                              ? kBackgroundLayer
                              : kSubjectLayer;
        Project& project = frame.project();
        LightingEffectsDialog dialog(
            [&project, layer] {
                const ProjectImage* image = project.current();
                return image ? image->layerPicture(layer) : nullptr;
            },
            {0, 0, current->width(), current->height()}, &frame);
        return runDialog(frame, entry, command, dialog, frame.answerLightingDialog);
    }
    ImageEditCommandDialog dialog(command, qtText(entry.title), entry.preview, &frame);
    // The sizes start from the image's own.
    if (current && !entry.preview) {
        dialog.fields().set("Width", QString::number(current->width()));
        dialog.fields().set("Height", QString::number(current->height()));
    }
    return runDialog(frame, entry, command, dialog, frame.answerImageEditDialog);
}

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
    if (command->fields.empty()) return runEdit(*this, *command, withBackground(*this, *entry, {}));
    if (const auto values = askValues(*this, *entry, *command))
        runEdit(*this, *command, *values);
    else
        refreshAll();
}

void MainFrame::setPreviewPicture(std::optional<PreviewPicture> preview) {
    previewPicture_ = std::move(preview);
    refreshView();
}

void MainFrame::runPictureEdit(std::string_view name) {
    for (const MenuEntry& e : kMenuEntries)
        if (e.name == name && imageEditCommandState().enabled) return runImageEdit(e.id);
}

void MainFrame::onBackgroundEdit() {
    const int current = workspace_->project().currentImage;
    if (workspace_->selectImage(current, !workspace_->backgroundSelected())) refreshAll();
}

// Image Edit mode, an image with a background picture, nothing floating or busy.
CommandState MainFrame::backgroundEditState() const {
    const ProjectImage* image = workspace_->project().current();
    const bool enabled = imageEditCommandState().enabled && image &&
                         image->layerPicture(kBackgroundLayer) != nullptr;
    return {enabled, workspace_->backgroundSelected()};
}

void MainFrame::pickWhiteBalance(int x, int y) {
    cancelWhiteBalancePick();
    const MenuEntry& entry = *menuEntry(Cmd::WhiteBalance);
    const ImageEditCommand* command = findImageEditCommand(entry.name);
    const RasterImage* picture = imageEditPanel_->selection().mask();
    // Outside the picture the click is no pick; the engine ignores the edges itself.
    if (!command || !picture || x < 0 || y < 0 || x >= picture->width() || y >= picture->height())
        return refreshAll();
    runEdit(*this, *command, withBackground(*this, entry, {{"X", x}, {"Y", y}}));
}

void MainFrame::cancelWhiteBalancePick() {
    whiteBalancePick_ = false;
    setPaneText(0, kReady);
}

// Image Edit mode with a selected image, nothing floating, no stroke under way.
CommandState MainFrame::imageEditCommandState() const {
    const bool enabled = mode() == AnimationMode::ImageEdit && workspace_->hasSelectedImage() &&
                         !workspace_->floating.pending && !imageEditPanel_->selection().busy() &&
                         !imageEditPanel_->painting();
    return {enabled, false};
}

} // namespace zx
