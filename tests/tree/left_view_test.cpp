#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPersistentModelIndex>

#include "support/test_disks.h"
#include "tree/disk_tree_model.h"

#include "tree/tree_view_fixture.h"

namespace {

using testing_disks::AddDisks;
using testing_disks::AddFile;
using testing_disks::MakeDisk;

constexpr int kSectors = CMdosDisk::kSectorCount;

TEST_F(TreeViewTest, EveryDiskHasTheSameShapeWhateverItsGeometry) {
    doc.m_disks.push_back(MakeDisk("Boot"));
    doc.m_disks.push_back(MakeDisk("Small", 80, 9));
    doc.m_disks.push_back(std::make_unique<CMdosDisk>());  // not a volume at all
    InitialUpdate();
    ASSERT_EQ(tree.DiskItemCount(), 3);
    for (int disk = 0; disk < 3; ++disk) {
        SCOPED_TRACE(disk);
        ASSERT_EQ(tree.model()->rowCount(tree.DiskItem(disk)), 2);
        EXPECT_EQ(Label(Tags(disk)), "Tarrow tags");
        EXPECT_EQ(Label(Volume(disk)), "MDOS disk");
        EXPECT_EQ(IconOf(Tags(disk)), icons::kTreeCog);
        EXPECT_EQ(IconOf(Volume(disk)), icons::kTreeCog);
        EXPECT_EQ(tree.model()->rowCount(Tags(disk)), 0);
        ASSERT_EQ(tree.model()->rowCount(Volume(disk)), kSectors);
        for (int s = 0; s < kSectors; ++s) {
            QString expected = QString::asprintf("Sector %d", s);
            if (s == 0) {
                expected += " (BOOT)";
            } else if (s <= 5) {
                expected += " (FAT)";
            } else if (s <= 13) {
                expected += " (DIR)";
            }
            ASSERT_EQ(Label(Sector(disk, s)), expected);
            EXPECT_EQ(tree.model()->rowCount(Sector(disk, s)), 0);
        }
        EXPECT_EQ(IconOf(Sector(disk, 0)), icons::kTreeBootDisk);
        EXPECT_EQ(IconOf(Sector(disk, 5)), icons::kTreeFat);
        EXPECT_EQ(IconOf(Sector(disk, 6)), icons::kTreeDir);
        EXPECT_EQ(IconOf(Sector(disk, 13)), icons::kTreeDir);
        EXPECT_EQ(IconOf(Sector(disk, 14)), icons::kTreeCog);
        EXPECT_EQ(IconOf(Sector(disk, 1691)), icons::kTreeCog);
    }
}

TEST_F(TreeViewTest, EveryItemAnswersWithItsRecord) {
    AddDisks(doc, 2);
    InitialUpdate();
    const std::pair<QModelIndex, ItemInfo> cases[] = {
        {tree.DiskItem(1), {1, KindFiles, doc.m_disks[1].get(), nullptr, 0, 0}},
        {Tags(1), {1, KindRecordHeader, doc.m_disks[1].get(), nullptr, 0, 0}},
        {Volume(0), {0, KindProperties, doc.m_disks[0].get(), nullptr, 0, 0}},
        {Sector(1, 1691), {1, KindSector, doc.m_disks[1].get(), nullptr, 1691, 0}},
    };
    for (const auto& [item, expected] : cases) {
        const std::optional<ItemInfo> info = tree.ItemInfoAt(item);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->diskIndex, expected.diskIndex);
        EXPECT_EQ(info->kind, expected.kind);
        EXPECT_EQ(info->disk, expected.disk);
        EXPECT_EQ(info->dirEntry, nullptr);
        EXPECT_EQ(info->sector, expected.sector);
        EXPECT_EQ(info->offset, 0);
    }
    EXPECT_FALSE(tree.ItemInfoAt(QModelIndex()));
}

