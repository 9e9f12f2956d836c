// The right pane: a list that shows what the tree selected, as a disk's files, its record
// header, its volume properties or a decimal dump of one sector. The main frame hands it the
// tree's selection; the list knows nothing of the tree.
#pragma once

#include <QFont>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "framework/command_target.h"
#include "image/item_info.h"
#include "list/content_list_model.h"

class CBrindleDoc;
class CMdosDisk;
class QListView;
class QStackedLayout;
class QTreeView;

class CBrindleView : public QWidget, public framework::CCmdTarget {
    Q_OBJECT
public:
    // The four display styles of the main frame's list-style commands.
    enum class ListStyle { LargeIcon, SmallIcon, List, Details };

    // A volume to format: its name and geometry.
    struct VolumeFormat {
        QString name;
        int tracks = 0;
        int sectorsPerTrack = 0;
    };
    // What the file commands ask before they change anything; the main frame answers with its
    // dialogs, shown over parent. No answer (Cancel, or no question installed) changes nothing.
    struct Questions {
        std::function<std::optional<VolumeFormat>(QWidget* parent)> format;
        // The disk that copied or moved files go to, one of disks (which may be null), offered
        // under prompt; null when none was chosen.
        std::function<CMdosDisk*(QWidget* parent, const QString& prompt,
                                 const std::vector<std::unique_ptr<CMdosDisk>>* disks)>
            targetDisk;
    };

    explicit CBrindleView(QWidget* parent = nullptr);
    ~CBrindleView() override;

    void SetDocument(CBrindleDoc* document) { m_document = document; }
    [[nodiscard]] CBrindleDoc* GetDocument() const { return m_document; }
    void SetQuestions(Questions questions) { m_questions = std::move(questions); }

    // Called after every New and Open: drops the rows, whose disks may be gone, and returns to
    // the details style; the tree's own initial update then fills the list again.
    virtual void OnInitialUpdate();

    // The display operations: each drops the old rows and builds the new ones. diskIndex is
    // only stored in the rows' records, never used to look the disk up.
    void ShowFiles(CMdosDisk* disk, int diskIndex);
    void ShowRecordHeader(CMdosDisk* disk, int diskIndex);
    void ShowProperties(CMdosDisk* disk, int diskIndex);
    void ShowSector(CMdosDisk* disk, int diskIndex, int sector);
    // Shows what an item of the disk tree stands for, in the mode of its kind; none empties
    // the list, whose rows must not outlive the disks they point at.
    void ShowItem(const std::optional<ItemInfo>& item);
    // Drops every row and keeps the columns; afterwards no disk is shown.
    void ClearList();

    // Rows and their records, for the file commands.
    [[nodiscard]] int GetRowCount() const;
    [[nodiscard]] std::optional<ItemInfo> GetRowItemInfo(int row) const;
    // Selected rows in ascending order.
    [[nodiscard]] std::vector<int> GetSelectedRows() const;
    // Replaces the selection; the first row given becomes the current one.
    void SelectRows(const std::vector<int>& rows);
    // Starts editing the label of a row in place; refused rows stay as they are.
    void EditLabel(int row);

    void SetListStyle(ListStyle style);
    // The width of the file list's columns together, as they first open.
    [[nodiscard]] static int FilesColumnsWidth();
    [[nodiscard]] ListStyle GetListStyle() const { return m_style; }
    // Lines the icons up on the grid again (large and small icon styles).
    void ArrangeIcons();

    [[nodiscard]] CContentListModel* GetListModel() const { return m_model; }
    // The view of the details style and the view of the three icon and list styles.
    [[nodiscard]] QTreeView* GetDetailsView() const { return m_details; }
    [[nodiscard]] QListView* GetIconView() const { return m_icons; }

    // The columns of one mode and whether it shows in the fixed font.
    struct Layout {
        std::vector<CContentListModel::Column> columns;
        bool fixedFont = false;
    };

signals:
    // Enter or a double click on a file row: the main frame opens the file's viewer.
    void FileActivated(const ItemInfo& item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A file that a selected row stands for.
    struct SelectedFile {
        CMdosDisk* disk;
        int diskIndex;
        unsigned char* dirEntry;
    };

    // Signals FileActivated for a file row; other rows do nothing.
    void ActivateRow(int row);
    void OnEditLabel();
    void OnUpdateEditLabel(framework::CCmdUI* ui);

    // The file commands (file_commands.cpp), each with its update rule.
    void RegisterFileCommands();
    void OnBinaryImport();
    void OnImportTap();
    void OnImportD80();
    void OnFormat();
    [[nodiscard]] bool HasShownDiskRows() const;
    void OnUpdateShownDiskCommand(framework::CCmdUI* ui);
    void OnBinaryExport();
    void OnDeleteFiles();
    void OnCopyFiles();
    void OnMoveFiles();
    void OnExportFilesTap();
    void OnExportFilesD80();
    void OnUpdateSelectedFilesCommand(framework::CCmdUI* ui);

    [[nodiscard]] std::vector<SelectedFile> GetSelectedFiles() const;
    void CopyOrMoveFiles(bool keepSource);
    void ExportSelectedFiles(bool d80);
    // Puts the disk's file list in place of whatever the list showed and marks the image
    // modified.
    void RefillFiles(CMdosDisk* disk, int diskIndex);
    // Asks for a file and adds its files to the shown disk with import, then refills.
    void ImportIntoShownDisk(const QString& defaultExt, const QString& filter,
                             const std::function<void(CMdosDisk& disk, const char* path)>& import);
    void MarkModified();

    void EnsureFonts();
    // Keeps the columns and the widths the user gave them when the mode has as many columns as
    // the list shows; otherwise puts the mode's columns and font in place.
    void PrepareColumns(const Layout& layout);
    void SetListFont(const QFont& font);

    CBrindleDoc* m_document = nullptr;
    Questions m_questions;
    // The disk of the last display operation, which in every mode is the tree's selected disk;
    // null while nothing is shown. The disk-wide file commands act on it.
    CMdosDisk* m_shownDisk = nullptr;
    int m_shownDiskIndex = 0;
    ListStyle m_style = ListStyle::Details;
    CContentListModel* m_model;
    QStackedLayout* m_stack;
    QTreeView* m_details;
    QListView* m_icons;
    std::optional<QFont> m_fixedFont;
    std::optional<QFont> m_normalFont;
};
