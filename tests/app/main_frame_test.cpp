// Start-up, the main window's parts and the status-bar progress.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>

#include "app/about_dlg.h"
#include "app/image_files.h"
#include "app/shell_fixture.h"
#include "framework/command_ids.h"
#include "framework/settings.h"
#include "list/brindle_view.h"
#include "support/recording_progress.h"
#include "tree/left_view.h"

namespace {

const QString kIdle(20, '-');

using MainFrameTest = ShellTest;

TEST_F(MainFrameTest, StartWithoutArgumentsShowsANewImage) {
    EXPECT_EQ(m_frame->windowTitle(), "Untitled - Brindle");
    EXPECT_TRUE(m_frame->isVisible());
    EXPECT_EQ(Doc().m_disks.size(), 1U);
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_EQ(m_frame->GetPaneText(CMainFrame::kMessagePane), "Ready");
    EXPECT_EQ(m_frame->GetPaneText(CMainFrame::kProgressPane), kIdle);
    EXPECT_EQ(m_frame->GetPaneText(CMainFrame::kCapsPane), "CAP");
    EXPECT_EQ(m_frame->GetPaneText(CMainFrame::kNumPane), "NUM");
    EXPECT_EQ(m_frame->GetPaneText(CMainFrame::kScrollPane), "SCRL");
    EXPECT_EQ(m_frame->GetActivePane(), static_cast<QWidget*>(m_frame->GetTreeView()));
}

TEST_F(MainFrameTest, ProgressPanesFollowTheRun) {
    framework::BeginProgress(QStringLiteral("Opening image ..."));
    EXPECT_EQ(m_frame->GetPaneText(CMainFrame::kMessagePane), "Opening image ...");
    EXPECT_EQ(m_frame->GetPaneText(CMainFrame::kProgressPane), kIdle);

    framework::SetProgress(1);
    EXPECT_EQ(m_frame->GetPaneText(CMainFrame::kProgressPane), "=------------------");
    framework::SetProgress(5);
    EXPECT_EQ(m_frame->GetPaneText(CMainFrame::kProgressPane), "--------=----------");
    framework::SetProgress(10);
    EXPECT_EQ(m_frame->GetPaneText(CMainFrame::kProgressPane), "------------------=");
    framework::SetProgress(11);
    EXPECT_EQ(m_frame->GetPaneText(CMainFrame::kProgressPane), "------------------=");
    framework::SetProgress(0);
    EXPECT_EQ(m_frame->GetPaneText(CMainFrame::kProgressPane), kIdle);

    framework::EndProgress();
    EXPECT_EQ(m_frame->GetPaneText(CMainFrame::kMessagePane), "Ready");
    EXPECT_EQ(m_frame->GetPaneText(CMainFrame::kProgressPane), kIdle);
}

TEST_F(MainFrameTest, ClosedFrameStopsReceivingProgress) {
    m_app.reset();
    EXPECT_EQ(framework::SetProgressSink(nullptr), nullptr);
}

TEST_F(MainFrameTest, SplitterHoldsTreeAt175PixelsAndTheList) {
    m_frame->resize(800, 600);
    QApplication::processEvents();
    QSplitter* splitter = m_frame->GetSplitter();
    ASSERT_EQ(splitter->count(), 2);
    EXPECT_EQ(splitter->widget(0), static_cast<QWidget*>(m_frame->GetTreeView()));
    EXPECT_EQ(splitter->widget(1), static_cast<QWidget*>(m_frame->GetListView()));
    EXPECT_EQ(splitter->sizes().constFirst(), CMainFrame::kTreeWidth);

    m_frame->resize(1000, 600);
    QApplication::processEvents();
    EXPECT_EQ(splitter->sizes().constFirst(), CMainFrame::kTreeWidth);
}

// A first run opens wide enough for every column of the file list and no larger than the
// screen holds; what the user makes of the window comes back in the next run, from a state
// file of its own that leaves the settings store as it was.
TEST_F(MainFrameTest, TheWindowFitsItsColumnsAndComesBackAsItWasLeft) {
    const QSize first = m_frame->size();
    const QSize room = m_frame->screen()->availableGeometry().size();
    EXPECT_GE(first.width(), std::min(CMainFrame::kTreeWidth + CBrindleView::FilesColumnsWidth(),
                                      room.width() * 9 / 10));
    EXPECT_LE(first.width(), room.width());
    EXPECT_LE(first.height(), room.height());

    m_frame->resize(first.width() - 37, first.height() - 23);
    m_frame->GetSplitter()->setSizes({240, first.width() - 37 - 240});
    m_frame->GetListView()->SetListStyle(CBrindleView::ListStyle::SmallIcon);
    QApplication::processEvents();
    const QSize left = m_frame->size();
    ASSERT_TRUE(m_frame->close());
    EXPECT_TRUE(QFile::exists(framework::StateFolder() + "/window.ini"));
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                             framework::kSettingsOrganization, framework::kSettingsApplication);
    for (const QString& key : settings.allKeys()) {
        EXPECT_TRUE(key.startsWith("Recent File List/")) << key.toStdString();
    }

