#pragma once
// What every main-frame test starts from: a fresh window over a settings file of its
// own and a prompt recorder, opened before each test and closed after it.

#include "app/CanvasView.h"
#include "app/MainFrame.h"
#include "app/QtSettingsStore.h"
#include "commands/ViewLayout.h"
#include "platform/RecordingPrompter.h"
#include "storage/Settings.h"

#include <QPoint>
#include <QTemporaryDir>

#include <algorithm>

#include <memory>

namespace zx {

struct FrameHarness {
    QTemporaryDir dir_;
    std::unique_ptr<QtSettingsStore> store_;
    Settings settings_;
    RecordingPrompter prompter_;
    std::unique_ptr<MainFrame> frame_;

    void openFrame(const QString& settingsFile) {
        store_ = std::make_unique<QtSettingsStore>(dir_.filePath(settingsFile));
        settings_ = readSettings(*store_);
        settings_.fps = 25;
        prompter_.clear();
        frame_ = std::make_unique<MainFrame>(settings_, store_.get(), &prompter_);
    }
    void closeFrame() {
        frame_->project().modified = false;
        frame_.reset();
    }
    // The view's point over the centre of pixel (x, y) of a w x h image that Image Edit
    // (or Image Align) shows centred at the frame's zoom.
    QPoint imagePoint(int w, int h, int x, int y) const {
        const double f = zoomFactor(frame_->zoom());
        const CanvasView* view = frame_->view();
        const int left = std::max(0, (view->width() - int(w * f)) / 2);
        const int top = std::max(0, (view->height() - int(h * f)) / 2);
        return {left + int((x + 0.5) * f), top + int((y + 0.5) * f)};
    }
};

} // namespace zx
