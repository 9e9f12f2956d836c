// The wait cursor for the lifetime of a scope, while a file is read or written. Message boxes
// and dialogs never run inside one. The GUI installs the handler that shows and hides the
// cursor; without one (tools, tests) nothing shows.
#pragma once

#include <functional>

namespace framework {

// Called with true when the cursor shows and with false when it goes.
using WaitCursorHandler = std::function<void(bool shown)>;
// Installs the handler (empty removes it) and returns the previous one.
WaitCursorHandler SetWaitCursorHandler(WaitCursorHandler handler);

class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

}  // namespace framework
