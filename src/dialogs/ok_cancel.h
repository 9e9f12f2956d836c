// The OK and Cancel buttons that close every dialog of ours, at the bottom right.
#pragma once

class QBoxLayout;
class QDialog;

namespace dialogs {

// Appends a row with OK (the default button) and Cancel to layout; they run the dialog's
// accept() and reject().
void AddOkCancelRow(QDialog* dialog, QBoxLayout* layout);

}  // namespace dialogs
