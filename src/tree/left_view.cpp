#include "tree/left_view.h"

#include <algorithm>

#include "framework/command_ids.h"
#include "image/brindle_doc.h"
#include "list/brindle_view.h"
#include "list/icons.h"
#include "tree/disk_tree_model.h"

CLeftView::CLeftView(QWidget* parent) : QTreeView(parent), m_model(new CDiskTreeModel(this)) {
    setModel(m_model);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    // Every sector item has the same height; without this the view measures 1692 rows each
    // time a volume opens.
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setIconSize(QSize(icons::kSmallIconSize, icons::kSmallIconSize));

    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { OnSelChanged(current); });
    connect(m_model, &CDiskTreeModel::DiskRenamed, this, [this] {
        if (m_document != nullptr) {
            m_document->SetModifiedFlag(true);
        }
    });

    OnCommand(cmd::kEditLabel, &CLeftView::OnEditLabel, &CLeftView::OnUpdateEditLabel);
}

CLeftView::~CLeftView() = default;

void CLeftView::OnInitialUpdate() {
    SelectItem(BuildDiskItems(0, true));
}

QModelIndex CLeftView::BuildDiskItems(int firstDisk, bool clearFirst) {
    if (clearFirst) {
        ClearTree();
    }
    if (m_document == nullptr) {
        return {};
    }
    std::vector<CMdosDisk*> disks;
    const int count = static_cast<int>(m_document->m_disks.size());
    for (int i = std::max(firstDisk, 0); i < count; ++i) {
        disks.push_back(m_document->m_disks[static_cast<size_t>(i)].get());
    }
    return m_model->AppendDisks(disks, std::max(firstDisk, 0));
}

void CLeftView::DeleteItemAndInfo(const QModelIndex& diskItem) {
    const std::optional<ItemInfo> info = ItemInfoAt(diskItem);
    if (!info || info->kind != KindFiles) {
        return;
    }
    // The view picks a neighbour only when the selected item itself goes, not one of its
    // descendants; so the selection first climbs to the disk item, without showing it, since
    // its disk may already be gone from the document.
    const int row = diskItem.row();
    if (m_model->DiskRowOf(currentIndex()) == row && currentIndex() != diskItem) {
        m_bQuiet = true;
        SelectItem(diskItem);
        m_bQuiet = false;
    }
    m_model->RemoveDisk(row);
}

void CLeftView::ClearTree() {
    m_model->Clear();
    if (CBrindleView* list = GetListView()) {
        list->ClearList();
    }
}

void CLeftView::ShiftDiskIndex(const QModelIndex& item, int delta) {
    m_model->ShiftDiskIndex(m_model->DiskRowOf(item), delta);
}

void CLeftView::Reselect() {
    const QModelIndex item = currentIndex();
    if (!item.isValid()) {
        return;
    }
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
    SelectItem(item);
}

std::optional<ItemInfo> CLeftView::ItemInfoAt(const QModelIndex& item) const {
    return m_model->ItemInfoAt(item);
}

std::optional<ItemInfo> CLeftView::SelectedItemInfo() const {
    return ItemInfoAt(currentIndex());
}

void CLeftView::SelectItem(const QModelIndex& item) {
    selectionModel()->setCurrentIndex(item, QItemSelectionModel::ClearAndSelect);
    if (item.isValid()) {
        scrollTo(item);
    }
}

int CLeftView::DiskItemCount() const {
    return m_model->rowCount();
}

QModelIndex CLeftView::DiskItem(int row) const {
    return m_model->index(row, 0);
}

QModelIndex CLeftView::DiskItemOf(const QModelIndex& item) const {
    return DiskItem(m_model->DiskRowOf(item));
}

void CLeftView::OnSelChanged(const QModelIndex& current) {
    if (m_bQuiet) {
        return;
    }
    CBrindleView* list = GetListView();
    if (list == nullptr) {
        return;
    }
    const std::optional<ItemInfo> info = ItemInfoAt(current);
    if (!info) {
        // Nothing selected, as after the last disk went: the rows must not outlive the disks
        // they point at.
        list->ClearList();
        return;
    }
    switch (info->kind) {
        case KindFiles:
            list->ShowFiles(info->disk, info->diskIndex);
            break;
        case KindRecordHeader:
            list->ShowRecordHeader(info->disk, info->diskIndex);
            break;
        case KindProperties:
            list->ShowProperties(info->disk, info->diskIndex);
            break;
        case KindSector:
            list->ShowSector(info->disk, info->diskIndex, info->sector);
            break;
        default:
            break;
    }
}

void CLeftView::OnEditLabel() {
    const QModelIndex item = currentIndex();
    if (m_model->flags(item).testFlag(Qt::ItemIsEditable)) {
        scrollTo(item);
        edit(item);
    }
}

void CLeftView::OnUpdateEditLabel(framework::CCmdUI* ui) {
    const std::optional<ItemInfo> info = SelectedItemInfo();
    ui->Enable(info && info->kind == KindFiles);
}
