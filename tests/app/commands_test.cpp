// The menu bar, toolbar and keys against the program's command table, and which commands are
// available from where.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "app/shell_fixture.h"
#include "framework/command_ids.h"
#include "list/brindle_view.h"
#include "tree/left_view.h"

namespace {

struct Expected {
    const char* menu;
    const char* text;
    int id;
    QList<QKeySequence> keys;
    const char* prompt;
};

const QKeySequence kCtrl(Qt::Key key) {
    return QKeySequence(Qt::CTRL | key);
}

// Written down from the product's command table, not from the code that builds the menus.
const std::vector<Expected>& MenuEntries() {
    static const std::vector<Expected> entries = {
        {"&Image", "&New\tCtrl+N", 57600, {kCtrl(Qt::Key_N)}, "Create a new document"},
        {"&Image", "&Open ...\tCtrl+O", 57601, {kCtrl(Qt::Key_O)}, "Open an existing document"},
        {"&Image", "&Save\tCtrl+S", 57603, {kCtrl(Qt::Key_S)}, "Save the active document"},
        {"&Image", "Save &As ...", 57604, {}, "Save the active document with a new name"},
        {"&Image", "&Merge Mode", 32779, {}, "Switch file operations to merge mode"},
        {"&Image", "&Boot Template ...", 32775, {}, "Settings of the boot"},
        {"&Image", "Recent File", 57616, {}, "Open this document"},
        {"&Image", "E&xit Brindle", 57665, {}, "Quit the application; prompts to save documents"},
        {"Virtual &Disk Tools",
         "&Add New\tCtrl+A",
         32771,
         {kCtrl(Qt::Key_A)},
         "Add a standart Tarrow disk to image"},
        {"Virtual &Disk Tools",
         "Add &More ...\tCtrl+M",
         32772,
         {kCtrl(Qt::Key_M)},
         "Add more disks to image"},
        {"Virtual &Disk Tools",
         "&Remove\tCtrl+R",
         32773,
         {kCtrl(Qt::Key_R)},
         "Remove current disk from image"},
        {"Virtual &Disk Tools", "Copy ...", 32815, {}, "Copy Tarrow disk to specified position"},
        {"Virtual &Disk Tools", "Move ...", 32816, {}, "Move Tarrow disk to specified position"},
        {"Virtual &Disk Tools", "Add New &From File ...", 32790, {}, "Add Tarrow disk from file"},
        {"Virtual &Disk Tools",
         "Replace With  File...",
         32792,
         {},
         "Replace current disk with file"},
        {"Virtual &Disk Tools", "Export To File ...", 32794, {}, "Export current disk to file"},
        {"&MDOS Disk Tools",
         "&Replace with TAP File ...",
         32819,
         {},
         "Replace current disk with data from .TAP file"},
        {"&MDOS Disk Tools", "&Import TAP File ...", 32820, {}, "Import data from .TAP file"},
        {"&MDOS Disk Tools",
         "&Export to TAP File ...",
         32802,
         {},
         "Export whole disk to .TAP file"},
        {"&MDOS Disk Tools",
         "Replace with D80 File ...",
         32823,
         {},
         "Replace current disk with data from .D80 file"},
        {"&MDOS Disk Tools", "Import D80 File ...", 32826, {}, "Import data from .D80 file"},
        {"&MDOS Disk Tools", "Export to D80 File ...", 32827, {}, "Export whole disk to .D80 file"},
        {"&MDOS Disk Tools", "&Format ...\tCtrl+F", 32804, {kCtrl(Qt::Key_F)}, "Format disk"},
        {"MDOS &Files Tools",
         "Binary &Import ...\tCtrl+I",
         32830,
         {kCtrl(Qt::Key_I)},
         "Import any file as a binary copy"},
        {"MDOS &Files Tools",
         "Binary &Export ...\tCtrl+E",
         32831,
         {kCtrl(Qt::Key_E)},
         "Export any file as a binary copy"},
        {"MDOS &Files Tools", "&Delete\tCtrl+D", 32832, {kCtrl(Qt::Key_D)}, "Delete file"},
        {"MDOS &Files Tools", "Copy ...", 32833, {}, "Copy file to specified disk"},
        {"MDOS &Files Tools", "Move ...", 32834, {}, "Move file to specified disk"},
        {"MDOS &Files Tools",
         "Export to TAP file ...",
         32845,
         {},
         "Export selectded files to .TAP file"},
        {"MDOS &Files Tools",
         "Export to D80 file ...",
         32847,
         {},
         "Export selectded files to .D80 file"},
        {"&Edit",
         "&Undo\tCtrl+Z",
         57643,
         {kCtrl(Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)},
         "Undo the last action"},
        {"&Edit",
         "Cu&t\tCtrl+X",
         57635,
         {kCtrl(Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)},
         "Cut the selection and put it on the Clipboard"},
        {"&Edit",
         "&Copy\tCtrl+C",
         57634,
         {kCtrl(Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)},
         "Copy the selection and put it on the Clipboard"},
        {"&Edit",
         "&Paste\tCtrl+V",
         57637,
         {kCtrl(Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)},
         "Insert Clipboard contents"},
        {"&Edit",
         "Edit Label\tF2",
         32787,
         {QKeySequence(Qt::Key_F2)},
         "Edit label of current item"},
        {"&View", "&Toolbar", 59392, {}, "Show or hide the toolbar"},
        {"&View", "&Status Bar", 59393, {}, "Show or hide the status bar"},
        {"&Help",
         "&About Brindle...",
         57664,
         {},
         "Display program information, version number and copyright"},
    };
    return entries;
}

using CommandsTest = ShellTest;

TEST_F(CommandsTest, MenuEntriesMatchTheCommandTableInOrder) {
    std::vector<QAction*> shown;
    QStringList titles;
    for (QAction* menuAction : m_frame->menuBar()->actions()) {
        titles << menuAction->text();
        for (QAction* action : menuAction->menu()->actions()) {
            if (!action->isSeparator() && action->isVisible()) {
                shown.push_back(action);
            }
        }
    }
    EXPECT_EQ(titles, (QStringList{"&Image", "Virtual &Disk Tools", "&MDOS Disk Tools",
                                   "MDOS &Files Tools", "&Edit", "&View", "&Help"}));

    const auto& entries = MenuEntries();
    ASSERT_EQ(shown.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const Expected& e = entries[i];
        SCOPED_TRACE(e.text);
        QAction* action = m_frame->GetCommandAction(e.id);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(shown[i], action);
        EXPECT_EQ(action->text(), QString::fromUtf8(e.text));
        EXPECT_EQ(action->statusTip(), QString::fromUtf8(e.prompt));
        EXPECT_EQ(static_cast<QMenu*>(action->associatedObjects().first())->title(),
                  QString::fromUtf8(e.menu));
        EXPECT_EQ(m_frame->GetCommandKeys(e.id), e.keys);
    }
    EXPECT_EQ(m_frame->GetCommandKeys(cmd::kNextPane),
              (QList<QKeySequence>{QKeySequence(Qt::Key_F6), QKeySequence(Qt::Key_Tab)}));
    EXPECT_EQ(m_frame->GetCommandKeys(cmd::kPrevPane),
              (QList<QKeySequence>{QKeySequence(Qt::SHIFT | Qt::Key_F6)}));
}

TEST_F(CommandsTest, ToolbarButtonsInOrderWithTheirTips) {
    QStringList layout;
    for (QAction* action : m_frame->GetToolBar()->actions()) {
        layout << (action->isSeparator() ? QStringLiteral("|") : action->toolTip());
    }
    EXPECT_EQ(layout, (QStringList{"New", "Open", "Save", "|", "Cut", "Copy", "Paste", "|", "", "|",
                                   "Large Icons", "Small Icons", "List", "Details", "About"}));
    EXPECT_EQ(m_frame->GetToolBar()->actions()[8], m_frame->GetCommandAction(cmd::kFilePrint));
    for (QAction* action : m_frame->GetToolBar()->actions()) {
        EXPECT_TRUE(action->isSeparator() || !action->icon().isNull());
    }
    EXPECT_EQ(m_frame->GetCommandAction(cmd::kViewDetails)->statusTip(),
              "Displays detailed information about each item in the window.");
    EXPECT_EQ(m_frame->GetToolBar()->allowedAreas(), Qt::AllToolBarAreas);
    EXPECT_TRUE(m_frame->GetToolBar()->isMovable());
}

TEST_F(CommandsTest, CommandsNobodyHandlesAreDisabledWhateverTheFocus) {
    const int never[] = {cmd::kCopyDisk, cmd::kMoveDisk,  cmd::kEditUndo, cmd::kEditCut,
                         cmd::kEditCopy, cmd::kEditPaste, cmd::kFilePrint};
    for (QWidget* pane : {static_cast<QWidget*>(m_frame->GetTreeView()),
                          static_cast<QWidget*>(m_frame->GetListView())}) {
        m_frame->SetActivePane(pane);
        m_frame->UpdateCommandUI();
        for (const int id : never) {
            SCOPED_TRACE(id);
            QAction* action = m_frame->GetCommandAction(id);
            EXPECT_FALSE(action->isEnabled());
            EXPECT_FALSE(m_frame->ExecuteCommand(id));
            if (QWidget* button = m_frame->GetToolBar()->widgetForAction(action)) {
                EXPECT_FALSE(button->isEnabled());
            }
        }
    }
}

TEST_F(CommandsTest, KeysAndButtonsRecheckTheStateBeforeRunning) {
    // A target that handles the always-disabled edit commands shows that their keys do reach
    // the route, and that a stale enabled state never runs a disabled command.
    ProbeTarget probe({cmd::kEditUndo, cmd::kEditCut, cmd::kEditCopy, cmd::kEditPaste});
    m_frame->SetAppTarget(&probe);
    Activate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame));

    const QKeyCombination keys[] = {Qt::CTRL | Qt::Key_Z, Qt::ALT | Qt::Key_Backspace,
                                    Qt::CTRL | Qt::Key_X, Qt::SHIFT | Qt::Key_Delete,
                                    Qt::CTRL | Qt::Key_C, Qt::CTRL | Qt::Key_Insert,
                                    Qt::CTRL | Qt::Key_V, Qt::SHIFT | Qt::Key_Insert};
    for (const QKeyCombination key : keys) {
        QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
    }
    EXPECT_EQ(probe.ran,
              (std::vector<int>{cmd::kEditUndo, cmd::kEditUndo, cmd::kEditCut, cmd::kEditCut,
                                cmd::kEditCopy, cmd::kEditCopy, cmd::kEditPaste, cmd::kEditPaste}));

    m_frame->UpdateCommandUI();
    QAction* cut = m_frame->GetCommandAction(cmd::kEditCut);
    ASSERT_TRUE(cut->isEnabled());
    probe.enabled = false;
    probe.ran.clear();
    cut->trigger();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(probe.ran.empty());
    EXPECT_FALSE(cut->isEnabled());
    m_frame->SetAppTarget(m_app.get());
}

