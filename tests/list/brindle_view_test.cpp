#include <gtest/gtest.h>

#include <QFontMetrics>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QListView>
#include <QTreeView>
#include <cstring>

#include "framework/command_ids.h"
#include "icons/icons.h"
#include "image/brindle_doc.h"
#include "list/brindle_view.h"
#include "list/content_list_model.h"
#include "support/in_place_editor.h"
#include "support/test_disks.h"

namespace {

bool IsMonospace(const QFont& font) {
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(QLatin1Char('i')) ==
           metrics.horizontalAdvance(QLatin1Char('W'));
}

using testing_disks::AddFile;
using testing_disks::MakeDisk;

class ListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        disk = MakeDisk("Games");
        view.SetDocument(&doc);
        view.resize(900, 600);
        view.show();
        view.OnInitialUpdate();
    }

    [[nodiscard]] QString Cell(int row, int column) const {
        const CContentListModel* model = view.GetListModel();
        return model->data(model->index(row, column), Qt::DisplayRole).toString();
    }

    [[nodiscard]] QStringList Titles() const {
        QStringList titles;
        const CContentListModel* model = view.GetListModel();
        for (int i = 0; i < model->columnCount(); ++i) {
            titles << model->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
        }
        return titles;
    }

    [[nodiscard]] std::vector<int> Widths() const {
        std::vector<int> widths;
        for (int i = 0; i < view.GetListModel()->columnCount(); ++i) {
            widths.push_back(view.GetDetailsView()->header()->sectionSize(i));
        }
        return widths;
    }

    // The list's icon index of a row, found by comparing its picture with every list icon.
    [[nodiscard]] int IconOf(int row) const {
        const CContentListModel* model = view.GetListModel();
        const bool large = model->LargeIcons();
        const int size = large ? icons::kLargeIconSize : icons::kSmallIconSize;
        const QImage shown = model->data(model->index(row, 0), Qt::DecorationRole)
                                 .value<QIcon>()
                                 .pixmap(size, size)
                                 .toImage();
        for (int i = 0; i < icons::kListIconCount; ++i) {
            if (shown == icons::PaintListIcon(i, large).toImage()) {
                return i;
            }
        }
        return -1;
    }

    [[nodiscard]] bool CanEditLabel() {
        framework::CCmdUI ui(cmd::kEditLabel);
        EXPECT_TRUE(view.OnCmdMsg(cmd::kEditLabel, &ui));
        return ui.IsEnabled();
    }

    // Runs "Edit Label" on the row and returns the open editor, if the row took one.
    QLineEdit* OpenEditor(int row) {
        view.SelectRows({row});
        view.OnCmdMsg(cmd::kEditLabel, nullptr);
        return testsupport::VisibleEditor(*view.GetDetailsView());
    }

    CBrindleDoc doc;
    CBrindleView view;
    std::unique_ptr<CMdosDisk> disk;
};

std::vector<unsigned char> Bytes(int count, unsigned char fill = 'A') {
    return std::vector<unsigned char>(static_cast<size_t>(count), fill);
}

TEST_F(ListViewTest, EmptyDiskShowsTheSevenFileColumnsAndNoRows) {
    view.ShowFiles(disk.get(), 0);
    EXPECT_EQ(view.GetRowCount(), 0);
    EXPECT_EQ(Titles(), (QStringList{"File", "Type", "Start", "Lenght", "BASIC", "Attributes",
                                     "ASCII thumbnail"}));
    EXPECT_EQ(Widths(), (std::vector<int>{100, 40, 60, 60, 60, 85, 345}));
    EXPECT_TRUE(IsMonospace(view.GetDetailsView()->font()));
}

TEST_F(ListViewTest, FileRowsCarryTheirColumnsAndRecord) {
    unsigned char* entry = AddFile(*disk, 'B', "LOADER", Bytes(10, 'x'), 32768, 32767, 0x0D);
    view.ShowFiles(disk.get(), 3);
    ASSERT_EQ(view.GetRowCount(), 1);
    EXPECT_EQ(Cell(0, 0), "LOADER");
    EXPECT_EQ(Cell(0, 1), "B");
    EXPECT_EQ(Cell(0, 2), "32768");
    EXPECT_EQ(Cell(0, 3), "    10");
    EXPECT_EQ(Cell(0, 4), "32767");
    EXPECT_EQ(Cell(0, 5), "----RW-D");
    EXPECT_EQ(Cell(0, 6), "xxxxxxxxxx");
    const std::optional<ItemInfo> info = view.GetRowItemInfo(0);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->diskIndex, 3);
    EXPECT_EQ(info->kind, KindFiles);
    EXPECT_EQ(info->disk, disk.get());
    EXPECT_EQ(info->dirEntry, entry);
}

