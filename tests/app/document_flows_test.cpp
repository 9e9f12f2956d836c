// New, Open, Save, Save As, recent files, dropped files and Exit as the user reaches them:
// the save question first, the file dialogs, merge mode, and the recent-file list.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "app/image_files.h"
#include "app/shell_fixture.h"
#include "tree/left_view.h"
#include "framework/command_ids.h"
#include "framework/recent_file_list.h"
#include "list/brindle_view.h"
#include "platform/message_box.h"
#include "support/test_disks.h"
#include "tree/left_view.h"

namespace {

class DocumentFlowsTest : public ShellTest {
protected:
    [[nodiscard]] QString Path(const char* name) const { return m_settings.FilePath(name); }

    // A modified image of two disks, as after the user added one.
    void MakeModified() {
        Doc().AddFormattedDisks(1, 80, 9, QStringLiteral("extra"));
        Doc().SetModifiedFlag(true);
        ASSERT_EQ(Doc().m_disks.size(), 2U);
    }

    // The entries the Image menu shows for recent files, once the menu opens.
    QStringList RecentFileEntries() {
        QMenu* image = m_frame->menuBar()->actions().constFirst()->menu();
        emit image->aboutToShow();
        QStringList entries;
        for (int i = 0; i < cmd::kFileMruCount; ++i) {
            QAction* action = m_frame->GetCommandAction(cmd::kFileMruFirst + i);
            if (action->isVisible()) {
                entries << action->text() + (action->isEnabled() ? "" : " (greyed)");
            }
        }
        return entries;
    }
};

TEST_F(DocumentFlowsTest, CancelToTheSaveQuestionStopsNew) {
    MakeModified();
    m_questions.AnswerNext(framework::YesNoCancel::Cancel);
    EXPECT_TRUE(m_frame->ExecuteCommand(cmd::kFileNew));
    EXPECT_EQ(m_questions.Questions(), QStringList{"Save changes to Untitled?"});
    EXPECT_EQ(Doc().m_disks.size(), 2U);
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_TRUE(m_files.ShownDialogs().empty());
}

TEST_F(DocumentFlowsTest, NoToTheSaveQuestionMakesANewImage) {
    MakeModified();
    m_questions.AnswerNext(framework::YesNoCancel::No);
    m_frame->ExecuteCommand(cmd::kFileNew);
    EXPECT_EQ(Doc().m_disks.size(), 1U);
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(m_frame->windowTitle(), "Untitled - Brindle");
}

TEST_F(DocumentFlowsTest, YesSavesAnUntitledImageUnderTheChosenNameFirst) {
    MakeModified();
    m_questions.AnswerNext(framework::YesNoCancel::Yes);
    m_files.ChooseNext(Path("saved.trw"));
    m_frame->ExecuteCommand(cmd::kFileNew);

    ASSERT_EQ(m_files.ShownDialogs().size(), 1U);
    const auto& dialog = m_files.ShownDialogs()[0];
    EXPECT_FALSE(dialog.open);
    EXPECT_EQ(dialog.defaultExt, ".trw");
    EXPECT_EQ(dialog.fileName, "Untitled.trw");
    EXPECT_EQ(dialog.filter, "Tarrow Image Files (*.trw)|*.trw|All Files (*.*)|*.*||");
    EXPECT_EQ(QFileInfo(Path("saved.trw")).size(), 2 * CMdosDisk::kRecordSize);
    EXPECT_EQ(Doc().m_disks.size(), 1U);
}

TEST_F(DocumentFlowsTest, CancelledSaveAsToTheQuestionKeepsTheImage) {
    MakeModified();
    m_questions.AnswerNext(framework::YesNoCancel::Yes);
    m_frame->ExecuteCommand(cmd::kFileNew);
    EXPECT_EQ(m_files.ShownDialogs().size(), 1U);
    EXPECT_EQ(Doc().m_disks.size(), 2U);
    EXPECT_TRUE(Doc().IsModified());
}

// A real message box takes the focus, and an editor in place stores its text when it loses
// the focus: an edit still open when the image is replaced would write into a disk that is gone.
TEST_F(DocumentFlowsTest, ANameBeingEditedInPlaceIsStoredBeforeTheImageIsReplaced) {
    Activate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame));
    bool editorOpenDuringNew = false;
    const platform::MessageHandler previous = platform::SetMessageHandler(
        [&editorOpenDuringNew](platform::MessageKind, const std::string&) {
            QWidget* focus = QApplication::focusWidget();
            editorOpenDuringNew |= qobject_cast<QLineEdit*>(focus) != nullptr;
            if (focus != nullptr) {
                focus->clearFocus();
            }
            return platform::Answer::Ok;
        });
    const auto editLabel = [this](QWidget* pane) {
        pane->setFocus();
        m_frame->ExecuteCommand(cmd::kEditLabel);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        EXPECT_NE(editor, nullptr);
        if (editor != nullptr) {
            editor->setText("Typed");
        }
    };

    // A disk's name: the rename marks the image, so the save question comes first.
    editLabel(m_frame->GetTreeView());
    m_questions.AnswerNext(framework::YesNoCancel::No);
    m_frame->ExecuteCommand(cmd::kFileNew);
    EXPECT_EQ(m_questions.Questions(), QStringList{"Save changes to Untitled?"});
    EXPECT_FALSE(editorOpenDuringNew);
    EXPECT_FALSE(Doc().IsModified());

    // A file's name: the rename marks the image too, so closing asks first.
    testing_disks::AddFile(*Doc().m_disks[0], 'B', "FILE", {1, 2, 3});
    m_frame->GetTreeView()->Reselect();
    ASSERT_EQ(m_frame->GetListView()->GetRowCount(), 1);
    m_frame->GetListView()->SelectRows({0});
    editLabel(m_frame->GetListView());
    m_questions.AnswerNext(framework::YesNoCancel::Cancel);
    EXPECT_FALSE(m_frame->close());
    EXPECT_EQ(m_questions.Questions(),
              (QStringList{"Save changes to Untitled?", "Save changes to Untitled?"}));
    EXPECT_FALSE(editorOpenDuringNew);
    EXPECT_TRUE(Doc().IsModified());
    platform::SetMessageHandler(previous);
}

