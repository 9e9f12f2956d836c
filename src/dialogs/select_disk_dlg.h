// "Select Disk": the target disk of copying or moving files. Every disk of the image is
// offered under its name, in image order; disks of the same name differ only by position.
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "disk/mdos_disk.h"
#include "framework/widgets/dialog.h"

class QComboBox;
class QLabel;

class CSelectDiskDlg : public framework::CDialog {
    Q_OBJECT
public:
    using DiskArray = std::vector<std::unique_ptr<CMdosDisk>>;

    explicit CSelectDiskDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    // selectedDisk becomes the disk of the current entry, or null when the user typed a text
    // that names no entry.
    void OnOK() override;

    virtual void SetPrompt(const QString& prompt);
    // Borrowed; set before DoModal.
    virtual void SetDiskArray(const DiskArray* disks);

    QString m_strPrompt;
    const DiskArray* m_pDisks = nullptr;
    CMdosDisk* selectedDisk = nullptr;

    QLabel* m_staticPrompt;
    QComboBox* m_comboDisks;
};
