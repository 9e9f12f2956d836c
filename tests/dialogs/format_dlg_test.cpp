#include "dialogs/format_dlg.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include "support/dialog_seams.h"

namespace {

using FormatDlgTest = DialogSeamsTest;

TEST_F(FormatDlgTest, OpensWithDefaultsAndReturnsTheEnteredValues) {
    CFormatDlg dlg;
    const int result = Run<CFormatDlg>(dlg, [](CFormatDlg& shown) {
        EXPECT_EQ(shown.windowTitle(), "Format MDOS Disk");
        EXPECT_EQ(shown.m_editName->text(), "noname");
        EXPECT_EQ(shown.m_editTracks->text(), "94");
        EXPECT_EQ(shown.m_editSectors->text(), "9");
        shown.m_editName->setText("games");
        shown.m_editTracks->setText("80");
        shown.m_editSectors->setText("10");
        return PressOk(shown);
    });
    ASSERT_EQ(result, framework::IDOK);
    EXPECT_TRUE(m_messages.Texts().empty());
    EXPECT_EQ(dlg.m_strName, "games");
    EXPECT_EQ(dlg.m_nTracks, 80);
    EXPECT_EQ(dlg.m_nSectors, 10);
}

TEST_F(FormatDlgTest, BadFieldsKeepTheDialogOpenWithTheFirstMessage) {
    struct Case {
        QString name, tracks, sectors;
        std::string message;
        QLineEdit* CFormatDlg::*focused;
    };
    const Case cases[] = {
        {"elevenchars", "95", "11", "Please enter no more than 10 characters.",
         &CFormatDlg::m_editName},
        {"ok", "95", "11", "Please enter an integer between 1 and 94.", &CFormatDlg::m_editTracks},
        {"ok", "1e2", "9", "Please enter an integer.", &CFormatDlg::m_editTracks},
        {"ok", "94", "11", "Please enter an integer between 1 and 10.", &CFormatDlg::m_editSectors},
        {"ok", "94", "0", "Please enter an integer between 1 and 10.", &CFormatDlg::m_editSectors},
    };
    for (const Case& c : cases) {
        m_messages.Clear();
        CFormatDlg dlg;
        const int result = Run<CFormatDlg>(dlg, [&c](CFormatDlg& shown) {
            shown.m_editName->setText(c.name);
            shown.m_editTracks->setText(c.tracks);
            shown.m_editSectors->setText(c.sectors);
            const int ok = PressOk(shown);
            EXPECT_EQ(shown.focusWidget(), shown.*c.focused) << c.message;
            return ok;
        });
        EXPECT_NE(result, framework::IDOK);
        EXPECT_EQ(m_messages.Texts(), std::vector<std::string>{c.message});
    }
}

}  // namespace