TEST_F(DocumentFlowsTest, OpenReadsTheChosenImageAndNamesTheWindowAfterIt) {
    WriteImageFile(Path("games.trw"), {"one", "two"});
    m_files.ChooseNext(Path("games.trw"));
    m_frame->ExecuteCommand(cmd::kFileOpen);

    ASSERT_EQ(m_files.ShownDialogs().size(), 1U);
    EXPECT_TRUE(m_files.ShownDialogs()[0].open);
    EXPECT_EQ(m_files.ShownDialogs()[0].filter,
              "Tarrow Image Files (*.trw)|*.trw|All Files (*.*)|*.*||");
    EXPECT_EQ(DiskNames(Doc()), (QStringList{"one", "two"}));
    EXPECT_EQ(m_frame->windowTitle(), "games.trw - Brindle");
    // The test folder is deep, so the entry is shortened.
    EXPECT_EQ(RecentFileEntries(), QStringList{"&1 /.../games.trw"});
}

// The window reads a disk's record only when something shows it: the tree's labels need only
// the record headers.
TEST_F(DocumentFlowsTest, OpenReadsOnlyTheDisksTheWindowShows) {
    WriteImageFile(Path("games.trw"), {"one", "two", "three"});
    m_files.ChooseNext(Path("games.trw"));
    m_frame->ExecuteCommand(cmd::kFileOpen);
    ASSERT_EQ(Doc().m_disks.size(), 3U);
    EXPECT_FALSE(Doc().m_disks[1]->IsLoaded());
    EXPECT_FALSE(Doc().m_disks[2]->IsLoaded());
    EXPECT_EQ(m_frame->GetTreeView()->model()->index(2, 0).data().toString(), "three");
}

TEST_F(DocumentFlowsTest, ViewsRebuildAfterOpenTheListBeforeTheTree) {
    QFile host(Path("prog.bin"));
    ASSERT_TRUE(host.open(QIODevice::WriteOnly));
    host.write(QByteArray(100, 'x'));
    host.close();
    unsigned char* entry = nullptr;
    Doc().m_disks[0]->ImportBinary(&entry, "prog", Path("prog.bin").toLocal8Bit().constData());
    ASSERT_NE(entry, nullptr);
    m_files.ChooseNext(Path("one.trw"));
    m_frame->ExecuteCommand(cmd::kFileSaveAs);
    Doc().m_bMergeMode = true;

    // The tree's first selection fills the list; a list rebuilt after it would stay empty.
    m_files.ChooseNext(Path("one.trw"));
    m_frame->ExecuteCommand(cmd::kFileOpen);
    EXPECT_EQ(m_frame->GetTreeView()->DiskItemCount(), 2);
    EXPECT_EQ(m_frame->GetListView()->GetRowCount(), 1);
}