TEST_F(ListViewTest, ThumbnailShowsTheFileOwnBytesUpToFortySeven) {
    AddFile(*disk, 'B', "EMPTY", {});
    AddFile(*disk, 'B', "TEN", Bytes(10));
    AddFile(*disk, 'B', "THOUSAND", Bytes(1000));
    std::vector<unsigned char> odd = Bytes(6, 'a');
    odd[1] = 0x7F;
    odd[2] = 0x80;
    odd[3] = 0x1F;
    odd[4] = 0x00;
    AddFile(*disk, 'B', "ODD", odd);
    view.ShowFiles(disk.get(), 0);
    ASSERT_EQ(view.GetRowCount(), 4);
    EXPECT_EQ(Cell(0, 6), "");
    EXPECT_EQ(Cell(1, 6), QString(10, 'A'));
    EXPECT_EQ(Cell(2, 6), QString(47, 'A'));
    EXPECT_EQ(Cell(3, 6), QString("a") + QChar(0x7F) + "...a");

    // An entry whose first sector is not on the disk has nothing to show.
    disk->SetEntryFirstSector(view.GetRowItemInfo(1)->dirEntry, 0xC00);
    view.ShowFiles(disk.get(), 0);
    EXPECT_EQ(Cell(1, 6), "");
}

TEST_F(ListViewTest, FileIconFollowsTheTypeLetterAndAnyUsedEntryIsListed) {
    const char types[] = {'P', 'B', 'S', 'C', 'N', 'Q', 'H', 'X'};
    for (char type : types) {
        AddFile(*disk, static_cast<unsigned char>(type), "F", Bytes(1));
    }
    // A first byte of 0 is not the free mark: the entry is listed, with an empty "Type".
    unsigned char* zero = AddFile(*disk, 'B', "ZERO", Bytes(1));
    zero[CMdosDisk::kEntryType] = 0x00;
    view.ShowFiles(disk.get(), 0);
    ASSERT_EQ(view.GetRowCount(), 9);
    const std::vector<int> expected{
        icons::kListBasic,     icons::kListCode,        icons::kListSnap,
        icons::kListCharArray, icons::kListNumberArray, icons::kListSequential,
        icons::kListHeadless,  icons::kListUnknownFile, icons::kListUnknownFile};
    for (int row = 0; row < 9; ++row) {
        EXPECT_EQ(IconOf(row), expected[static_cast<size_t>(row)]) << "row " << row;
    }
    EXPECT_EQ(Cell(7, 1), "X");
    EXPECT_EQ(Cell(8, 1), "");
}

TEST_F(ListViewTest, FilesFollowTheDirectoryWalkOrder) {
    // The seventeenth entry lives in sector 8, which the walk visits before sector 7.
    for (int i = 0; i < 17; ++i) {
        AddFile(*disk, 'B', ("F" + std::to_string(i)).c_str(), Bytes(1));
    }
    unsigned char* inSector7 = disk->GetSector(7);
    std::memcpy(inSector7, disk->GetSector(8), CMdosDisk::kDirEntrySize);
    inSector7[CMdosDisk::kEntryName] = 'G';
    view.ShowFiles(disk.get(), 0);
    ASSERT_EQ(view.GetRowCount(), 18);
    EXPECT_EQ(Cell(16, 0), "F16");
    EXPECT_EQ(Cell(17, 0), "G16");
    EXPECT_EQ(view.GetRowItemInfo(17)->dirEntry, inSector7);
}

TEST_F(ListViewTest, RecordHeaderShowsTheThreeFieldsWithoutRecords) {
    std::memcpy(disk->Record(), "SDOS", 4);
    disk->Record()[CMdosDisk::kWriteProtectOffset] = '0';
    std::strcpy(reinterpret_cast<char*>(disk->Record() + CMdosDisk::kCommentOffset), "made here");
    view.ShowRecordHeader(disk.get(), 0);
    EXPECT_EQ(Titles(), (QStringList{"Value", "Name", "Lenght"}));
    EXPECT_EQ(Widths(), (std::vector<int>{300, 150, 50}));
    ASSERT_EQ(view.GetRowCount(), 3);
    const QStringList expected[] = {{"SDOS", "System mark", "4"},
                                    {"0", "Write protect", "1"},
                                    {"made here", "Free space", "475"}};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ((QStringList{Cell(row, 0), Cell(row, 1), Cell(row, 2)}), expected[row]);
        EXPECT_EQ(IconOf(row), icons::kListDisk);
        EXPECT_FALSE(view.GetRowItemInfo(row));
    }
}