TEST_F(TreeViewTest, InitialUpdateSelectsTheFirstDiskAndShowsItsFiles) {
    AddDisks(doc, 2);
    InitialUpdate();
    EXPECT_EQ(tree.SelectedItem(), tree.DiskItem(0));
    EXPECT_EQ(IconOf(tree.DiskItem(0)), icons::kTreeBootDisk);
    EXPECT_EQ(IconOf(tree.DiskItem(1)), icons::kTreeDisk);
    ExpectShown(KindFiles, 0);

    // A replaced image: the tree is rebuilt from the new disks, and the list never keeps a
    // disk that is gone.
    doc.m_disks.clear();
    AddDisks(doc, 1);
    shown.clear();
    InitialUpdate();
    EXPECT_EQ(tree.DiskItemCount(), 1);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_FALSE(shown.front());
    ExpectShown(KindFiles, 0);
    EXPECT_EQ(tree.SelectedItemInfo()->disk, doc.m_disks[0].get());
}

TEST_F(TreeViewTest, AnImageWithoutDisksLeavesTreeAndListEmpty) {
    AddDisks(doc, 1);
    InitialUpdate();
    ExpectShown(KindFiles, 0);
    doc.m_disks.clear();
    InitialUpdate();
    EXPECT_EQ(tree.DiskItemCount(), 0);
    EXPECT_FALSE(tree.SelectedItemInfo());
    ExpectShownNothing();
    EXPECT_FALSE(tree.BuildDiskItems(0, false).isValid());
}

TEST_F(TreeViewTest, EverySelectionSaysWhichItemToShow) {
    AddDisks(doc, 2);
    InitialUpdate();
    tree.SelectItem(Tags(1));
    ExpectShown(KindRecordHeader, 1);
    tree.SelectItem(Volume(1));
    ExpectShown(KindProperties, 1);
    tree.SelectItem(Sector(1, 7));
    ExpectShown(KindSector, 1, 7);
    tree.SelectItem(tree.DiskItem(0));
    ExpectShown(KindFiles, 0);
}

TEST_F(TreeViewTest, CollapsingAnItemAboveTheSelectionSelectsAndShowsIt) {
    AddDisks(doc, 2);
    AddFile(*doc.m_disks[1], 'B', "F", {1});
    InitialUpdate();
    tree.expand(tree.DiskItem(1));
    tree.expand(Volume(1));
    tree.SelectItem(Sector(1, 7));
    tree.collapse(tree.DiskItem(1));
    EXPECT_EQ(tree.SelectedItem(), tree.DiskItem(1));
    ExpectShown(KindFiles, 1);

    // Collapsing another disk leaves the selection where it is.
    tree.SelectItem(Tags(1));
    tree.expand(tree.DiskItem(0));
    tree.collapse(tree.DiskItem(0));
    EXPECT_EQ(tree.SelectedItem(), Tags(1));
}

// After a command changed a disk the list must build its rows from the disk again, though the
// selection stays where it was.
TEST_F(TreeViewTest, ReselectShowsTheSelectedItemOnceMore) {
    AddDisks(doc, 2);
    InitialUpdate();
    tree.SelectItem(Sector(1, 9));
    shown.clear();
    tree.Reselect();
    ExpectShown(KindSector, 1, 9);
    EXPECT_EQ(tree.SelectedItem(), Sector(1, 9));

    // Without a selection there is nothing to show again.
    tree.SelectItem(QModelIndex());
    shown.clear();
    tree.Reselect();
    EXPECT_TRUE(shown.empty());
}

TEST_F(TreeViewTest, RemovingADiskShiftsTheIndicesBehindIt) {
    AddDisks(doc, 4);
    for (auto& disk : doc.m_disks) {
        AddFile(*disk, 'B', "F", {1});
    }
    InitialUpdate();
    const QPersistentModelIndex farSector = Sector(3, 100);
    tree.SelectItem(Sector(1, 20));
    shown.clear();
    RemoveDisk(1);
    ASSERT_EQ(tree.DiskItemCount(), 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(tree.ItemInfoAt(tree.DiskItem(row))->diskIndex, row);
        EXPECT_EQ(tree.ItemInfoAt(Sector(row, 3))->disk, doc.m_disks[row].get());
    }
    EXPECT_EQ(Label(tree.DiskItem(1)), "Disk 2");
    // Items kept across the removal still find their disk.
    ASSERT_TRUE(farSector.isValid());
    EXPECT_EQ(tree.ItemInfoAt(farSector)->diskIndex, 2);
    EXPECT_EQ(farSector.parent().parent(), tree.DiskItem(2));
    // The selection was inside the removed disk, which is already gone from the document: it
    // climbs to the disk item without showing it, and only the neighbour then selected is shown.
    const std::optional<ItemInfo> selected = tree.SelectedItemInfo();
    ASSERT_TRUE(selected);
    EXPECT_EQ(selected->kind, KindFiles);
    ASSERT_EQ(shown.size(), 1u);
    ExpectShown(KindFiles, selected->diskIndex);
}