TEST_F(DocumentFlowsTest, AFileThatNeverOpensLeavesTheViewsAsTheyWere) {
    CLeftView* tree = m_frame->GetTreeView();
    const QModelIndex volume = tree->model()->index(1, 0, tree->DiskItem(0));
    const QModelIndex sector = tree->model()->index(13, 0, volume);
    tree->expand(tree->DiskItem(0));
    tree->expand(volume);
    tree->SelectItem(sector);
    const int rows = m_frame->GetListView()->GetRowCount();
    m_messages.Clear();

    m_files.ChooseNext(Path("missing.trw"));
    m_frame->ExecuteCommand(cmd::kFileOpen);
    EXPECT_EQ(m_messages.Shown().size(), 1U);
    EXPECT_EQ(tree->SelectedItem(), sector);
    EXPECT_TRUE(tree->isExpanded(volume));
    EXPECT_EQ(m_frame->GetListView()->GetRowCount(), rows);
    EXPECT_EQ(m_frame->GetListView()->GetRowItemInfo(0)->sector, 13);
}

TEST_F(DocumentFlowsTest, OpenAsksToSaveAndCancelKeepsTheImage) {
    MakeModified();
    WriteImageFile(Path("games.trw"), {"one"});
    m_files.ChooseNext(Path("games.trw"));
    m_questions.AnswerNext(framework::YesNoCancel::Cancel);
    m_frame->ExecuteCommand(cmd::kFileOpen);
    EXPECT_EQ(m_questions.Questions().size(), 1);
    EXPECT_EQ(Doc().m_disks.size(), 2U);
    EXPECT_EQ(m_frame->windowTitle(), "Untitled - Brindle");
}

TEST_F(DocumentFlowsTest, SaveWritesToTheImagesOwnFileWithoutAsking) {
    WriteImageFile(Path("games.trw"), {"one"});
    m_files.ChooseNext(Path("games.trw"));
    m_frame->ExecuteCommand(cmd::kFileOpen);
    Doc().AddFormattedDisks(1, 80, 9, QStringLiteral("extra"));
    Doc().SetModifiedFlag(true);

    m_frame->ExecuteCommand(cmd::kFileSave);
    EXPECT_EQ(m_files.ShownDialogs().size(), 1U);
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(QFileInfo(Path("games.trw")).size(), 2 * CMdosDisk::kRecordSize);
}

TEST_F(DocumentFlowsTest, SaveAsRenamesTheImageAndAddsItToTheRecentFiles) {
    m_files.ChooseNext(Path("copy.trw"));
    m_frame->ExecuteCommand(cmd::kFileSaveAs);
    EXPECT_EQ(QFileInfo(Path("copy.trw")).size(), CMdosDisk::kRecordSize);
    EXPECT_EQ(m_frame->windowTitle(), "copy.trw - Brindle");
    EXPECT_EQ(m_app->GetRecentFileList().GetPath(0), Path("copy.trw"));
}

TEST_F(DocumentFlowsTest, RecentFilesShowShortenedAndNumberedNewestFirst) {
    EXPECT_EQ(RecentFileEntries(), QStringList{"Recent File (greyed)"});
    QDir(m_settings.Folder()).mkpath(QStringLiteral("a folder with a long name/inner"));
    const QString deep = Path("a folder with a long name/inner/deep.trw");
    WriteImageFile(deep, {"deep"});
    WriteImageFile(Path("x&y.trw"), {"xy"});
    for (const QString& path : {deep, Path("x&y.trw")}) {
        m_files.ChooseNext(path);
        m_frame->ExecuteCommand(cmd::kFileOpen);
    }
    const QStringList entries = RecentFileEntries();
    ASSERT_EQ(entries.size(), 2);
    // The file name is kept whole; the folders give way to "...".
    EXPECT_LE(entries[0].size() - 3, 30 + 1);
    EXPECT_TRUE(entries[0].startsWith("&1 "));
    EXPECT_TRUE(entries[0].endsWith("/x&&y.trw"));
    EXPECT_TRUE(entries[1].startsWith("&2 /..."));
    EXPECT_TRUE(entries[1].endsWith("/inner/deep.trw"));
    EXPECT_LE(entries[1].size() - 3, 30);
}

