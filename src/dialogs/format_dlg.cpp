#include "dialogs/format_dlg.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "dialogs/ok_cancel.h"
#include "dialogs/volume_fields.h"

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
    dialogs::ExchangeVolumeFields(dx, {m_editName, m_editTracks, m_editSectors}, m_strName,
                                  m_nTracks, m_nSectors);
}
