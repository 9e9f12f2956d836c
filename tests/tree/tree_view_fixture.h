// The tree over one document as the main window holds it, with a record of every item it
// asked the list to show, and helpers to reach the items of a disk.
#pragma once

#include <gtest/gtest.h>

#include <QIcon>
#include <QLineEdit>
#include <optional>
#include <vector>

#include "framework/command_ids.h"
#include "icons/icons.h"
#include "image/brindle_doc.h"
#include "support/in_place_editor.h"
#include "tree/left_view.h"

class TreeViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.SetDocument(&doc);
        QObject::connect(&tree, &CLeftView::ItemSelected, &tree,
                         [this](const std::optional<ItemInfo>& item) { shown.push_back(item); });
        tree.resize(300, 600);
        tree.show();
    }

    void InitialUpdate() { tree.OnInitialUpdate(); }

    // The tree last asked the list to show this item: a disk's files, its record header, its
    // properties or one of its sectors.
    void ExpectShown(int kind, int disk, int sector = 0) const {
        ASSERT_FALSE(shown.empty());
        const std::optional<ItemInfo>& item = shown.back();
        ASSERT_TRUE(item);
        EXPECT_EQ(item->kind, kind);
        EXPECT_EQ(item->diskIndex, disk);
        EXPECT_EQ(item->disk, doc.m_disks[static_cast<size_t>(disk)].get());
        EXPECT_EQ(item->sector, sector);
    }
    // The tree last asked for an empty list.
    void ExpectShownNothing() const {
        ASSERT_FALSE(shown.empty());
        EXPECT_FALSE(shown.back());
    }

    [[nodiscard]] QModelIndex Tags(int disk) const {
        return tree.model()->index(0, 0, tree.DiskItem(disk));
    }
    [[nodiscard]] QModelIndex Volume(int disk) const {
        return tree.model()->index(1, 0, tree.DiskItem(disk));
    }
    [[nodiscard]] QModelIndex Sector(int disk, int sector) const {
        return tree.model()->index(sector, 0, Volume(disk));
    }
    [[nodiscard]] static QString Label(const QModelIndex& item) {
        return item.data(Qt::DisplayRole).toString();
    }

    // The tree's icon index of an item, found by comparing its picture with every tree icon.
    [[nodiscard]] static int IconOf(const QModelIndex& item) {
        const QImage picture =
            item.data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage();
        for (int i = 0; i < icons::kTreeIconCount; ++i) {
            if (picture == icons::PaintTreeIcon(i).toImage()) {
                return i;
            }
        }
        return -1;
    }

    [[nodiscard]] bool CanEditLabel() {
        framework::CCmdUI ui(cmd::kEditLabel);
        EXPECT_TRUE(tree.OnCmdMsg(cmd::kEditLabel, &ui));
        return ui.IsEnabled();
    }

    // Runs "Edit Label" on the item and returns the open editor, if the item took one.
    QLineEdit* OpenEditor(const QModelIndex& item) {
        tree.SelectItem(item);
        tree.OnCmdMsg(cmd::kEditLabel, nullptr);
        return testsupport::VisibleEditor(tree);
    }

    // What the disk-removal command does: the document drops the disk, the disks behind it
    // move down one place, and the disk's items go.
    void RemoveDisk(int index) {
        doc.m_disks.erase(doc.m_disks.begin() + index);
        for (int row = index + 1; row < tree.DiskItemCount(); ++row) {
            tree.ShiftDiskIndex(tree.DiskItem(row), -1);
        }
        tree.DeleteItemAndInfo(tree.DiskItem(index));
    }

    CBrindleDoc doc;
    CLeftView tree;
    // Every item the tree asked the list to show, in order; none stands for an empty list.
    std::vector<std::optional<ItemInfo>> shown;
};