TEST_F(ListViewTest, PropertiesListStoredThenComputedRows) {
    AddFile(*disk, 'B', "ONE", Bytes(600));
    view.ShowProperties(disk.get(), 2);
    ASSERT_EQ(view.GetRowCount(), 8);
    const QStringList names{"Disk geometry", "Disk name",   "Random identifier", "Disk size",
                            "Files size",    "Files count", "Free files",        "Free space"};
    const QStringList lengths{"2", "10", "2", "", "", "", "", ""};
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(Cell(row, 1), names[row]);
        EXPECT_EQ(Cell(row, 2), lengths[row]);
        EXPECT_EQ(IconOf(row), row < 3 ? icons::kListDisk : icons::kListCog);
        EXPECT_EQ(view.GetRowItemInfo(row).has_value(), row == 1);
    }
    EXPECT_EQ(Cell(0, 0), "94x9");
    EXPECT_EQ(Cell(1, 0), "VOLUME    ");
    EXPECT_EQ(Cell(3, 0), "866304 bytes");
    EXPECT_EQ(Cell(4, 0), "600 bytes");
    EXPECT_EQ(Cell(5, 0), "1");
    EXPECT_EQ(Cell(6, 0), "127");
    EXPECT_EQ(view.GetRowItemInfo(1)->kind, KindProperties);
    EXPECT_EQ(view.GetRowItemInfo(1)->diskIndex, 2);
}

TEST_F(ListViewTest, SectorDumpIsDecimalWithAsciiColumn) {
    const unsigned char bytes[8] = {0x41, 0x7F, 0x80, 0x1F, 0x20, 0xFF, 0x00, 0x7E};
    disk->WriteSector(200, bytes, sizeof bytes);
    view.ShowSector(disk.get(), 4, 200);
    EXPECT_EQ(Titles(),
              (QStringList{"Address", "B0", "B1", "B2", "B3", "B4", "B5", "B6", "B7", "ASCII"}));
    EXPECT_EQ(Widths(), (std::vector<int>{65, 35, 35, 35, 35, 35, 35, 35, 35, 70}));
    ASSERT_EQ(view.GetRowCount(), 64);
    EXPECT_EQ((QStringList{Cell(0, 1), Cell(0, 2), Cell(0, 3), Cell(0, 4), Cell(0, 5), Cell(0, 6),
                           Cell(0, 7), Cell(0, 8)}),
              (QStringList{"065", "127", "128", "031", "032", "255", "000", "126"}));
    EXPECT_EQ(Cell(0, 9), QString("A") + QChar(0x7F) + ".. ..~");
    for (int row = 0; row < 64; ++row) {
        EXPECT_EQ(Cell(row, 0), QString::asprintf("%03d", row * 8));
        const std::optional<ItemInfo> info = view.GetRowItemInfo(row);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->kind, KindSector);
        EXPECT_EQ(info->diskIndex, 4);
        EXPECT_EQ(info->sector, 200);
        EXPECT_EQ(info->offset, row * 8);
    }
    EXPECT_EQ(Cell(63, 0), "504");
}

TEST_F(ListViewTest, DumpIconFollowsTheSectorRange) {
    const std::pair<int, int> cases[] = {
        {0, icons::kListDisk}, {1, icons::kListFat},  {5, icons::kListFat},   {6, icons::kListDir},
        {13, icons::kListDir}, {14, icons::kListCog}, {1691, icons::kListCog}};
    for (const auto& [sector, icon] : cases) {
        view.ShowSector(disk.get(), 0, sector);
        EXPECT_EQ(IconOf(0), icon) << "sector " << sector;
        EXPECT_EQ(IconOf(63), icon) << "sector " << sector;
    }
}

