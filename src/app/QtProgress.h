#pragma once
// Long work shown in a progress dialog with a Cancel button. The dialog appears
// only when the work takes long enough to notice, and keeps the window painted.

#include "app/AppLayer.h"

#include "platform/Progress.h"

#include <QProgressDialog>

#include <memory>

namespace zx {

class QtProgress : public Progress {
public:
    QtProgress(QWidget* parent, const QString& title, bool cancellable = true);
    ~QtProgress() override;
    void setTitle(std::string_view title) override;
    void setDetail(std::string_view detail) override;
    void setPosition(long long position, long long total) override;
    bool cancelled() const override;

private:
    std::unique_ptr<QProgressDialog> dialog_;
};

} // namespace zx
