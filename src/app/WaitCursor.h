#pragma once
// The wait cursor for the length of a file operation or other blocking work.

#include "app/AppLayer.h"

#include <QGuiApplication>

namespace zx {

struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace zx
