// "Format MDOS Disk": the geometry and the volume name for "Format ...". Its OK is the only
// confirmation before the disk is wiped.
#pragma once

#include <QString>

#include "disk/mdos_format.h"
#include "framework/widgets/dialog.h"

class QLineEdit;

class CFormatDlg : public framework::CDialog {
    Q_OBJECT
public:
    explicit CFormatDlg(QWidget* parent = nullptr);

    QString m_strName = QStringLiteral("noname");
    int m_nTracks = disk::kStandardTracks;
    int m_nSectors = disk::kStandardSectorsPerTrack;

    QLineEdit* m_editName;
    QLineEdit* m_editTracks;
    QLineEdit* m_editSectors;

protected:
    void DoDataExchange(framework::CDataExchange& dx) override;
};
