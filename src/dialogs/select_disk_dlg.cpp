#include "dialogs/select_disk_dlg.h"

#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>

#include "dialogs/ok_cancel.h"

namespace {
// Room for 15 characters of the 32-character record name and the terminator.
constexpr int kNameBufferSize = 16;
}  // namespace

CSelectDiskDlg::CSelectDiskDlg(QWidget* parent)
    : CDialog(parent), m_staticPrompt(new QLabel(this)), m_comboDisks(new QComboBox(this)) {
    setWindowTitle(QStringLiteral("Select Disk"));
    m_comboDisks->setEditable(true);
    // The list is the image's disks in order; typing must not add to it or reorder it.
    m_comboDisks->setInsertPolicy(QComboBox::NoInsert);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_staticPrompt);
    layout->addWidget(m_comboDisks);
    dialogs::AddOkCancelRow(this, layout);
}

bool CSelectDiskDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_staticPrompt->setText(m_strPrompt);
    m_comboDisks->clear();
    if (m_pDisks != nullptr) {
        for (const std::unique_ptr<CMdosDisk>& disk : *m_pDisks) {
            char name[kNameBufferSize];
            disk->GetDiskName(name, kNameBufferSize);
            m_comboDisks->addItem(QString::fromLatin1(name),
                                  QVariant::fromValue(static_cast<void*>(disk.get())));
        }
    }
    m_comboDisks->setCurrentIndex(0);
    return true;
}

void CSelectDiskDlg::OnOK() {
    const int index = m_comboDisks->currentIndex();
    const bool typedOther =
        index < 0 || m_comboDisks->currentText() != m_comboDisks->itemText(index);
    selectedDisk = typedOther
                       ? nullptr
                       : static_cast<CMdosDisk*>(m_comboDisks->itemData(index).value<void*>());
    CDialog::OnOK();
}

void CSelectDiskDlg::SetPrompt(const QString& prompt) {
    m_strPrompt = prompt;
}

void CSelectDiskDlg::SetDiskArray(const DiskArray* disks) {
    m_pDisks = disks;
}
