// Real message boxes for the GUI, and the one three-way question the framework asks (save
// changes: Yes, No, Cancel), which goes through a seam of its own so tests can answer it.
#pragma once

#include <QString>
#include <functional>

namespace framework {

// Makes platform::ShowMessage show real boxes over the active window: a stop message as a
// critical box, a question with Yes and No, information with OK.
void InstallMessageBoxes();

enum class YesNoCancel { Yes, No, Cancel };

using YesNoCancelHandler = std::function<YesNoCancel(const QString& text)>;
// Installs the handler for the whole process and returns the previous one.
YesNoCancelHandler SetYesNoCancelHandler(YesNoCancelHandler handler);

// Without a handler: a warning box with Yes, No and Cancel.
YesNoCancel AskYesNoCancel(const QString& text);

}  // namespace framework