// What the tree says it selected, shown in the mode of the item's kind.
TEST_F(ListViewTest, ATreeItemIsShownInTheModeOfItsKind) {
    AddFile(*disk, 'B', "ONE", Bytes(1));
    CMdosDisk* shown = disk.get();
    view.ShowItem(ItemInfo{2, KindFiles, shown, nullptr, 0, 0});
    ASSERT_EQ(view.GetRowCount(), 1);
    EXPECT_EQ(Cell(0, 0), "ONE");
    EXPECT_EQ(view.GetRowItemInfo(0)->diskIndex, 2);

    view.ShowItem(ItemInfo{2, KindRecordHeader, shown, nullptr, 0, 0});
    ASSERT_EQ(view.GetRowCount(), 3);
    EXPECT_EQ(Cell(0, 1), "System mark");

    view.ShowItem(ItemInfo{2, KindProperties, shown, nullptr, 0, 0});
    ASSERT_EQ(view.GetRowCount(), 8);
    EXPECT_EQ(view.GetRowItemInfo(1)->kind, KindProperties);
    EXPECT_EQ(view.GetRowItemInfo(1)->diskIndex, 2);

    view.ShowItem(ItemInfo{2, KindSector, shown, nullptr, 7, 0});
    ASSERT_EQ(view.GetRowCount(), 64);
    EXPECT_EQ(view.GetRowItemInfo(0)->sector, 7);
    EXPECT_EQ(view.GetRowItemInfo(0)->disk, shown);

    // Nothing selected: no row may outlive the disk it points at.
    view.ShowItem(std::nullopt);
    EXPECT_EQ(view.GetRowCount(), 0);
}

TEST_F(ListViewTest, ColumnsStayWhenTheCountMatchesAndAreRebuiltOtherwise) {
    const QFont normal = QTreeView().font();
    view.ShowProperties(disk.get(), 0);
    EXPECT_FALSE(IsMonospace(view.GetDetailsView()->font()));
    view.GetDetailsView()->header()->resizeSection(0, 123);
    view.ShowRecordHeader(disk.get(), 0);
    EXPECT_EQ(Widths(), (std::vector<int>{123, 150, 50}));

    view.ShowFiles(disk.get(), 0);
    view.GetDetailsView()->header()->resizeSection(6, 200);
    view.ShowFiles(disk.get(), 0);
    EXPECT_EQ(Widths()[6], 200);

    view.ShowSector(disk.get(), 0, 0);
    EXPECT_EQ(Widths()[0], 65);
    EXPECT_TRUE(IsMonospace(view.GetDetailsView()->font()));
    view.ShowProperties(disk.get(), 0);
    EXPECT_EQ(Widths(), (std::vector<int>{300, 150, 50}));
    EXPECT_EQ(view.GetDetailsView()->font(), normal);
}

TEST_F(ListViewTest, OnlyFileNamesAndTheVolumeNameAreEditable) {
    AddFile(*disk, 'B', "ONE", Bytes(1));
    view.ShowFiles(disk.get(), 0);
    EXPECT_TRUE(CanEditLabel()) << "no selection: the command is there and does nothing";
    view.SelectRows({0});
    EXPECT_TRUE(CanEditLabel());

    view.ShowProperties(disk.get(), 0);
    for (int row = 0; row < 8; ++row) {
        view.SelectRows({row});
        EXPECT_EQ(CanEditLabel(), row == 1) << "property row " << row;
        QLineEdit* editor = OpenEditor(row);
        EXPECT_EQ(editor != nullptr, row == 1) << "property row " << row;
        if (editor != nullptr) {
            testsupport::PressKey(editor, Qt::Key_Escape);
        }
    }
    view.ShowRecordHeader(disk.get(), 0);
    view.SelectRows({1, 2});
    EXPECT_FALSE(CanEditLabel());
    EXPECT_EQ(OpenEditor(0), nullptr);
    view.ShowSector(disk.get(), 0, 0);
    view.SelectRows({0});
    EXPECT_FALSE(CanEditLabel());
    EXPECT_EQ(OpenEditor(0), nullptr);
}

