#include "app/view_questions.h"

#include <optional>

#include "dialogs/format_dlg.h"
#include "dialogs/new_disks_dlg.h"
#include "dialogs/select_disk_dlg.h"
#include "framework/widgets/dialog.h"

namespace {

// Each view names a volume in a struct of its own, since neither sees the other.
template <class Volume>
std::optional<Volume> AskVolumeFormat(QWidget* parent) {
    CFormatDlg dialog(parent);
    if (dialog.DoModal() != framework::IDOK) {
        return std::nullopt;
    }
    return Volume{dialog.m_strName, dialog.m_nTracks, dialog.m_nSectors};
}

std::optional<CLeftView::NewDisks> AskNewDisks(QWidget* parent) {
    CNewDisksDlg dialog(parent);
    if (dialog.DoModal() != framework::IDOK) {
        return std::nullopt;
    }
    if (dialog.m_nRadio == CNewDisksDlg::kFormatNew) {
        return CLeftView::NewDisks{
            dialog.m_nDisks,
            CLeftView::VolumeFormat{dialog.m_strName, dialog.m_nTracks, dialog.m_nSectors},
            {}};
    }
    if (dialog.m_nRadio == CNewDisksDlg::kFromTemplate) {
        return CLeftView::NewDisks{dialog.m_nDisks, std::nullopt, dialog.m_strFile};
    }
    // The stored choice may be neither button: the dialog then leaves both unchecked, and its
    // OK adds nothing.
    return std::nullopt;
}

CMdosDisk* AskTargetDisk(QWidget* parent, const QString& prompt,
                         const std::vector<std::unique_ptr<CMdosDisk>>* disks) {
    CSelectDiskDlg dialog(parent);
    dialog.SetPrompt(prompt);
    dialog.SetDiskArray(disks);
    return dialog.DoModal() == framework::IDOK ? dialog.selectedDisk : nullptr;
}

}  // namespace

CLeftView::Questions TreeQuestions() {
    return {AskNewDisks, AskVolumeFormat<CLeftView::VolumeFormat>};
}

CBrindleView::Questions ListQuestions() {
    return {AskVolumeFormat<CBrindleView::VolumeFormat>, AskTargetDisk};
}
