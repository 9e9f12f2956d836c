// The tree and the list side by side over one document, as the main window holds them, with
// helpers to reach the items of a disk.
#pragma once

#include <gtest/gtest.h>

#include <QIcon>
#include <QLineEdit>
#include <optional>

#include "framework/command_ids.h"
#include "image/brindle_doc.h"
#include "list/brindle_view.h"
#include "list/icons.h"
#include "support/in_place_editor.h"
#include "tree/left_view.h"

class TreeViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        list.SetDocument(&doc);
        tree.SetDocument(&doc);
        tree.SetListViewProvider([this] { return &list; });
        tree.resize(300, 600);
        tree.show();
    }

    // The shell's order after New and Open: the list first, then the tree.
    void InitialUpdate() {
        list.OnInitialUpdate();
        tree.OnInitialUpdate();
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
        const QImage shown = item.data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16).toImage();
        for (int i = 0; i < icons::kTreeIconCount; ++i) {
            if (shown == icons::PaintTreeIcon(i).toImage()) {
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

    [[nodiscard]] std::optional<ItemInfo> FirstListRow() const { return list.GetRowItemInfo(0); }

    CBrindleDoc doc;
    CBrindleView list;
    CLeftView tree;
};
