// The left pane: the tree of the image's disks, each with its record header, its volume and
// the volume's 1692 sectors. It says which item is selected (ItemSelected) and the main frame
// has the list show it; the tree knows nothing of the list. The commands on whole disks live
// here: adding and removing disks, replacing, importing into and exporting a disk, and
// formatting it. All but the adds act on the disk of the selected item, whatever its kind.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTreeView>
#include <functional>
#include <optional>

#include "framework/command_target.h"
#include "image/item_info.h"

class CBrindleDoc;
class CDiskTreeModel;
class CMdosDisk;

namespace framework {
class CFileDialog;
}

class CLeftView : public QTreeView, public framework::CCmdTarget {
    Q_OBJECT
public:
    // A volume to format: its name and geometry.
    struct VolumeFormat {
        QString name;
        int tracks = 0;
        int sectorsPerTrack = 0;
    };
    // What "Add More ..." appends: count disks, formatted as format says, or else copies of the
    // single-disk file templateFile.
    struct NewDisks {
        int count = 0;
        std::optional<VolumeFormat> format;
        QString templateFile;
    };
    // What the disk commands ask before they change anything; the main frame answers with its
    // dialogs, shown over parent. No answer (Cancel, or no question installed) changes nothing.
    struct Questions {
        std::function<std::optional<NewDisks>(QWidget* parent)> newDisks;
        std::function<std::optional<VolumeFormat>(QWidget* parent)> format;
    };

    explicit CLeftView(QWidget* parent = nullptr);
    ~CLeftView() override;

    void SetDocument(CBrindleDoc* document) { m_document = document; }
    [[nodiscard]] CBrindleDoc* GetDocument() const { return m_document; }
    void SetQuestions(Questions questions) { m_questions = std::move(questions); }

    // Called after every New and Open: rebuilds from the document and selects the first disk.
    virtual void OnInitialUpdate();

    // Appends the items of the document's disks from firstDisk to the last one; with
    // clearFirst the tree is emptied before. Returns the first new disk item, or an invalid
    // index when firstDisk is not below the number of disks.
    QModelIndex BuildDiskItems(int firstDisk, bool clearFirst);
    // Deletes a disk item with everything under it. The items below a disk are part of its
    // fixed shape and are not deleted alone. When the selection was on that disk, a
    // neighbouring disk item is selected and shown.
    void DeleteItemAndInfo(const QModelIndex& diskItem);
    // Deletes every item and says that nothing is selected: the list's rows may point at disks
    // that are gone.
    void ClearTree();
    // Adds delta to the disk index of the item's disk; all items of a disk share its index.
    void ShiftDiskIndex(const QModelIndex& item, int delta);
    // Selects no item and then the same item again, so that the list shows it afresh after a
    // command changed its disk: ItemSelected goes out with none, then with the item.
    void Reselect();

    // The record of an item; none for an invalid index.
    [[nodiscard]] std::optional<ItemInfo> ItemInfoAt(const QModelIndex& item) const;
    [[nodiscard]] QModelIndex SelectedItem() const { return currentIndex(); }
    [[nodiscard]] std::optional<ItemInfo> SelectedItemInfo() const;
    // Selects an item, which makes the list show it.
    void SelectItem(const QModelIndex& item);
    // The top-level items, one per disk, in the order of the document's disks.
    [[nodiscard]] int DiskItemCount() const;
    [[nodiscard]] QModelIndex DiskItem(int row) const;

signals:
    // The record of the item the list is to show, on every change of the selection; none when
    // nothing is selected, as after the last disk went.
    void ItemSelected(const std::optional<ItemInfo>& item);

private:
    void OnSelChanged(const QModelIndex& current);
    void OnItemCollapsed(const QModelIndex& item);
    // Widens the one column to the longest label, so that nothing is elided.
    void FitColumnToLabels();
    void OnEditLabel();
    void OnUpdateEditLabel(framework::CCmdUI* ui);

    void OnAddNew();
    void OnAddMore();
    void OnAddFromFile();
    void OnRemove();
    void OnUpdateRemove(framework::CCmdUI* ui);
    void OnReplaceWithFile();
    void OnExportToFile();
    void OnReplaceWithTap();
    void OnImportTap();
    void OnExportTap();
    void OnReplaceWithD80();
    void OnImportD80();
    void OnExportD80();
    void OnFormat();
    void OnBinaryImport();
    // The rule of every command that acts on the selected item's disk.
    void OnUpdateSelectedDisk(framework::CCmdUI* ui);

    // The disk of the selected item; null while nothing is selected.
    [[nodiscard]] CMdosDisk* SelectedDisk() const;
    // After an add that started with firstNew disks: selects the first new disk and marks the
    // image, when anything was added at all.
    void ShowAddedDisks(int firstNew);
    // After a command changed the selected disk: the list shows it afresh, the image is marked.
    void ShowChangedDisk();
    // Asks for a file to open and runs the operation with the dialog on the selected disk; then
    // shows the disk afresh and marks the image.
    void ChangeSelectedDisk(
        const QString& defaultExt, const QString& filter,
        const std::function<void(CMdosDisk&, const framework::CFileDialog&)>& operation);
    // Asks for a file to save, proposing the disk's name with the extension, and runs the
    // operation with the host path. An export changes nothing in the image.
    void ExportSelectedDisk(const char* extension, const QString& filter,
                            const std::function<void(CMdosDisk&, const QByteArray&)>& operation);

    CBrindleDoc* m_document = nullptr;
    Questions m_questions;
    CDiskTreeModel* m_model;
    // Set while the selection passes through items that must not reach the list.
    bool m_bQuiet = false;
};
