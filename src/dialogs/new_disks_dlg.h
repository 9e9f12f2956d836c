// "Add Tarrow disks": how many disks "Add More ..." appends, and whether they are formatted
// afresh or copied from a single-disk file. The choice and the path persist in the section
// "AddMoreDisks"; the numbers and the name start from their defaults every time.
#pragma once

#include <QString>

#include "disk/mdos_format.h"
#include "framework/widgets/dialog.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CNewDisksDlg : public framework::CDialog {
    Q_OBJECT
public:
    static constexpr int kFormatNew = 1;
    static constexpr int kFromTemplate = 2;

    explicit CNewDisksDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    // Stores the choice and the path whatever the fields hold; closes only when all pass.
    void OnOK() override;

    void OnRadioFormat();
    void OnRadioTemplate();
    void OnBrowse();

    virtual void LoadSettings();
    virtual void SaveSettings() const;
    virtual void UpdateControls();

    int m_nRadio = kFormatNew;
    QString m_strName = QStringLiteral("emptydisk");
    int m_nTracks = disk::kStandardTracks;
    int m_nSectors = disk::kStandardSectorsPerTrack;
    int m_nDisks = 16;
    QString m_strFile;

    QLineEdit* m_editDisks;
    QRadioButton* m_radioFormat;
    QLabel* m_labelTracks;
    QLineEdit* m_editTracks;
    QLabel* m_labelSectors;
    QLineEdit* m_editSectors;
    QLabel* m_labelName;
    QLineEdit* m_editName;
    QRadioButton* m_radioTemplate;
    QLabel* m_labelFile;
    QPushButton* m_btnBrowse;
    QLineEdit* m_editFile;

protected:
    void DoDataExchange(framework::CDataExchange& dx) override;
};