TEST_F(CommandsTest, ActiveViewComesFirstThenDocumentFrameAndApplication) {
    const framework::CommandRoute treeRoute = m_frame->GetRoute();
    ASSERT_EQ(treeRoute.size(), 4U);
    EXPECT_EQ(treeRoute[0], static_cast<framework::CCmdTarget*>(m_frame->GetTreeView()));
    EXPECT_EQ(treeRoute[1], static_cast<framework::CCmdTarget*>(&Doc()));
    EXPECT_EQ(treeRoute[2], static_cast<framework::CCmdTarget*>(m_frame));
    EXPECT_EQ(treeRoute[3], static_cast<framework::CCmdTarget*>(m_app.get()));

    m_frame->SetActivePane(m_frame->GetListView());
    EXPECT_EQ(m_frame->GetRoute()[0], static_cast<framework::CCmdTarget*>(m_frame->GetListView()));
}

TEST(RouteTest, FirstTargetThatKnowsTheCommandDecides) {
    ProbeTarget view({cmd::kBinaryImport, cmd::kEditLabel});
    ProbeTarget document({cmd::kBinaryImport, cmd::kMergeMode});
    const framework::CommandRoute route{nullptr, &view, &document};

    EXPECT_TRUE(framework::RouteCommand(route, cmd::kBinaryImport));
    EXPECT_EQ(view.ran, std::vector<int>{cmd::kBinaryImport});
    EXPECT_TRUE(document.ran.empty());

    // A view that disables a command it knows hides the document's handler for it.
    view.enabled = false;
    framework::CCmdUI ui(cmd::kBinaryImport);
    EXPECT_TRUE(framework::RouteUpdate(route, ui));
    EXPECT_FALSE(ui.IsEnabled());
    EXPECT_FALSE(framework::RouteCommand(route, cmd::kBinaryImport));
    EXPECT_TRUE(document.ran.empty());

    EXPECT_TRUE(framework::RouteCommand(route, cmd::kMergeMode));
    EXPECT_EQ(document.ran, std::vector<int>{cmd::kMergeMode});

    framework::CCmdUI unknown(cmd::kEditUndo);
    EXPECT_FALSE(framework::RouteUpdate(route, unknown));
    EXPECT_FALSE(unknown.IsEnabled());
}