    m_app = std::make_unique<CBrindleApp>();
    ASSERT_TRUE(m_app->InitInstance({QStringLiteral("brindle")}));
    CMainFrame* again = m_app->GetMainWnd();
    QApplication::processEvents();
    EXPECT_EQ(again->size(), left);
    EXPECT_EQ(again->GetSplitter()->sizes().constFirst(), 240);
    EXPECT_EQ(again->GetListView()->GetListStyle(), CBrindleView::ListStyle::SmallIcon);
}

TEST_F(MainFrameTest, CaptionFollowsTheDocumentsTitle) {
    Doc().SetPathName(QStringLiteral("/tmp/games.trw"));
    EXPECT_EQ(m_frame->windowTitle(), "games.trw - Brindle");
}

TEST_F(MainFrameTest, AboutBoxShowsTheVersionLine) {
    QStringList labels;
    testsupport::ScriptedModal modal([&](framework::CDialog& dialog) {
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            labels << (label->pixmap().isNull() ? label->text() : QStringLiteral("<icon>"));
        }
        dialog.OnOK();
        return dialog.GetResult();
    });
    EXPECT_TRUE(m_frame->ExecuteCommand(cmd::kAppAbout));
    EXPECT_EQ(modal.Titles(), QStringList{"About Brindle"});
    EXPECT_TRUE(labels.contains("Brindle Version 0.6 Beta"));
    EXPECT_TRUE(labels.contains("<icon>"));
}

class StartUpTest : public ::testing::Test {
protected:
    testsupport::TempSettings m_dir;
    testsupport::ScriptedMessages m_messages;
};

TEST_F(StartUpTest, FileArgumentOpensThatImageWithoutBootDiskOrProgress) {
    const QString path = m_dir.FilePath(QStringLiteral("games.trw"));
    WriteImageFile(path, {"one", "two"});
    // Whatever the sink is while the image opens is not the main window: it doesn't exist yet.
    testsupport::RecordingProgress before;
    CBrindleApp app;
    ASSERT_TRUE(app.InitInstance({QStringLiteral("brindle"), path}));

    EXPECT_EQ(DiskNames(app.GetDocument()), (QStringList{"one", "two"}));
    EXPECT_TRUE(m_messages.Shown().empty());
    EXPECT_EQ(app.GetMainWnd()->windowTitle(), "games.trw - Brindle");
    EXPECT_EQ(app.GetMainWnd()->GetPaneText(CMainFrame::kProgressPane), kIdle);
    EXPECT_EQ(app.GetMainWnd()->GetPaneText(CMainFrame::kMessagePane), "Ready");
    EXPECT_EQ(app.GetRecentFileList().GetPath(0), path);
    EXPECT_FALSE(before.events.empty());
}

TEST_F(StartUpTest, FileThatCantBeOpenedEndsWithoutAWindow) {
    const QString path = m_dir.FilePath(QStringLiteral("missing/none.trw"));
    CBrindleApp app;
    EXPECT_FALSE(app.InitInstance({QStringLiteral("brindle"), path}));
    EXPECT_EQ(app.GetMainWnd(), nullptr);
    EXPECT_NE(app.GetExitCode(), 0);
    ASSERT_EQ(m_messages.Shown().size(), 1U);
    EXPECT_EQ(m_messages.Shown()[0].kind, platform::MessageKind::Stop);
    EXPECT_NE(m_messages.Shown()[0].text.find("none.trw"), std::string::npos);
}

TEST_F(StartUpTest, UnknownOptionEndsWithAMessage) {
    CBrindleApp app;
    EXPECT_FALSE(app.InitInstance({QStringLiteral("brindle"), QStringLiteral("--bogus")}));
    EXPECT_EQ(app.GetMainWnd(), nullptr);
    EXPECT_NE(app.GetExitCode(), 0);
    EXPECT_EQ(m_messages.Shown().size(), 1U);
}

TEST_F(StartUpTest, StandardSettingsAreReadAtStartAndTheListStoredAtClose) {
    const QString first = m_dir.FilePath(QStringLiteral("a.trw"));
    const QString second = m_dir.FilePath(QStringLiteral("b.trw"));
    framework::WriteProfileString(QStringLiteral("Recent File List"), QStringLiteral("File1"),
                                  first);
    framework::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("PreviewPages"), 2);
    WriteImageFile(second, {"b"});
    {
        CBrindleApp app;
        ASSERT_TRUE(app.InitInstance({QStringLiteral("brindle"), second}));
        EXPECT_EQ(app.GetPreviewPages(), 2);
        EXPECT_EQ(app.GetRecentFileList().Count(), 2);
        EXPECT_TRUE(app.GetMainWnd()->close());
    }
    const QString section = QStringLiteral("Recent File List");
    EXPECT_EQ(framework::GetProfileString(section, QStringLiteral("File1")), second);
    EXPECT_EQ(framework::GetProfileString(section, QStringLiteral("File2")), first);
    EXPECT_EQ(framework::GetProfileString(section, QStringLiteral("File3")), QString());
}

}  // namespace
