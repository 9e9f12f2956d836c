#include "dialogs/new_disks_dlg.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <initializer_list>
#include <optional>

#include "dialogs/browse_file.h"
#include "dialogs/ok_cancel.h"
#include "dialogs/volume_fields.h"
#include "framework/settings.h"
#include "framework/widgets/ddx.h"

namespace {
const QString kSection = QStringLiteral("AddMoreDisks");
constexpr int kIndent = 20;
}  // namespace

CNewDisksDlg::CNewDisksDlg(QWidget* parent)
    : CDialog(parent),
      m_editDisks(new QLineEdit(this)),
      m_radioFormat(new QRadioButton(QStringLiteral("Format new disks"), this)),
      m_labelTracks(new QLabel(QStringLiteral("Number of tracks"), this)),
      m_editTracks(new QLineEdit(this)),
      m_labelSectors(new QLabel(QStringLiteral("Sectors per track"), this)),
      m_editSectors(new QLineEdit(this)),
      m_labelName(new QLabel(QStringLiteral("Disk name"), this)),
      m_editName(new QLineEdit(this)),
      m_radioTemplate(new QRadioButton(QStringLiteral("Use file as template"), this)),
      m_labelFile(new QLabel(QStringLiteral("File path"), this)),
      m_btnBrowse(new QPushButton(QStringLiteral("..."), this)),
      m_editFile(new QLineEdit(this)) {
    setWindowTitle(QStringLiteral("Add Tarrow disks"));

    auto* layout = new QVBoxLayout(this);
    auto* disksRow = new QHBoxLayout;
    disksRow->addWidget(new QLabel(QStringLiteral("Number of disks"), this));
    disksRow->addWidget(m_editDisks);
    disksRow->addStretch(1);
    layout->addLayout(disksRow);

    layout->addWidget(m_radioFormat);
    auto* formatGrid = new QGridLayout;
    formatGrid->setContentsMargins(kIndent, 0, 0, 0);
    formatGrid->addWidget(m_labelTracks, 0, 0);
    formatGrid->addWidget(m_editTracks, 0, 1);
    formatGrid->addWidget(m_labelSectors, 0, 2);
    formatGrid->addWidget(m_editSectors, 0, 3);
    formatGrid->addWidget(m_labelName, 1, 0);
    formatGrid->addWidget(m_editName, 1, 1, 1, 3);
    layout->addLayout(formatGrid);

    layout->addWidget(m_radioTemplate);
    auto* fileRow = new QHBoxLayout;
    fileRow->setContentsMargins(kIndent, 0, 0, 0);
    fileRow->addWidget(m_labelFile);
    fileRow->addWidget(m_btnBrowse);
    fileRow->addWidget(m_editFile, 1);
    layout->addLayout(fileRow);

    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    layout->addWidget(separator);
    dialogs::AddOkCancelRow(this, layout);

    m_labelFile->setEnabled(false);
    m_btnBrowse->setEnabled(false);
    m_editFile->setEnabled(false);

    connect(m_radioFormat, &QRadioButton::clicked, this, &CNewDisksDlg::OnRadioFormat);
    connect(m_radioTemplate, &QRadioButton::clicked, this, &CNewDisksDlg::OnRadioTemplate);
    connect(m_btnBrowse, &QPushButton::clicked, this, &CNewDisksDlg::OnBrowse);

    LoadSettings();
}

void CNewDisksDlg::DoDataExchange(framework::CDataExchange& dx) {
    framework::DDX_Radio(dx, {m_radioFormat, m_radioTemplate}, m_nRadio, kFormatNew);
    dialogs::ExchangeVolumeFields(dx, {m_editName, m_editTracks, m_editSectors}, m_strName,
                                  m_nTracks, m_nSectors);
    framework::DDX_Text(dx, m_editDisks, m_nDisks);
    framework::DDX_Text(dx, m_editFile, m_strFile);
}

bool CNewDisksDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    UpdateControls();
    return true;
}

void CNewDisksDlg::OnOK() {
    const bool valid = UpdateData(true);
    SaveSettings();
    if (valid) {
        EndDialog(framework::IDOK);
    }
}

void CNewDisksDlg::OnRadioFormat() {
    m_nRadio = kFormatNew;
    UpdateControls();
}

void CNewDisksDlg::OnRadioTemplate() {
    m_nRadio = kFromTemplate;
    UpdateControls();
}

void CNewDisksDlg::OnBrowse() {
    if (const std::optional<QString> path = dialogs::BrowseForFile(this)) {
        m_strFile = *path;
        UpdateData(false);
    }
}

void CNewDisksDlg::LoadSettings() {
    m_nRadio = framework::GetProfileInt(kSection, QStringLiteral("Radio"), kFormatNew);
    m_strFile = framework::GetProfileString(kSection, QStringLiteral("File"));
}

void CNewDisksDlg::SaveSettings() const {
    framework::WriteProfileInt(kSection, QStringLiteral("Radio"), m_nRadio);
    framework::WriteProfileString(kSection, QStringLiteral("File"), m_strFile);
}

void CNewDisksDlg::UpdateControls() {
    if (m_nRadio != kFormatNew && m_nRadio != kFromTemplate) {
        return;
    }
    const bool format = m_nRadio == kFormatNew;
    (format ? m_radioFormat : m_radioTemplate)->setChecked(true);
    for (QWidget* control : std::initializer_list<QWidget*>{
             m_labelTracks, m_editTracks, m_labelSectors, m_editSectors, m_labelName, m_editName}) {
        control->setEnabled(format);
    }
    for (QWidget* control : std::initializer_list<QWidget*>{m_labelFile, m_btnBrowse, m_editFile}) {
        control->setEnabled(!format);
    }
}
