// The GUI's wait cursor: the application's override cursor.
#pragma once

#include <QApplication>

#include "framework/wait_cursor.h"

namespace framework {

inline void InstallWaitCursor() {
    SetWaitCursorHandler([](bool shown) {
        if (shown) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        } else {
            QApplication::restoreOverrideCursor();
        }
    });
}

}  // namespace framework
