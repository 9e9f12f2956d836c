// "Boot Template Settings": which template the boot disk of every new image is made from. The
// dialog only edits the choice kept in the section "Boot"; the open image stays as it is.
#pragma once

#include <QString>

#include "framework/widgets/dialog.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

class CBootDlg : public framework::CDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateFile = 1;
    static constexpr int kBinaryFiles = 2;
    // The dialog's size in dialog units.
    static constexpr int kWidthUnits = 257;
    static constexpr int kHeightUnits = 213;

    explicit CBootDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    // Stores the choice and the path as they are; nothing is checked.
    void OnOK() override;

    void OnRadioFile();
    void OnRadioList();
    void OnBrowse();

    virtual void LoadSettings();
    virtual void SaveSettings() const;
    virtual void UpdateControls();

    int m_nRadio = kTemplateFile;
    QString m_strFile;

    QRadioButton* m_radioFile;
    QLabel* m_labelFile;
    QPushButton* m_btnBrowse;
    QLineEdit* m_editFile;
    QRadioButton* m_radioList;
    // Only ever enabled and disabled: a template made of binary files is a choice we store but
    // cannot build yet.
    QListWidget* m_listFiles;

protected:
    void DoDataExchange(framework::CDataExchange& dx) override;
};

// The command "Boot Template ...": runs the dialog over parent's window; the dialog stores its
// settings itself.
void RunBootTemplateDialog(QWidget* parent);