// A rename that changes the stored name marks the image, so closing it asks first; one that
// stores the same bytes, or a cancelled one, changes nothing.
TEST_F(ListViewTest, RenamingAFileKeepsTenCharactersAndMarksTheImageWhenTheNameChanged) {
    unsigned char* entry = AddFile(*disk, 'B', "OLD", Bytes(1));
    view.ShowFiles(disk.get(), 0);
    QLineEdit* editor = OpenEditor(0);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "OLD");
    editor->setText("TWELVE CHARS");
    testsupport::PressKey(editor, Qt::Key_Return);
    EXPECT_EQ(Cell(0, 0), "TWELVE CHA");
    char name[16];
    EXPECT_STREQ(disk->GetEntryName(entry, name, sizeof name), "TWELVE CHA");
    EXPECT_TRUE(doc.IsModified());

    doc.SetModifiedFlag(false);
    editor = OpenEditor(0);
    ASSERT_NE(editor, nullptr);
    editor->setText("TWELVE CHARS AGAIN");
    testsupport::PressKey(editor, Qt::Key_Return);
    EXPECT_FALSE(doc.IsModified());

    editor = OpenEditor(0);
    ASSERT_NE(editor, nullptr);
    editor->setText("IGNORED");
    testsupport::PressKey(editor, Qt::Key_Escape);
    EXPECT_EQ(Cell(0, 0), "TWELVE CHA");
    EXPECT_STREQ(disk->GetEntryName(entry, name, sizeof name), "TWELVE CHA");
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(ListViewTest, RenamingTheVolumeStoresItNulPadded) {
    view.ShowProperties(disk.get(), 0);
    CContentListModel* model = view.GetListModel();
    EXPECT_TRUE(model->setData(model->index(1, 0), "AB", Qt::EditRole));
    EXPECT_EQ(Cell(1, 0), "AB");
    const unsigned char* name = disk->GetSector(0) + CMdosDisk::kBootVolumeName;
    EXPECT_EQ(std::memcmp(name, "AB\0\0\0\0\0\0\0\0", 10), 0);
    EXPECT_TRUE(model->setData(model->index(1, 0), "LONGER THAN TEN", Qt::EditRole));
    EXPECT_EQ(Cell(1, 0), "LONGER THA");
    EXPECT_TRUE(doc.IsModified());
    doc.SetModifiedFlag(false);
    EXPECT_FALSE(model->setData(model->index(0, 0), "94x9", Qt::EditRole));
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(ListViewTest, SelectedRowsComeInAscendingOrder) {
    for (int i = 0; i < 6; ++i) {
        AddFile(*disk, 'B', "F", Bytes(1));
    }
    view.ShowFiles(disk.get(), 0);
    view.SelectRows({5, 2, 3});
    EXPECT_EQ(view.GetSelectedRows(), (std::vector<int>{2, 3, 5}));
    view.SetListStyle(CBrindleView::ListStyle::List);
    EXPECT_EQ(view.GetSelectedRows(), (std::vector<int>{2, 3, 5}));
}

TEST_F(ListViewTest, StylesSwitchViewsAndIconSets) {
    AddFile(*disk, 'P', "PROG", Bytes(1));
    view.ShowFiles(disk.get(), 0);
    view.SetListStyle(CBrindleView::ListStyle::LargeIcon);
    EXPECT_EQ(view.GetListStyle(), CBrindleView::ListStyle::LargeIcon);
    EXPECT_TRUE(view.GetIconView()->isVisible());
    EXPECT_EQ(view.GetIconView()->viewMode(), QListView::IconMode);
    EXPECT_EQ(view.GetIconView()->iconSize(), QSize(32, 32));
    EXPECT_EQ(view.GetIconView()->modelColumn(), 0);
    EXPECT_EQ(IconOf(0), icons::kListBasic);
    view.ArrangeIcons();

    view.SetListStyle(CBrindleView::ListStyle::SmallIcon);
    EXPECT_EQ(view.GetIconView()->iconSize(), QSize(16, 16));
    EXPECT_FALSE(view.GetListModel()->LargeIcons());
    view.SetListStyle(CBrindleView::ListStyle::List);
    EXPECT_EQ(view.GetIconView()->flow(), QListView::TopToBottom);
    view.SetListStyle(CBrindleView::ListStyle::Details);
    EXPECT_TRUE(view.GetDetailsView()->isVisible());
    EXPECT_FALSE(view.GetIconView()->isVisible());

    // A new or opened image starts in the details style again.
    view.SetListStyle(CBrindleView::ListStyle::LargeIcon);
    view.OnInitialUpdate();
    EXPECT_EQ(view.GetListStyle(), CBrindleView::ListStyle::Details);
    EXPECT_TRUE(view.GetDetailsView()->isVisible());
    EXPECT_FALSE(view.GetListModel()->LargeIcons());
}

TEST_F(ListViewTest, ModelPassesTheItemModelChecksInEveryMode) {
    QAbstractItemModelTester tester(view.GetListModel(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    AddFile(*disk, 'B', "F", Bytes(100));
    view.ShowFiles(disk.get(), 0);
    view.ShowSector(disk.get(), 0, 6);
    view.ShowProperties(disk.get(), 0);
    view.ShowRecordHeader(disk.get(), 0);
    view.ShowFiles(disk.get(), 0);
    view.SetListStyle(CBrindleView::ListStyle::LargeIcon);
    // A new or opened image may have dropped the disks the rows point at.
    view.OnInitialUpdate();
    EXPECT_EQ(view.GetRowCount(), 0);
}

}  // namespace
