// The main frame is where the views meet: the list shows what the tree selected, and the
// views' questions are answered by the program's dialogs.
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <functional>

#include "app/shell_fixture.h"
#include "dialogs/format_dlg.h"
#include "dialogs/new_disks_dlg.h"
#include "dialogs/select_disk_dlg.h"
#include "framework/command_ids.h"
#include "list/brindle_view.h"
#include "support/test_disks.h"
#include "tree/left_view.h"

namespace {

using testing_disks::AddFile;

class ViewsWiringTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        m_tree = m_frame->GetTreeView();
        m_list = m_frame->GetListView();
        m_frame->SetActivePane(m_tree);
    }

    [[nodiscard]] CMdosDisk& Disk(int index) const {
        return *Doc().m_disks[static_cast<size_t>(index)];
    }
    [[nodiscard]] QModelIndex Sector(int disk, int sector) const {
        const QModelIndex volume = m_tree->model()->index(1, 0, m_tree->DiskItem(disk));
        return m_tree->model()->index(sector, 0, volume);
    }
    [[nodiscard]] static QString Text(char* (CMdosDisk::*getter)(char*, int), CMdosDisk& disk) {
        char buf[64];
        return QString::fromLatin1((disk.*getter)(buf, sizeof buf)).trimmed();
    }
    // Every text of a list, row by row.
    [[nodiscard]] static QStringList ListText(const CBrindleView& view) {
        QStringList text;
        for (int row = 0; row < view.GetRowCount(); ++row) {
            text << view.GetListModel()->RowAt(row).cells;
        }
        return text;
    }

    // Answers the next dialogs, which must be of this type, with OK after fill typed into them.
    template <class Dialog>
    [[nodiscard]] static testsupport::ScriptedModal Answer(std::function<void(Dialog&)> fill) {
        return testsupport::ScriptedModal([fill](framework::CDialog& shown) {
            auto* dialog = dynamic_cast<Dialog*>(&shown);
            EXPECT_NE(dialog, nullptr) << shown.windowTitle().toStdString();
            if (dialog == nullptr) {
                return framework::IDCANCEL;
            }
            fill(*dialog);
            dialog->OnOK();
            return dialog->GetResult();
        });
    }

    CLeftView* m_tree = nullptr;
    CBrindleView* m_list = nullptr;
};

TEST_F(ViewsWiringTest, TheListShowsWhatTheTreeSelects) {
    AddFile(Disk(0), 'B', "BOOT", {1, 2, 3});
    m_tree->SelectItem(Sector(0, 7));
    ASSERT_EQ(m_list->GetRowCount(), 64);
    EXPECT_EQ(m_list->GetRowItemInfo(0)->sector, 7);
    m_tree->SelectItem(m_tree->DiskItem(0));
    ASSERT_EQ(m_list->GetRowCount(), 1);
    EXPECT_EQ(m_list->GetRowItemInfo(0)->disk, &Disk(0));
    m_tree->ClearTree();
    EXPECT_EQ(m_list->GetRowCount(), 0);
}

TEST_F(ViewsWiringTest, AddMoreTakesTheNewDisksDialog) {
    {
        const auto modal = Answer<CNewDisksDlg>([](CNewDisksDlg& dlg) {
            dlg.OnRadioFormat();
            dlg.m_editDisks->setText("2");
            dlg.m_editTracks->setText("80");
            dlg.m_editName->setText("games");
        });
        EXPECT_TRUE(m_frame->ExecuteCommand(cmd::kAddMore));
    }
    ASSERT_EQ(Doc().m_disks.size(), 3U);
    EXPECT_EQ(Text(&CMdosDisk::GetVolumeName, Disk(2)), "games");
    EXPECT_EQ(Text(&CMdosDisk::GetGeometryText, Disk(2)), "80x9");
    EXPECT_EQ(m_tree->SelectedItem(), m_tree->DiskItem(1));

    const QString path = m_settings.FilePath(QStringLiteral("source.dsk"));
    const auto source = testing_disks::MakeDisk("Source");
    AddFile(*source, 'B', "NEW", {4, 5, 6, 7});
    source->SaveRecord(QFile::encodeName(path).constData());
    {
        const auto modal = Answer<CNewDisksDlg>([&path](CNewDisksDlg& dlg) {
            dlg.OnRadioTemplate();
            dlg.m_editDisks->setText("1");
            dlg.m_editFile->setText(path);
        });
        EXPECT_TRUE(m_frame->ExecuteCommand(cmd::kAddMore));
    }
    ASSERT_EQ(Doc().m_disks.size(), 4U);
    EXPECT_EQ(m_tree->SelectedItem(), m_tree->DiskItem(3));
    // The copy's file, in the list through the frame.
    ASSERT_EQ(m_list->GetRowCount(), 1);
    EXPECT_EQ(m_list->GetRowItemInfo(0)->disk, &Disk(3));

    // Cancel adds nothing.
    EXPECT_TRUE(m_frame->ExecuteCommand(cmd::kAddMore));
    EXPECT_EQ(Doc().m_disks.size(), 4U);
}

