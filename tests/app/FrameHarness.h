#pragma once
// What every main-frame test starts from: a fresh window over a settings file of its
// own and a prompt recorder, opened before each test and closed after it.

#include "app/MainFrame.h"
#include "app/QtSettingsStore.h"
#include "platform/RecordingPrompter.h"
#include "storage/Settings.h"

#include <QTemporaryDir>

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
};

} // namespace zx