TEST_F(TreeViewTest, TheFirstDiskKeepsTheBootIconThroughAddsAndRemovals) {
    AddDisks(doc, 1);
    InitialUpdate();
    AddDisks(doc, 2);
    const QModelIndex first = tree.BuildDiskItems(1, false);
    EXPECT_EQ(first, tree.DiskItem(1));
    ASSERT_EQ(tree.DiskItemCount(), 3);
    EXPECT_EQ(Label(tree.DiskItem(2)), "Disk 2");
    EXPECT_EQ(tree.ItemInfoAt(Sector(2, 9))->diskIndex, 2);
    EXPECT_EQ(IconOf(tree.DiskItem(2)), icons::kTreeDisk);
    EXPECT_EQ(tree.SelectedItem(), tree.DiskItem(0));

    RemoveDisk(2);
    EXPECT_EQ(IconOf(tree.DiskItem(0)), icons::kTreeBootDisk);
    EXPECT_EQ(IconOf(tree.DiskItem(1)), icons::kTreeDisk);
    RemoveDisk(0);
    ASSERT_EQ(tree.DiskItemCount(), 1);
    EXPECT_EQ(IconOf(tree.DiskItem(0)), icons::kTreeBootDisk);
    EXPECT_EQ(tree.SelectedItemInfo()->disk, doc.m_disks[0].get());
}

TEST_F(TreeViewTest, RemovingTheLastDiskEmptiesTheList) {
    AddDisks(doc, 1);
    InitialUpdate();
    tree.SelectItem(Sector(0, 30));
    ExpectShown(KindSector, 0, 30);
    RemoveDisk(0);
    EXPECT_EQ(tree.DiskItemCount(), 0);
    ExpectShownNothing();
}

TEST_F(TreeViewTest, DiskLabelsDropTrailingBlanks) {
    doc.m_disks.push_back(MakeDisk("Padded   "));
    doc.m_disks.push_back(MakeDisk("                                "));
    doc.m_disks.push_back(MakeDisk("0123456789012345678901234567890123456789"));
    InitialUpdate();
    EXPECT_EQ(Label(tree.DiskItem(0)), "Padded");
    EXPECT_EQ(Label(tree.DiskItem(1)), "");
    EXPECT_EQ(Label(tree.DiskItem(2)), "01234567890123456789012345678901");
}

TEST_F(TreeViewTest, RenamingADiskStoresThirtyTwoCharactersAndMarksTheImage) {
    AddDisks(doc, 2);
    InitialUpdate();
    QLineEdit* editor = OpenEditor(tree.DiskItem(1));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "Disk 1");
    editor->setText("A name well beyond thirty-two characters   ");
    testsupport::PressKey(editor, Qt::Key_Return);
    EXPECT_EQ(Label(tree.DiskItem(1)), "A name well beyond thirty-two ch");
    char name[64];
    EXPECT_STREQ(doc.m_disks[1]->GetDiskName(name, sizeof name),
                 "A name well beyond thirty-two ch");
    EXPECT_TRUE(doc.IsModified());

    editor = OpenEditor(tree.DiskItem(0));
    ASSERT_NE(editor, nullptr);
    editor->setText("Trailing   ");
    testsupport::PressKey(editor, Qt::Key_Return);
    EXPECT_EQ(Label(tree.DiskItem(0)), "Trailing");
}

