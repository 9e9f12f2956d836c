#include "framework/wait_cursor.h"

#include <utility>

namespace framework {

namespace {
WaitCursorHandler& CurrentWaitCursorHandler() {
    static WaitCursorHandler handler;
    return handler;
}

void ShowWaitCursor(bool shown) {
    if (const WaitCursorHandler& handler = CurrentWaitCursorHandler()) {
        handler(shown);
    }
}
}  // namespace

WaitCursorHandler SetWaitCursorHandler(WaitCursorHandler handler) {
    return std::exchange(CurrentWaitCursorHandler(), std::move(handler));
}

CWaitCursor::CWaitCursor() {
    ShowWaitCursor(true);
}

CWaitCursor::~CWaitCursor() {
    ShowWaitCursor(false);
}

}  // namespace framework
