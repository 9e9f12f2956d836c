// Real message boxes for the GUI, and the one three-way question the framework asks (save
// changes: Yes, No, Cancel), which goes through a seam of its own so tests can answer it.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

namespace framework {

// Makes platform::ShowMessage show real boxes: a stop message as a critical box, a question
// with Yes and No, information with OK.
void InstallMessageBoxes();

// The window a box belongs to when no dialog is up: the main window, so that a box never shows
// at the middle of the screen because no window happened to be active (right after a dialog
// closed, or during a drop). A box shown while a dialog is up belongs to the dialog.
void SetMessageBoxOwner(QWidget* owner);
// The parent a box gets now.
[[nodiscard]] QWidget* MessageBoxParent();

enum class YesNoCancel { Yes, No, Cancel };

using YesNoCancelHandler = std::function<YesNoCancel(const QString& text)>;
// Installs the handler for the whole process and returns the previous one.
YesNoCancelHandler SetYesNoCancelHandler(YesNoCancelHandler handler);

// Without a handler: a warning box with Yes, No and Cancel.
YesNoCancel AskYesNoCancel(const QString& text);

}  // namespace framework
