// Enter or a double click on a file row opens the file's viewer, a window the main frame owns;
// nothing of the list or the image changes.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeView>
#include <cstring>

#include "app/shell_fixture.h"
#include "content/screen_picture.h"
#include "list/brindle_view.h"
#include "support/test_disks.h"
#include "tree/left_view.h"
#include "viewer/file_viewer.h"
#include "viewer/screen_view.h"

namespace {

using testing_disks::AddFile;

class FileViewerWiringTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        m_frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame));
        m_tree = m_frame->GetTreeView();
        m_list = m_frame->GetListView();
        // A picture (white ink on blue paper, its first pixel set) and a program.
        std::vector<unsigned char> screen(content::kScreenBytes, 0);
        screen[0] = 0x80;
        std::fill(screen.begin() + content::kScreenPixelBytes, screen.end(), 1 << 3 | 7);
        AddFile(Disk(), 'B', "loading", screen, 16384);
        AddFile(Disk(), 'P', "prog", {0, 10, 2, 0, 0xFE, 0x0D}, 10, 6);
        // The tree selected the disk before the files came: the list shows them anew.
        m_list->ShowFiles(&Disk(), 0);
        ASSERT_EQ(m_list->GetRowCount(), 2);
    }

    [[nodiscard]] CMdosDisk& Disk() const { return *Doc().m_disks[0]; }
    [[nodiscard]] QList<CFileViewer*> Viewers() const {
        return m_frame->findChildren<CFileViewer*>();
    }
    [[nodiscard]] QStringList ListText() const {
        QStringList text;
        for (int row = 0; row < m_list->GetRowCount(); ++row) {
            text << m_list->GetListModel()->RowAt(row).cells;
        }
        return text;
    }

    CLeftView* m_tree = nullptr;
    CBrindleView* m_list = nullptr;
};

TEST_F(FileViewerWiringTest, EnterOnAScreenRowOpensAWindowShowingThePicture) {
    const QStringList before = ListText();
    const std::vector<unsigned char> record(Disk().Record(),
                                            Disk().Record() + CMdosDisk::kRecordSize);
    m_list->SelectRows({0});
    QTest::keyClick(m_list->GetDetailsView(), Qt::Key_Return);

    const QList<CFileViewer*> viewers = Viewers();
    ASSERT_EQ(viewers.size(), 1);
    CFileViewer* viewer = viewers.front();
    EXPECT_TRUE(viewer->isWindow());
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("loading - Brindle"));
    EXPECT_EQ(viewer->CurrentView(), content::View::Screen);
    EXPECT_EQ(viewer->ScreenView()->Picture().pixel(0, 0), qRgb(0xD7, 0xD7, 0xD7));
    EXPECT_EQ(viewer->ScreenView()->Picture().pixel(1, 0), qRgb(0, 0, 0xD7));

    // The list keeps its rows, texts and selection; the image is neither changed nor marked.
    EXPECT_EQ(ListText(), before);
    EXPECT_EQ(m_list->GetSelectedRows(), std::vector<int>{0});
    EXPECT_EQ(std::memcmp(record.data(), Disk().Record(), record.size()), 0);
    EXPECT_FALSE(Doc().IsModified());

    // The window goes when it is closed, and with the main frame otherwise.
    viewer->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Viewers().isEmpty());
    // The keypad's Enter opens it as well.
    QTest::keyClick(m_list->GetDetailsView(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(Viewers().size(), 1);
}

TEST_F(FileViewerWiringTest, DoubleClickOpensTheRowClickedAndOtherRowsOpenNothing) {
    QTreeView* details = m_list->GetDetailsView();
    const QPoint row1 = details->visualRect(m_list->GetListModel()->index(1, 1)).center();
    ASSERT_TRUE(details->viewport()->rect().contains(row1));
    // The press that selects the row, then the second press of the double click.
    QTest::mouseClick(details->viewport(), Qt::LeftButton, Qt::NoModifier, row1);
    QTest::mouseDClick(details->viewport(), Qt::LeftButton, Qt::NoModifier, row1);
    ASSERT_EQ(Viewers().size(), 1);
    // A click on a selected row starts a rename after the double-click time; the double click
    // must have stopped it.
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    const QLineEdit* editor = details->findChild<QLineEdit*>();
    EXPECT_TRUE(editor == nullptr || !editor->isVisible());
    EXPECT_EQ(Viewers().front()->CurrentView(), content::View::Basic);
    EXPECT_TRUE(
        Viewers().front()->TextView()->toPlainText().startsWith(QStringLiteral("   10 RETURN")));

    // A sector dump's rows are no files: Enter there opens nothing and the dump stays.
    const QModelIndex volume = m_tree->model()->index(1, 0, m_tree->DiskItem(0));
    m_tree->SelectItem(m_tree->model()->index(14, 0, volume));
    ASSERT_EQ(m_list->GetRowCount(), 64);
    m_list->SelectRows({3});
    QTest::keyClick(details, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(Viewers().size(), 1);
    EXPECT_EQ(m_list->GetRowCount(), 64);
}

}  // namespace
