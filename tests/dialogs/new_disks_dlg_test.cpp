#include "dialogs/new_disks_dlg.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "support/dialog_seams.h"

namespace {

const QString kSection = QStringLiteral("AddMoreDisks");
const QString kUnset = QStringLiteral("<unset>");

class NewDisksDlgTest : public DialogSeamsTest {
protected:
    [[nodiscard]] static int StoredRadio() {
        return framework::GetProfileInt(kSection, QStringLiteral("Radio"), -1);
    }
    [[nodiscard]] static QString StoredFile() {
        return framework::GetProfileString(kSection, QStringLiteral("File"), kUnset);
    }
    static void ExpectFormatControlsEnabled(const CNewDisksDlg& dlg, bool format) {
        EXPECT_EQ(dlg.m_editTracks->isEnabled(), format);
        EXPECT_EQ(dlg.m_labelTracks->isEnabled(), format);
        EXPECT_EQ(dlg.m_editSectors->isEnabled(), format);
        EXPECT_EQ(dlg.m_labelSectors->isEnabled(), format);
        EXPECT_EQ(dlg.m_editName->isEnabled(), format);
        EXPECT_EQ(dlg.m_labelName->isEnabled(), format);
    }
    static void ExpectPathControlsEnabled(const CNewDisksDlg& dlg, bool path) {
        EXPECT_EQ(dlg.m_editFile->isEnabled(), path);
        EXPECT_EQ(dlg.m_labelFile->isEnabled(), path);
        EXPECT_EQ(dlg.m_btnBrowse->isEnabled(), path);
    }
};

TEST_F(NewDisksDlgTest, FirstOpeningShowsTheDefaults) {
    CNewDisksDlg dlg;
    Run<CNewDisksDlg>(dlg, [](CNewDisksDlg& shown) {
        EXPECT_EQ(shown.windowTitle(), "Add Tarrow disks");
        EXPECT_EQ(shown.m_editDisks->text(), "16");
        EXPECT_EQ(shown.m_editTracks->text(), "94");
        EXPECT_EQ(shown.m_editSectors->text(), "9");
        EXPECT_EQ(shown.m_editName->text(), "emptydisk");
        EXPECT_EQ(shown.m_editFile->text(), "");
        EXPECT_TRUE(shown.m_radioFormat->isChecked());
        EXPECT_FALSE(shown.m_radioTemplate->isChecked());
        ExpectFormatControlsEnabled(shown, true);
        ExpectPathControlsEnabled(shown, false);
        EXPECT_TRUE(shown.m_editDisks->isEnabled());
        shown.m_editName->insert("xy");
        EXPECT_EQ(shown.m_editName->text(), "emptydisk");
        return framework::IDCANCEL;
    });
}

TEST_F(NewDisksDlgTest, NextOpeningKeepsChoiceAndPathButNotTheNumbers) {
    ChooseFile(QStringLiteral("/images/template.dsk"));
    CNewDisksDlg first;
    const int result = Run<CNewDisksDlg>(first, [](CNewDisksDlg& shown) {
        shown.m_radioTemplate->click();
        ExpectFormatControlsEnabled(shown, false);
        ExpectPathControlsEnabled(shown, true);
        shown.m_btnBrowse->click();
        EXPECT_EQ(shown.m_editFile->text(), "/images/template.dsk");
        shown.m_editDisks->setText("-2");
        shown.m_editTracks->setText(" +40 ");
        return PressOk(shown);
    });
    ASSERT_EQ(result, framework::IDOK);
    ASSERT_EQ(m_fileDialogs.size(), 1u);
    EXPECT_TRUE(m_fileDialogs[0].open);
    EXPECT_EQ(m_fileDialogs[0].defaultExt, "*.*");
    EXPECT_EQ(m_fileDialogs[0].filter, "All files|*.*||");
    EXPECT_EQ(first.m_nRadio, 2);
    EXPECT_EQ(first.m_nDisks, -2);
    EXPECT_EQ(first.m_nTracks, 40);
    EXPECT_EQ(first.m_strFile, "/images/template.dsk");

    CNewDisksDlg second;
    Run<CNewDisksDlg>(second, [](CNewDisksDlg& shown) {
        EXPECT_TRUE(shown.m_radioTemplate->isChecked());
        EXPECT_FALSE(shown.m_radioFormat->isChecked());
        EXPECT_EQ(shown.m_editFile->text(), "/images/template.dsk");
        EXPECT_EQ(shown.m_editDisks->text(), "16");
        EXPECT_EQ(shown.m_editTracks->text(), "94");
        EXPECT_EQ(shown.m_editSectors->text(), "9");
        EXPECT_EQ(shown.m_editName->text(), "emptydisk");
        ExpectFormatControlsEnabled(shown, false);
        ExpectPathControlsEnabled(shown, true);
        return framework::IDCANCEL;
    });
}

TEST_F(NewDisksDlgTest, FailedFieldKeepsTheDialogOpenButStoresChoiceAndPathMember) {
    framework::WriteProfileString(kSection, QStringLiteral("File"), QStringLiteral("old.dsk"));
    CNewDisksDlg dlg;
    const int result = Run<CNewDisksDlg>(dlg, [](CNewDisksDlg& shown) {
        shown.m_radioTemplate->click();
        shown.m_editFile->setText("typed.dsk");
        shown.m_radioFormat->click();
        shown.m_editTracks->setText("95");
        const int ok = PressOk(shown);
        EXPECT_EQ(shown.focusWidget(), shown.m_editTracks);
        return ok;
    });
    EXPECT_NE(result, framework::IDOK);
    EXPECT_EQ(m_messages.Texts(),
              std::vector<std::string>{"Please enter an integer between 1 and 94."});
    EXPECT_EQ(m_messages.Kinds(), std::vector<platform::MessageKind>{platform::MessageKind::Stop});
    EXPECT_EQ(StoredRadio(), 1);
    // The path field comes after the failing one: the member as loaded is stored, not the edit.
    EXPECT_EQ(StoredFile(), "old.dsk");
}

TEST_F(NewDisksDlgTest, EachFieldReportsItsOwnMessage) {
    struct Case {
        QLineEdit* CNewDisksDlg::*edit;
        QString text;
        std::string message;
    };
    const Case cases[] = {
        {&CNewDisksDlg::m_editTracks, "12x", "Please enter an integer."},
        {&CNewDisksDlg::m_editTracks, "0", "Please enter an integer between 1 and 94."},
        {&CNewDisksDlg::m_editSectors, "11", "Please enter an integer between 1 and 10."},
        {&CNewDisksDlg::m_editSectors, "", "Please enter an integer."},
        {&CNewDisksDlg::m_editDisks, "many", "Please enter an integer."},
    };
    for (const Case& c : cases) {
        m_messages.Clear();
        CNewDisksDlg dlg;
        const int result = Run<CNewDisksDlg>(dlg, [&c](CNewDisksDlg& shown) {
            (shown.*c.edit)->setText(c.text);
            const int ok = PressOk(shown);
            EXPECT_EQ(shown.focusWidget(), shown.*c.edit) << c.text.toStdString();
            return ok;
        });
        EXPECT_NE(result, framework::IDOK);
        EXPECT_EQ(m_messages.Texts(), std::vector<std::string>{c.message}) << c.text.toStdString();
    }
}

TEST_F(NewDisksDlgTest, OnlyTheFirstOfSeveralBadFieldsIsReported) {
    CNewDisksDlg dlg;
    dlg.m_strName = QStringLiteral("elevenchars");
    Run<CNewDisksDlg>(dlg, [](CNewDisksDlg& shown) {
        shown.m_editTracks->setText("95");
        shown.m_editSectors->setText("0");
        PressOk(shown);
        EXPECT_EQ(shown.focusWidget(), shown.m_editName);
        shown.m_editName->setText("short");
        PressOk(shown);
        EXPECT_EQ(shown.focusWidget(), shown.m_editTracks);
        return shown.GetResult();
    });
    EXPECT_EQ(m_messages.Texts(),
              (std::vector<std::string>{"Please enter no more than 10 characters.",
                                        "Please enter an integer between 1 and 94."}));
}

TEST_F(NewDisksDlgTest, CancelStoresNothing) {
    ChooseFile(QStringLiteral("/images/template.dsk"));
    CNewDisksDlg dlg;
    const int result = Run<CNewDisksDlg>(dlg, [](CNewDisksDlg& shown) {
        shown.m_radioTemplate->click();
        shown.m_btnBrowse->click();
        shown.OnCancel();
        return shown.GetResult();
    });
    EXPECT_EQ(result, framework::IDCANCEL);
    EXPECT_EQ(StoredRadio(), -1);
    EXPECT_EQ(StoredFile(), kUnset);
}

TEST_F(NewDisksDlgTest, UnknownStoredChoiceLeavesTheInitialStateAndIsKept) {
    framework::WriteProfileInt(kSection, QStringLiteral("Radio"), 3);
    CNewDisksDlg dlg;
    Run<CNewDisksDlg>(dlg, [](CNewDisksDlg& shown) {
        EXPECT_FALSE(shown.m_radioFormat->isChecked());
        EXPECT_FALSE(shown.m_radioTemplate->isChecked());
        ExpectFormatControlsEnabled(shown, true);
        ExpectPathControlsEnabled(shown, false);
        return PressOk(shown);
    });
    EXPECT_EQ(dlg.m_nRadio, 3);
    EXPECT_EQ(StoredRadio(), 3);
}

}  // namespace