TEST_F(DocumentFlowsTest, RecentFileOpensAndAVanishedOneLeavesTheList) {
    WriteImageFile(Path("a.trw"), {"a"});
    WriteImageFile(Path("b.trw"), {"b"});
    for (const char* name : {"a.trw", "b.trw"}) {
        m_files.ChooseNext(Path(name));
        m_frame->ExecuteCommand(cmd::kFileOpen);
    }
    m_frame->ExecuteCommand(cmd::kFileMruFirst + 1);
    EXPECT_EQ(DiskNames(Doc()), QStringList{"a"});
    EXPECT_EQ(m_app->GetRecentFileList().GetPath(0), Path("a.trw"));

    QFile::remove(Path("b.trw"));
    m_messages.Clear();
    m_frame->ExecuteCommand(cmd::kFileMruFirst + 1);
    EXPECT_EQ(m_messages.Shown().size(), 1U);
    EXPECT_EQ(m_app->GetRecentFileList().Count(), 1);
    EXPECT_EQ(DiskNames(Doc()), QStringList{"a"});
}

TEST_F(DocumentFlowsTest, DroppedFilesOpenInOrderAndMergeInMergeMode) {
    WriteImageFile(Path("c.trw"), {"c", "d"});
    WriteImageFile(Path("e.trw"), {"e"});
    Doc().m_bMergeMode = true;
    const QStringList before = DiskNames(Doc());
    m_frame->OnDropFiles({Path("c.trw"), Path("e.trw")});
    EXPECT_EQ(DiskNames(Doc()), before + QStringList({"c", "d", "e"}));
    EXPECT_EQ(m_frame->windowTitle(), "e.trw - Brindle");
    EXPECT_FALSE(Doc().IsModified());

    Doc().m_bMergeMode = false;
    m_frame->OnDropFiles({Path("e.trw"), Path("c.trw")});
    EXPECT_EQ(DiskNames(Doc()), (QStringList{"c", "d"}));
}

// A file manager proposes a move when the user holds Shift; the dropped file must stay where
// it was, so the window takes every drop as a copy and refuses a source that can only move.
TEST_F(DocumentFlowsTest, DropsAreTakenAsCopiesNeverMoves) {
    WriteImageFile(Path("c.trw"), {"c"});
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Path("c.trw"))});
    const QPoint at(10, 10);

    QDragEnterEvent moveOnly(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_frame, &moveOnly);
    EXPECT_FALSE(moveOnly.isAccepted());

    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::ShiftModifier);
    enter.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(m_frame, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);

    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                        Qt::ShiftModifier);
    move.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(m_frame, &move);
    EXPECT_TRUE(move.isAccepted());
    EXPECT_EQ(move.dropAction(), Qt::CopyAction);

    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::ShiftModifier);
    drop.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(m_frame, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    QCoreApplication::processEvents();
    EXPECT_EQ(DiskNames(Doc()), QStringList{"c"});
}

TEST_F(DocumentFlowsTest, ExitAsksToSaveAndCancelKeepsTheWindow) {
    MakeModified();
    m_questions.AnswerNext(framework::YesNoCancel::Cancel);
    m_frame->ExecuteCommand(cmd::kAppExit);
    EXPECT_TRUE(m_frame->isVisible());

    m_questions.AnswerNext(framework::YesNoCancel::No);
    m_frame->ExecuteCommand(cmd::kAppExit);
    EXPECT_FALSE(m_frame->isVisible());
    EXPECT_EQ(m_questions.Questions().size(), 2);
}

}  // namespace

namespace {

TEST(AbbreviateNameTest, KeepsTheInnermostFoldersThatFitAndTheWholeName) {
    EXPECT_EQ(framework::AbbreviateName("/home/user/images/very/deep/disk.trw", 30),
              "/.../images/very/deep/disk.trw");
    EXPECT_EQ(framework::AbbreviateName("/home/user/images/very/deep/disk.trw", 20),
              "/.../deep/disk.trw");
    EXPECT_EQ(framework::AbbreviateName("/short/disk.trw", 30), "/short/disk.trw");
    EXPECT_EQ(framework::AbbreviateName("/a/b/a-very-long-image-name-indeed.trw", 30),
              "a-very-long-image-name-indeed.trw");
}

}  // namespace
