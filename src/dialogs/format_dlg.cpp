#include "dialogs/format_dlg.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "dialogs/ok_cancel.h"
#include "framework/widgets/ddx.h"

namespace {
constexpr int kMaxNameChars = 10;
}  // namespace

CFormatDlg::CFormatDlg(QWidget* parent)
    : CDialog(parent),
      m_editName(new QLineEdit(this)),
      m_editTracks(new QLineEdit(this)),
      m_editSectors(new QLineEdit(this)) {
    setWindowTitle(QStringLiteral("Format MDOS Disk"));

    auto* layout = new QVBoxLayout(this);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Disk name"), m_editName);
    fields->addRow(QStringLiteral("Number of tracks"), m_editTracks);
    fields->addRow(QStringLiteral("Sectors per track"), m_editSectors);
    layout->addLayout(fields);
    dialogs::AddOkCancelRow(this, layout);
}

void CFormatDlg::DoDataExchange(framework::CDataExchange& dx) {
    framework::DDX_Text(dx, m_editName, m_strName);
    framework::DDV_MaxChars(dx, m_editName, m_strName, kMaxNameChars);
    framework::DDX_Text(dx, m_editTracks, m_nTracks);
    framework::DDV_MinMaxInt(dx, m_editTracks, m_nTracks, 1, 94);
    framework::DDX_Text(dx, m_editSectors, m_nSectors);
    framework::DDV_MinMaxInt(dx, m_editSectors, m_nSectors, 1, 10);
}
