#include "dialogs/boot_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <initializer_list>
#include <optional>

#include "dialogs/browse_file.h"
#include "dialogs/dialog_units.h"
#include "dialogs/ok_cancel.h"
#include "framework/widgets/ddx.h"
#include "image/boot_settings.h"

CBootDlg::CBootDlg(QWidget* parent)
    : CDialog(parent),
      m_radioFile(new QRadioButton(QStringLiteral("Use file as template"), this)),
      m_labelFile(new QLabel(QStringLiteral("File path"), this)),
      m_btnBrowse(new QPushButton(QStringLiteral("..."), this)),
      m_editFile(new QLineEdit(this)),
      m_radioList(
          new QRadioButton(QStringLiteral("Define template by list of binary files"), this)),
      m_listFiles(new QListWidget(this)) {
    setWindowTitle(QStringLiteral("Boot Template Settings"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_radioFile);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_labelFile);
    fileRow->addWidget(m_btnBrowse);
    fileRow->addWidget(m_editFile, 1);
    layout->addLayout(fileRow);
    layout->addWidget(m_radioList);
    m_listFiles->setSortingEnabled(true);
    m_listFiles->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(m_listFiles, 1);
    dialogs::AddOkCancelRow(this, layout);
    // 257 x 213 units: wide enough for a real template path, tall enough for a useful list.
    resize(dialogs::DialogUnitsToPixels(*this, kWidthUnits, kHeightUnits));

    for (QWidget* control :
         std::initializer_list<QWidget*>{m_labelFile, m_btnBrowse, m_editFile, m_listFiles}) {
        control->setEnabled(false);
    }

    connect(m_radioFile, &QRadioButton::clicked, this, &CBootDlg::OnRadioFile);
    connect(m_radioList, &QRadioButton::clicked, this, &CBootDlg::OnRadioList);
    connect(m_btnBrowse, &QPushButton::clicked, this, &CBootDlg::OnBrowse);

    LoadSettings();
}

void CBootDlg::DoDataExchange(framework::CDataExchange& dx) {
    framework::DDX_Radio(dx, {m_radioFile, m_radioList}, m_nRadio, kTemplateFile);
    framework::DDX_Text(dx, m_editFile, m_strFile);
}

bool CBootDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    UpdateControls();
    return true;
}

void CBootDlg::OnOK() {
    UpdateData(true);  // nothing to check: an empty path is a valid choice
    SaveSettings();
    EndDialog(framework::IDOK);
}

void CBootDlg::OnRadioFile() {
    m_nRadio = kTemplateFile;
    UpdateControls();
}

void CBootDlg::OnRadioList() {
    m_nRadio = kBinaryFiles;
    UpdateControls();
}

void CBootDlg::OnBrowse() {
    if (const std::optional<QString> path = dialogs::BrowseForFile(this)) {
        m_strFile = *path;
        UpdateData(false);
    }
}

void CBootDlg::LoadSettings() {
    CBootSettings settings;
    settings.LoadSettings();
    m_nRadio = settings.m_nRadio;
    m_strFile = settings.m_strFile;
}

void CBootDlg::SaveSettings() const {
    CBootSettings settings;
    settings.m_nRadio = m_nRadio;
    settings.m_strFile = m_strFile;
    settings.SaveSettings();
}

void CBootDlg::UpdateControls() {
    if (m_nRadio != kTemplateFile && m_nRadio != kBinaryFiles) {
        return;
    }
    const bool file = m_nRadio == kTemplateFile;
    (file ? m_radioFile : m_radioList)->setChecked(true);
    for (QWidget* control : std::initializer_list<QWidget*>{m_labelFile, m_btnBrowse, m_editFile}) {
        control->setEnabled(file);
    }
    m_listFiles->setEnabled(!file);
}

void RunBootTemplateDialog(QWidget* parent) {
    CBootDlg dialog(parent);
    dialog.DoModal();
}