// A tree command that changes the shown disk has the list show it again as it is now.
TEST_F(ViewsWiringTest, TheTreesFormatTakesTheFormatDialogAndTheListShowsTheResult) {
    m_tree->SelectItem(Sector(0, 0));
    const QStringList before = ListText(*m_list);
    {
        const auto modal = Answer<CFormatDlg>([](CFormatDlg& dlg) {
            dlg.m_editName->setText("fresh");
            dlg.m_editTracks->setText("80");
        });
        EXPECT_TRUE(m_frame->ExecuteCommand(cmd::kFormat));
    }
    EXPECT_EQ(Text(&CMdosDisk::GetVolumeName, Disk(0)), "fresh");
    EXPECT_EQ(Text(&CMdosDisk::GetGeometryText, Disk(0)), "80x9");
    EXPECT_EQ(m_tree->SelectedItem(), Sector(0, 0));
    CBrindleView fresh;
    fresh.ShowSector(&Disk(0), 0, 0);
    EXPECT_NE(ListText(*m_list), before);
    EXPECT_EQ(ListText(*m_list), ListText(fresh));
    EXPECT_TRUE(Doc().IsModified());
}

TEST_F(ViewsWiringTest, TheListsCommandsTakeTheFormatAndSelectDiskDialogs) {
    ASSERT_TRUE(m_frame->ExecuteCommand(cmd::kAddNew));
    AddFile(Disk(0), 'B', "ONE", {1});
    AddFile(Disk(0), 'B', "TWO", {2});
    m_tree->SelectItem(m_tree->DiskItem(0));
    m_frame->SetActivePane(m_list);

    const auto pick = [this](const char* prompt, int command) {
        const auto modal = Answer<CSelectDiskDlg>([prompt](CSelectDiskDlg& dlg) {
            EXPECT_EQ(dlg.m_staticPrompt->text(), prompt);
            EXPECT_EQ(dlg.m_comboDisks->count(), 2);
            dlg.m_comboDisks->setCurrentIndex(1);
        });
        m_list->SelectRows({0});
        EXPECT_TRUE(m_frame->ExecuteCommand(command));
    };
    pick("Copy files to disk:", cmd::kCopyFiles);
    EXPECT_EQ(Disk(1).GetFilesCount(), 1);
    EXPECT_EQ(Disk(0).GetFilesCount(), 2);
    pick("Move files to disk:", cmd::kMoveFiles);
    EXPECT_EQ(Disk(1).GetFilesCount(), 2);
    EXPECT_EQ(Disk(0).GetFilesCount(), 1);
    EXPECT_EQ(m_list->GetRowCount(), 1);

    {
        const auto modal =
            Answer<CFormatDlg>([](CFormatDlg& dlg) { dlg.m_editTracks->setText("40"); });
        EXPECT_TRUE(m_frame->ExecuteCommand(cmd::kFormat));
    }
    EXPECT_EQ(Text(&CMdosDisk::GetGeometryText, Disk(0)), "40x9");
    EXPECT_EQ(Text(&CMdosDisk::GetVolumeName, Disk(0)), "noname");
    EXPECT_EQ(Disk(0).GetFilesCount(), 0);
    EXPECT_EQ(m_list->GetRowCount(), 0);
}

}  // namespace
