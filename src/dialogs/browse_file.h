// The "..." button beside a dialog's file path: an open dialog over all files.
#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace dialogs {

// Asks for a file to read; the chosen path, or nothing when the user cancels.
std::optional<QString> BrowseForFile(QWidget* parent);

}  // namespace dialogs