TEST_F(CommandsTest, ViewsRequestAStateRefresh) {
    QApplication::processEvents();
    Doc().m_bMergeMode = true;
    framework::RequestCommandUpdate(m_frame->GetListView());
    EXPECT_FALSE(m_frame->GetCommandAction(cmd::kMergeMode)->isChecked());
    QApplication::processEvents();
    EXPECT_TRUE(m_frame->GetCommandAction(cmd::kMergeMode)->isChecked());
}

TEST_F(CommandsTest, AClickInTheWindowRefreshesTheStates) {
    QApplication::processEvents();
    Doc().m_bMergeMode = true;
    QTest::mouseClick(m_frame->GetTreeView()->viewport(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(m_frame->GetCommandAction(cmd::kMergeMode)->isChecked());
}

TEST_F(CommandsTest, MergeModeTogglesItsCheckMarkWithEitherViewActive) {
    QAction* merge = m_frame->GetCommandAction(cmd::kMergeMode);
    m_frame->SetActivePane(m_frame->GetTreeView());
    merge->trigger();
    EXPECT_TRUE(Doc().m_bMergeMode);
    EXPECT_TRUE(merge->isChecked());

    m_frame->SetActivePane(m_frame->GetListView());
    EXPECT_TRUE(m_frame->QueryCommand(cmd::kMergeMode).IsChecked());
    merge->trigger();
    EXPECT_FALSE(Doc().m_bMergeMode);
    EXPECT_FALSE(merge->isChecked());
    EXPECT_TRUE(merge->isEnabled());
}

TEST_F(CommandsTest, ListStylesSetTheListModeWithARadioMark) {
    CBrindleView* list = m_frame->GetListView();
    ASSERT_NE(list, nullptr);
    m_frame->GetCommandAction(cmd::kViewLargeIcon)->trigger();
    EXPECT_EQ(list->GetListStyle(), CBrindleView::ListStyle::LargeIcon);
    EXPECT_TRUE(m_frame->GetCommandAction(cmd::kViewLargeIcon)->isChecked());
    EXPECT_FALSE(m_frame->GetCommandAction(cmd::kViewDetails)->isChecked());
    EXPECT_TRUE(m_frame->QueryCommand(cmd::kViewLineUp).IsEnabled());

    m_frame->GetCommandAction(cmd::kViewSmallIcon)->trigger();
    EXPECT_EQ(list->GetListStyle(), CBrindleView::ListStyle::SmallIcon);
    EXPECT_TRUE(m_frame->QueryCommand(cmd::kViewLineUp).IsEnabled());

    for (const int id : {cmd::kViewList, cmd::kViewDetails}) {
        m_frame->GetCommandAction(id)->trigger();
        EXPECT_TRUE(m_frame->GetCommandAction(id)->isChecked());
        EXPECT_FALSE(m_frame->QueryCommand(cmd::kViewLineUp).IsEnabled());
        EXPECT_FALSE(m_frame->ExecuteCommand(cmd::kViewLineUp));
    }
    EXPECT_EQ(list->GetListStyle(), CBrindleView::ListStyle::Details);
    const framework::CCmdUI byName = m_frame->QueryCommand(cmd::kViewByName);
    EXPECT_TRUE(byName.IsEnabled());
    EXPECT_FALSE(byName.IsChecked());
}

TEST_F(CommandsTest, TabAndF6MoveTheFocusToTheOtherPaneShiftF6Back) {
    Activate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame));
    QWidget* tree = m_frame->GetTreeView();
    QWidget* list = m_frame->GetListView();
    tree->setFocus();
    ASSERT_EQ(m_frame->GetActivePane(), tree);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(list->hasFocus());
    EXPECT_EQ(m_frame->GetActivePane(), list);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    EXPECT_TRUE(tree->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_TRUE(list->hasFocus());
    EXPECT_EQ(m_frame->GetActivePane(), list);
}

TEST_F(CommandsTest, ToolbarAndStatusBarCommandsShowAndHideThem) {
    QAction* toolbar = m_frame->GetCommandAction(cmd::kViewToolbar);
    QAction* statusBar = m_frame->GetCommandAction(cmd::kViewStatusBar);
    m_frame->UpdateCommandUI();
    EXPECT_TRUE(toolbar->isChecked());
    EXPECT_TRUE(statusBar->isChecked());

    toolbar->trigger();
    statusBar->trigger();
    EXPECT_TRUE(m_frame->GetToolBar()->isHidden());
    EXPECT_TRUE(m_frame->statusBar()->isHidden());
    EXPECT_FALSE(toolbar->isChecked());
    EXPECT_FALSE(statusBar->isChecked());

    toolbar->trigger();
    EXPECT_FALSE(m_frame->GetToolBar()->isHidden());
    EXPECT_TRUE(toolbar->isChecked());
}

TEST_F(CommandsTest, OpeningAMenuRefreshesItsEntries) {
    Doc().m_bMergeMode = true;
    QAction* merge = m_frame->GetCommandAction(cmd::kMergeMode);
    EXPECT_FALSE(merge->isChecked());
    QMenu* image = m_frame->menuBar()->actions().first()->menu();
    emit image->aboutToShow();
    EXPECT_TRUE(merge->isChecked());
}

TEST_F(CommandsTest, DiskCommandsFollowTheTreeAndStayWithTheTree) {
    m_frame->SetActivePane(m_frame->GetTreeView());
    ASSERT_TRUE(m_frame->ExecuteCommand(cmd::kAddNew));
    ASSERT_EQ(Doc().m_disks.size(), 2U);
    // The new disk is selected, and the selection change alone refreshes the states.
    QApplication::processEvents();
    QAction* remove = m_frame->GetCommandAction(cmd::kRemoveDisk);
    EXPECT_TRUE(remove->isEnabled());
    m_frame->GetTreeView()->SelectItem(m_frame->GetTreeView()->DiskItem(0));
    QApplication::processEvents();
    EXPECT_FALSE(remove->isEnabled());

    // With the list active the tree's own commands are out of reach.
    m_frame->SetActivePane(m_frame->GetListView());
    m_frame->UpdateCommandUI();
    EXPECT_FALSE(m_frame->GetCommandAction(cmd::kAddNew)->isEnabled());
    EXPECT_FALSE(m_frame->ExecuteCommand(cmd::kAddNew));
    EXPECT_EQ(Doc().m_disks.size(), 2U);
    EXPECT_TRUE(m_frame->GetCommandAction(cmd::kImportTap)->isEnabled());
}

// A dialog without an owner may open behind the main window; every one belongs to it.
TEST_F(CommandsTest, EveryDialogBelongsToTheMainWindow) {
    m_frame->SetActivePane(m_frame->GetTreeView());
    for (int id : {cmd::kAddMore, cmd::kAddFromFile, cmd::kReplaceWithFile, cmd::kExportToFile,
                   cmd::kReplaceWithTap, cmd::kImportTap, cmd::kExportDiskTap, cmd::kReplaceWithD80,
                   cmd::kImportD80, cmd::kExportDiskD80, cmd::kFormat, cmd::kBinaryImport,
                   cmd::kBootTemplate, cmd::kFileOpen, cmd::kFileSaveAs, cmd::kAppAbout}) {
        EXPECT_TRUE(m_frame->ExecuteCommand(id)) << id;
    }
    unsigned char* entry = nullptr;
    const unsigned char blank[CMdosDisk::kDirEntrySize] = {'B'};
    ASSERT_EQ(Doc().m_disks[0]->AddFile(&entry, blank, blank, 1), CMdosDisk::kAddDone);
    m_frame->GetTreeView()->Reselect();
    m_frame->SetActivePane(m_frame->GetListView());
    m_frame->GetListView()->SelectRows({0});
    for (int id : {cmd::kBinaryImport, cmd::kImportTap, cmd::kFormat, cmd::kBinaryExport,
                   cmd::kCopyFiles, cmd::kExportFilesD80}) {
        EXPECT_TRUE(m_frame->ExecuteCommand(id)) << id;
    }

    EXPECT_EQ(m_files.ShownDialogs().size(), 16U);
    for (const testsupport::ScriptedFileDialogs::Shown& dialog : m_files.ShownDialogs()) {
        EXPECT_EQ(dialog.owner, m_frame) << dialog.filter.toStdString();
    }
    EXPECT_EQ(m_modal.Owners(), std::vector<QWidget*>(6, m_frame))
        << m_modal.Titles().join(", ").toStdString();
}

TEST_F(CommandsTest, BootTemplateRunsItsDialogWithEitherViewActive) {
    for (QWidget* pane : {static_cast<QWidget*>(m_frame->GetTreeView()),
                          static_cast<QWidget*>(m_frame->GetListView())}) {
        m_frame->SetActivePane(pane);
        EXPECT_TRUE(m_frame->ExecuteCommand(cmd::kBootTemplate));
    }
    EXPECT_EQ(m_modal.Titles(), QStringList({QStringLiteral("Boot Template Settings"),
                                             QStringLiteral("Boot Template Settings")}));
}

}  // namespace
