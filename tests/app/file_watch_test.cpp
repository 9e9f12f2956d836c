// Another program changes the open image's file: an image without changes of its own is offered
// a reload, once for each state of the file; a modified image, a dialog still open and the
// window's own saves hold the question back.
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "app/image_files.h"
#include "app/shell_fixture.h"
#include "framework/command_ids.h"
#include "tree/left_view.h"

namespace {

using platform::Answer;

class FileWatchTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        WriteImageFile(Path("games.trw"), {"one"});
        m_files.ChooseNext(Path("games.trw"));
        m_frame->ExecuteCommand(cmd::kFileOpen);
        ASSERT_EQ(DiskNames(Doc()), QStringList{"one"});
        m_messages.Clear();  // the new image's note on its boot disk
    }

    [[nodiscard]] QString Path(const char* name) const { return m_settings.FilePath(name); }

    // As another program saves: a new file renamed over the old one.
    static void ReplaceOutside(const QString& path, const QStringList& diskNames) {
        WriteImageFile(path + ".new", diskNames);
        ASSERT_EQ(std::rename(qPrintable(path + ".new"), qPrintable(path)), 0);
    }

    static std::vector<std::string> Asked(const char* title) {
        return {QStringLiteral("%1 was changed by another program. Reload it?")
                    .arg(title)
                    .toStdString()};
    }
};

TEST_F(FileWatchTest, YesReadsTheFileAnewEvenInMergeMode) {
    Doc().m_bMergeMode = true;
    ReplaceOutside(Path("games.trw"), {"new", "disks"});
    m_messages.AnswerNext(Answer::Yes);
    m_app->CheckFileChanged();

    EXPECT_EQ(m_messages.Texts(), Asked("games.trw"));
    EXPECT_EQ(m_messages.Kinds(), std::vector{platform::MessageKind::Question});
    EXPECT_EQ(DiskNames(Doc()), (QStringList{"new", "disks"}));
    EXPECT_EQ(m_frame->GetTreeView()->DiskItemCount(), 2);
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_TRUE(Doc().m_bMergeMode);

    // What was read is the image's own file now.
    m_app->CheckFileChanged();
    EXPECT_EQ(m_messages.Shown().size(), 1U);
}

TEST_F(FileWatchTest, NoKeepsTheImageAndOnlyALaterChangeAsksAgain) {
    ReplaceOutside(Path("games.trw"), {"two"});
    m_app->CheckFileChanged();
    m_app->CheckFileChanged();
    EXPECT_EQ(m_messages.Texts(), Asked("games.trw"));
    EXPECT_EQ(DiskNames(Doc()), QStringList{"one"});

    ReplaceOutside(Path("games.trw"), {"three", "four"});
    m_app->CheckFileChanged();
    EXPECT_EQ(m_messages.Shown().size(), 2U);
    EXPECT_EQ(DiskNames(Doc()), QStringList{"one"});

    // The declined change is still another program's: a save asks before writing over it.
    m_messages.Clear();
    m_frame->ExecuteCommand(cmd::kFileSave);
    EXPECT_EQ(m_messages.Texts(), std::vector<std::string>{"games.trw was changed by another "
                                                           "program after it was opened. Save "
                                                           "over those changes?"});
    EXPECT_EQ(QFileInfo(Path("games.trw")).size(), 2 * CMdosDisk::kRecordSize);
}

// A name still being typed in place counts as well: the question would take the focus and so
// store it, and a reload would throw it away.
TEST_F(FileWatchTest, AnImageWithChangesOfItsOwnIsNeverOfferedAReload) {
    Activate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame));
    m_frame->GetTreeView()->setFocus();
    m_frame->ExecuteCommand(cmd::kEditLabel);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->setText("Typed");

    ReplaceOutside(Path("games.trw"), {"two"});
    m_messages.AnswerNext(Answer::Yes);
    m_app->CheckFileChanged();
    EXPECT_TRUE(m_messages.Shown().empty());
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(DiskNames(Doc()), QStringList{"Typed"});
}

TEST_F(FileWatchTest, AnOpenDialogPutsTheQuestionOffUntilItCloses) {
    QDialog dialog(m_frame);
    dialog.setModal(true);
    dialog.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
    ReplaceOutside(Path("games.trw"), {"two"});
    m_app->CheckFileChanged();
    QTest::qWait(300);
    EXPECT_TRUE(m_messages.Shown().empty());

    dialog.close();
    EXPECT_TRUE(QTest::qWaitFor([this] { return m_messages.Shown().size() == 1; }));
}

// These wait for the host to report the change, as the running program does.
TEST_F(FileWatchTest, TheWatchKeepsUpWithTheFileBeingReplacedRewrittenAndRemoved) {
    ReplaceOutside(Path("games.trw"), {"two"});
    EXPECT_TRUE(QTest::qWaitFor([this] { return m_messages.Shown().size() == 1; }));

    // The rename ended the watch on the old file; a write into the new one, which leaves the
    // folder as it was, is seen all the same.
    m_messages.AnswerNext(Answer::Yes);
    WriteImageFile(Path("games.trw"), {"three", "four"});
    EXPECT_TRUE(QTest::qWaitFor([this] { return Doc().m_disks.size() == 2; }));
    EXPECT_EQ(DiskNames(Doc()), (QStringList{"three", "four"}));

    // A file gone for a while asks nothing, and is seen when it is back.
    ASSERT_TRUE(QFile::remove(Path("games.trw")));
    QTest::qWait(500);
    EXPECT_EQ(m_messages.Shown().size(), 2U);
    m_messages.AnswerNext(Answer::Yes);
    WriteImageFile(Path("games.trw"), {"five"});
    EXPECT_TRUE(QTest::qWaitFor([this] { return Doc().m_disks.size() == 1; }));
    EXPECT_EQ(DiskNames(Doc()), QStringList{"five"});
}

TEST_F(FileWatchTest, TheWatchFollowsSaveAsToAnotherFolder) {
    const QTemporaryDir other;
    const QString copy = other.filePath("copy.trw");
    m_files.ChooseNext(copy);
    m_frame->ExecuteCommand(cmd::kFileSaveAs);
    ReplaceOutside(copy, {"two"});
    EXPECT_TRUE(QTest::qWaitFor([this] { return !m_messages.Shown().empty(); }));
    EXPECT_EQ(m_messages.Texts(), Asked("copy.trw"));
}

TEST_F(FileWatchTest, TheWindowsOwnSaveAsksNothing) {
    Doc().AddFormattedDisks(1, 80, 9, QStringLiteral("extra"));
    Doc().SetModifiedFlag(true);
    m_frame->ExecuteCommand(cmd::kFileSave);
    ASSERT_FALSE(Doc().IsModified());
    QTest::qWait(1000);
    EXPECT_TRUE(m_messages.Shown().empty());
}

}  // namespace
