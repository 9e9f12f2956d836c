#include "dialogs/select_disk_dlg.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>

#include "support/dialog_seams.h"

namespace {

class SelectDiskDlgTest : public DialogSeamsTest {
protected:
    void SetUp() override {
        for (const char* name : {"first disk", "a name longer than fifteen", "first disk"}) {
            m_disks.push_back(std::make_unique<CMdosDisk>());
            m_disks.back()->SetDiskName(name);
        }
    }

    // Opens the dialog over m_disks; script picks an entry and returns the result.
    int Select(CSelectDiskDlg& dlg, const std::function<int(CSelectDiskDlg&)>& script) {
        dlg.SetPrompt(QStringLiteral("Copy files to disk:"));
        dlg.SetDiskArray(&m_disks);
        return Run<CSelectDiskDlg>(dlg, script);
    }

    CSelectDiskDlg::DiskArray m_disks;
};

TEST_F(SelectDiskDlgTest, OffersEveryDiskByItsCutNameWithTheFirstPreselected) {
    CSelectDiskDlg dlg;
    const int result = Select(dlg, [](CSelectDiskDlg& shown) {
        EXPECT_EQ(shown.windowTitle(), "Select Disk");
        EXPECT_EQ(shown.m_staticPrompt->text(), "Copy files to disk:");
        EXPECT_TRUE(shown.m_comboDisks->isEditable());
        EXPECT_EQ(shown.m_comboDisks->count(), 3);
        EXPECT_EQ(shown.m_comboDisks->itemText(0), "first disk");
        EXPECT_EQ(shown.m_comboDisks->itemText(1), "a name longer t");
        EXPECT_EQ(shown.m_comboDisks->itemText(2), "first disk");
        EXPECT_EQ(shown.m_comboDisks->currentIndex(), 0);
        return PressOk(shown);
    });
    EXPECT_EQ(result, framework::IDOK);
    EXPECT_EQ(dlg.selectedDisk, m_disks[0].get());
}

TEST_F(SelectDiskDlgTest, SameNamesAreToldApartByPosition) {
    CSelectDiskDlg dlg;
    Select(dlg, [](CSelectDiskDlg& shown) {
        shown.m_comboDisks->setCurrentIndex(2);
        return PressOk(shown);
    });
    EXPECT_EQ(dlg.selectedDisk, m_disks[2].get());
}

TEST_F(SelectDiskDlgTest, TypedTextThatIsNoEntrySelectsNoDisk) {
    CSelectDiskDlg dlg;
    const int result = Select(dlg, [](CSelectDiskDlg& shown) {
        shown.m_comboDisks->setEditText(QStringLiteral("first"));
        return PressOk(shown);
    });
    EXPECT_EQ(result, framework::IDOK);
    EXPECT_EQ(dlg.selectedDisk, nullptr);
}

TEST_F(SelectDiskDlgTest, WithoutDisksNothingIsSelected) {
    CSelectDiskDlg dlg;
    const int result = Run<CSelectDiskDlg>(dlg, [](CSelectDiskDlg& shown) {
        EXPECT_EQ(shown.m_comboDisks->count(), 0);
        return PressOk(shown);
    });
    EXPECT_EQ(result, framework::IDOK);
    EXPECT_EQ(dlg.selectedDisk, nullptr);
}

}  // namespace
