// "Format MDOS Disk": the geometry and the volume name for "Format ...". Its OK is the only
// confirmation before the disk is wiped.
#pragma once

#include <QString>

#include "framework/widgets/dialog.h"

class QLineEdit;

class CFormatDlg : public framework::CDialog {
    Q_OBJECT
public:
    explicit CFormatDlg(QWidget* parent = nullptr);

    QString m_strName = QStringLiteral("noname");
    int m_nTracks = 94;
    int m_nSectors = 9;

    QLineEdit* m_editName;
    QLineEdit* m_editTracks;
    QLineEdit* m_editSectors;

protected:
    void DoDataExchange(framework::CDataExchange& dx) override;
};
