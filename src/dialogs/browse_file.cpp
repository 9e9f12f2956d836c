#include "dialogs/browse_file.h"

#include "framework/widgets/dialog.h"
#include "framework/widgets/file_dialog.h"

namespace dialogs {

std::optional<QString> BrowseForFile(QWidget* parent) {
    framework::CFileDialog dialog(true, QStringLiteral("*.*"), QString(),
                                  framework::OFN_HIDEREADONLY | framework::OFN_OVERWRITEPROMPT,
                                  QStringLiteral("All files|*.*||"), parent);
    if (dialog.DoModal() != framework::IDOK) {
        return std::nullopt;
    }
    return dialog.GetPathName();
}

}  // namespace dialogs