TEST_F(TreeViewTest, LabelsAreNeverElidedAndTheColumnFollowsRenames) {
    AddDisks(doc, 300);
    InitialUpdate();
    const QFontMetrics metrics(tree.font());
    const auto fits = [&](int depth, const QString& label) {
        return tree.header()->sectionSize(0) >=
               tree.indentation() * (depth + 1) + metrics.horizontalAdvance(label);
    };
    // As the view measures the rows it shows, icon and margins included: "Disk 299" is not cut.
    const auto measured = [this] {
        return static_cast<const QAbstractItemView&>(tree).sizeHintForColumn(0);
    };
    EXPECT_GE(tree.header()->sectionSize(0), measured());
    tree.scrollToBottom();
    EXPECT_GE(tree.header()->sectionSize(0), measured());
    // Folded to its disks, the tree is no wider than their labels: no scroll bar for the
    // sector labels it hides.
    EXPECT_FALSE(fits(2, QStringLiteral("Sector 1691")));
    EXPECT_LE(tree.header()->sectionSize(0), tree.viewport()->width());
    tree.expand(tree.DiskItem(0));
    for (int child = 0; child < tree.model()->rowCount(tree.DiskItem(0)); ++child) {
        tree.expand(tree.model()->index(child, 0, tree.DiskItem(0)));
    }
    EXPECT_TRUE(fits(2, QStringLiteral("Sector 1691")));
    EXPECT_TRUE(fits(2, QStringLiteral("Sector 0 (BOOT)")));
    EXPECT_GE(tree.header()->sectionSize(0), measured());

    const QString wide(32, QLatin1Char('W'));
    EXPECT_FALSE(fits(0, wide));
    QLineEdit* editor = OpenEditor(tree.DiskItem(0));
    ASSERT_NE(editor, nullptr);
    editor->setText(wide);
    testsupport::PressKey(editor, Qt::Key_Return);
    EXPECT_TRUE(fits(0, wide));
}

TEST_F(TreeViewTest, CancelledRenameChangesNothing) {
    AddDisks(doc, 1);
    InitialUpdate();
    QLineEdit* editor = OpenEditor(tree.DiskItem(0));
    ASSERT_NE(editor, nullptr);
    editor->setText("Other");
    testsupport::PressKey(editor, Qt::Key_Escape);
    char name[64];
    EXPECT_STREQ(doc.m_disks[0]->GetDiskName(name, sizeof name), "Disk 0");
    EXPECT_FALSE(doc.IsModified());
}

// Clicking the selected disk opens its editor; leaving it as it was changes no byte of the
// record, even a foreign disk's NUL padding, and leaves the image unmodified.
TEST_F(TreeViewTest, ARenameThatChangesNothingMarksNothing) {
    AddDisks(doc, 1);
    unsigned char* field = doc.m_disks[0]->Record() + CMdosDisk::kDiskNameOffset;
    std::fill_n(field + 6, CMdosDisk::kDiskNameSize - 6, 0);
    const std::vector<unsigned char> before(field, field + CMdosDisk::kDiskNameSize);
    InitialUpdate();
    QLineEdit* editor = OpenEditor(tree.DiskItem(0));
    ASSERT_NE(editor, nullptr);
    testsupport::PressKey(editor, Qt::Key_Return);
    EXPECT_EQ(std::vector<unsigned char>(field, field + CMdosDisk::kDiskNameSize), before);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(TreeViewTest, OnlyDiskItemsTakeANewName) {
    AddDisks(doc, 1);
    InitialUpdate();
    EXPECT_TRUE(CanEditLabel());
    for (const QModelIndex& item : {Tags(0), Volume(0), Sector(0, 0), Sector(0, 500)}) {
        SCOPED_TRACE(Label(item).toStdString());
        EXPECT_EQ(OpenEditor(item), nullptr);
        EXPECT_FALSE(CanEditLabel());
        EXPECT_FALSE(tree.model()->setData(item, "X", Qt::EditRole));
    }
    EXPECT_EQ(Label(Volume(0)), "MDOS disk");
    EXPECT_FALSE(doc.IsModified());
    tree.SelectItem(QModelIndex());
    EXPECT_FALSE(CanEditLabel());
}

TEST_F(TreeViewTest, ModelPassesTheItemModelChecksThroughAddsAndRemovals) {
    QAbstractItemModelTester tester(tree.model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    AddDisks(doc, 3);
    InitialUpdate();
    tree.expand(Volume(1));
    tree.SelectItem(Sector(1, 10));
    AddDisks(doc, 1);
    tree.BuildDiskItems(3, false);
    RemoveDisk(1);
    tree.Reselect();
    tree.ClearTree();
    EXPECT_EQ(tree.DiskItemCount(), 0);
}

}  // namespace
