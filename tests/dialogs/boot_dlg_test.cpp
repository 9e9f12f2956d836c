#include "dialogs/boot_dlg.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "dialogs/dialog_units.h"
#include "image/boot_settings.h"
#include "support/dialog_seams.h"

namespace {

class BootDlgTest : public DialogSeamsTest {
protected:
    [[nodiscard]] static CBootSettings Stored() {
        CBootSettings settings;
        settings.LoadSettings();
        return settings;
    }
    static void ExpectPathControlsEnabled(const CBootDlg& dlg, bool path) {
        EXPECT_EQ(dlg.m_editFile->isEnabled(), path);
        EXPECT_EQ(dlg.m_labelFile->isEnabled(), path);
        EXPECT_EQ(dlg.m_btnBrowse->isEnabled(), path);
    }
};

TEST_F(BootDlgTest, FirstOpeningOffersAnEmptyTemplateFile) {
    CBootDlg dlg;
    Run<CBootDlg>(dlg, [](CBootDlg& shown) {
        EXPECT_EQ(shown.windowTitle(), "Boot Template Settings");
        EXPECT_TRUE(shown.m_radioFile->isChecked());
        EXPECT_FALSE(shown.m_radioList->isChecked());
        EXPECT_EQ(shown.m_editFile->text(), "");
        ExpectPathControlsEnabled(shown, true);
        EXPECT_FALSE(shown.m_listFiles->isEnabled());
        EXPECT_TRUE(shown.m_listFiles->isSortingEnabled());
        return framework::IDCANCEL;
    });
}

TEST_F(BootDlgTest, OkStoresChoiceAndTypedPathWithoutChecks) {
    CBootDlg dlg;
    const int result = Run<CBootDlg>(dlg, [](CBootDlg& shown) {
        shown.m_editFile->setText("any text at all");
        shown.m_radioList->click();
        ExpectPathControlsEnabled(shown, false);
        EXPECT_TRUE(shown.m_listFiles->isEnabled());
        return PressOk(shown);
    });
    EXPECT_EQ(result, framework::IDOK);
    EXPECT_TRUE(m_messages.Texts().empty());
    EXPECT_EQ(Stored().m_nRadio, 2);
    EXPECT_EQ(Stored().m_strFile, "any text at all");

    CBootDlg next;
    Run<CBootDlg>(next, [](CBootDlg& shown) {
        EXPECT_TRUE(shown.m_radioList->isChecked());
        EXPECT_EQ(shown.m_editFile->text(), "any text at all");
        shown.m_editFile->clear();
        shown.m_radioFile->click();
        ExpectPathControlsEnabled(shown, true);
        EXPECT_FALSE(shown.m_listFiles->isEnabled());
        return PressOk(shown);
    });
    EXPECT_EQ(Stored().m_nRadio, 1);
    EXPECT_EQ(Stored().m_strFile, "");
}

TEST_F(BootDlgTest, BrowseFillsThePathAndCancelStoresNothing) {
    ChooseFile(QStringLiteral("/images/boot.dsk"));
    CBootDlg dlg;
    const int result = Run<CBootDlg>(dlg, [](CBootDlg& shown) {
        shown.m_btnBrowse->click();
        EXPECT_EQ(shown.m_editFile->text(), "/images/boot.dsk");
        shown.m_radioList->click();
        shown.OnCancel();
        return shown.GetResult();
    });
    EXPECT_EQ(result, framework::IDCANCEL);
    ASSERT_EQ(m_fileDialogs.size(), 1u);
    EXPECT_TRUE(m_fileDialogs[0].open);
    EXPECT_EQ(m_fileDialogs[0].defaultExt, "*.*");
    EXPECT_EQ(m_fileDialogs[0].filter, "All files|*.*||");
    EXPECT_EQ(Stored().m_nRadio, 1);
    EXPECT_EQ(Stored().m_strFile, "");
}

TEST_F(BootDlgTest, UnknownStoredChoiceLeavesEverythingDisabled) {
    CBootSettings odd;
    odd.m_nRadio = 0;
    odd.SaveSettings();
    CBootDlg dlg;
    Run<CBootDlg>(dlg, [](CBootDlg& shown) {
        EXPECT_FALSE(shown.m_radioFile->isChecked());
        EXPECT_FALSE(shown.m_radioList->isChecked());
        ExpectPathControlsEnabled(shown, false);
        EXPECT_FALSE(shown.m_listFiles->isEnabled());
        return framework::IDCANCEL;
    });
}

TEST_F(BootDlgTest, OpensAtItsSizeWithRoomForARealPath) {
    CBootDlg dialog;
    dialog.show();
    const QFontMetrics metrics(dialog.font());
    EXPECT_EQ(dialog.size(), dialogs::DialogUnitsToPixels(dialog, 257, 213));
    EXPECT_GE(dialog.m_editFile->width(), metrics.horizontalAdvance(QString(36, 'x')));
    EXPECT_GE(dialog.m_listFiles->height(), 8 * metrics.height());
}

TEST_F(BootDlgTest, TheCommandRunsTheDialogModally) {
    int runs = 0;
    QWidget owner;
    framework::SetModalHandler([&runs, &owner](framework::CDialog& shown) {
        ++runs;
        auto* boot = dynamic_cast<CBootDlg*>(&shown);
        EXPECT_NE(boot, nullptr);
        if (boot == nullptr) {
            return framework::IDCANCEL;
        }
        EXPECT_EQ(boot->parentWidget(), &owner);
        boot->m_radioList->click();
        return PressOk(*boot);
    });
    RunBootTemplateDialog(&owner);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(Stored().m_nRadio, 2);
}

}  // namespace
