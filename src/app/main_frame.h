// The main window: menu bar, toolbar and keys from the command table, the status bar with its
// progress pane, and the splitter with the tree of disks on the left and the content list on
// the right. It is the document's progress sink while it exists.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "framework/progress.h"
#include "framework/widgets/frame_wnd.h"
#include "image/item_info.h"

class CBrindleApp;
class CBrindleDoc;
class CBrindleView;
class CLeftView;
class QLabel;
class QMenu;
class QSplitter;
class QStatusBar;
class QToolBar;

class CMainFrame : public framework::CFrameWnd, public framework::ProgressSink {
    Q_OBJECT
public:
    // The status bar's panes.
    enum Pane { kMessagePane, kProgressPane, kCapsPane, kNumPane, kScrollPane, kPaneCount };
    static constexpr int kTreeWidth = 175;

    CMainFrame(CBrindleApp& app, CBrindleDoc& document);
    ~CMainFrame() override;

    void BeginProgress(const QString& text) override;
    void SetProgress(unsigned step) override;
    void EndProgress() override;

    // The splitter's right pane.
    [[nodiscard]] CBrindleView* GetListView() const;
    [[nodiscard]] CLeftView* GetTreeView() const;
    [[nodiscard]] QSplitter* GetSplitter() const { return m_wndSplitter; }
    [[nodiscard]] QToolBar* GetToolBar() const { return m_wndToolBar; }
    // The text a pane shows when no prompt covers it.
    [[nodiscard]] QString GetPaneText(int index) const;

    // After every New and Open: both views get the document and rebuild, the list first so
    // that the tree's first selection finds it ready.
    void InitialUpdateFrame();
    // Opens dropped files one after the other, each like a file chosen with Open.
    void OnDropFiles(const QStringList& paths);
    // Opens a window of its own on what a file of the list holds; the main frame owns it.
    void OpenFileViewer(const ItemInfo& item);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateSplitter();
    QAction* CommandAction(int id);
    void UpdateRecentFileMenu();
    void OnUpdateFrameTitle();
    void SetPaneText(int index, const QString& text);

    void OnViewStyle(int id);
    void OnUpdateViewStyles(framework::CCmdUI* pCmdUI);

    CBrindleApp& m_app;
    CBrindleDoc& m_doc;
    QSplitter* m_wndSplitter = nullptr;
    QStatusBar* m_wndStatusBar = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    CLeftView* m_treeView = nullptr;
    CBrindleView* m_listView = nullptr;
    QList<QLabel*> m_panes;
    QList<QAction*> m_recentFileActions;
    bool m_splitterPlaced = false;
};
