// The viewer window on its own: the view a file opens in, the choice of another, the picture
// with sharp pixels and its PNG, and the array table.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include "content/content_fixtures.h"
#include "content/hex_dump.h"
#include "content/screen_picture.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_messages.h"
#include "viewer/array_model.h"
#include "viewer/file_viewer.h"
#include "viewer/screen_view.h"

namespace {

using contenttest::Bytes;
using testbytes::DirEntry;

content::FileContent File(unsigned char type, const Bytes& bytes, unsigned start = 0) {
    return content::MakeFile(DirEntry(type, "f", static_cast<int>(bytes.size()), start), bytes);
}

// Bright yellow ink on red paper in the top left cell, the first pixel of its first row set.
content::FileContent ScreenFile() {
    Bytes screen(content::kScreenBytes, 0);
    screen[0] = 0x80;
    screen[content::kScreenPixelBytes] = 0x40 | 2 << 3 | 6;
    return File('B', screen, 16384);
}

TEST(FileViewerTest, OpensProgramsAsListingsAndShowsAnyViewChosen) {
    const content::FileContent program = contenttest::ProgramFromTape("program.tap");
    CFileViewer viewer(program, QStringLiteral("program"));
    EXPECT_EQ(viewer.windowTitle(), QStringLiteral("program - Brindle"));
    EXPECT_EQ(viewer.CurrentView(), content::View::Basic);
    EXPECT_EQ(viewer.TextView()->toPlainText().toStdString(),
              content::ListingText(content::DecodeBasicFile(program)));
    EXPECT_TRUE(viewer.TextView()->isReadOnly());
    // A listing lines up in columns only in a face whose glyphs are all one width.
    const QFontMetrics metrics(viewer.TextView()->font());
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('i')),
              metrics.horizontalAdvance(QLatin1Char('W')));

    // The user picks hex in the box, as with the mouse or the keyboard.
    QComboBox* choice = viewer.ViewChoice();
    const int hex = choice->findData(static_cast<int>(content::View::Hex));
    choice->setCurrentIndex(hex);
    emit choice->activated(hex);
    EXPECT_EQ(viewer.CurrentView(), content::View::Hex);
    EXPECT_EQ(viewer.TextView()->toPlainText().toStdString(), content::HexDump(program.bytes));

    // A program read as an array has no dimensions: the view says so and shows no table.
    viewer.ShowView(content::View::Array);
    EXPECT_TRUE(viewer.ArrayNote()->text().contains(QStringLiteral("no array")));
    EXPECT_EQ(viewer.ArrayView()->model(), nullptr);
}

TEST(FileViewerTest, ScreensShowWithSharpPixelsInWholeMultiples) {
    CFileViewer viewer(ScreenFile(), QStringLiteral("loading"));
    ASSERT_EQ(viewer.CurrentView(), content::View::Screen);
    const QImage& picture = viewer.ScreenView()->Picture();
    ASSERT_EQ(picture.size(), QSize(256, 192));
    EXPECT_EQ(picture.pixel(0, 0), qRgb(0xFF, 0xFF, 0));
    EXPECT_EQ(picture.pixel(1, 0), qRgb(0xFF, 0, 0));
    EXPECT_EQ(picture.pixel(8, 0), qRgb(0, 0, 0));

    // Drawn at the largest whole multiple that fits, every pixel a square with no blend.
    CScreenView view;
    view.SetPicture(picture);
    view.resize(600, 500);
    EXPECT_EQ(view.Scale(), 2);
    view.resize(1000, 300);
    EXPECT_EQ(view.Scale(), 1);
    view.resize(512, 384);
    const QImage shown = view.grab().toImage();
    EXPECT_EQ(shown.pixel(0, 0), qRgb(0xFF, 0xFF, 0));
    EXPECT_EQ(shown.pixel(1, 1), qRgb(0xFF, 0xFF, 0));
    EXPECT_EQ(shown.pixel(2, 0), qRgb(0xFF, 0, 0));
    EXPECT_EQ(shown.pixel(511, 383), qRgb(0, 0, 0));
}

TEST(FileViewerTest, SavesThePictureAsPngThroughTheFileDialog) {
    testsupport::ScriptedMessages messages;
    testsupport::ScriptedFileDialogs files;
    QTemporaryDir dir;
    CFileViewer viewer(ScreenFile(), QStringLiteral("loading"));
    const QString path = dir.filePath(QStringLiteral("shot.png"));
    files.ChooseNext(path);
    viewer.SaveButton()->click();
    ASSERT_EQ(files.ShownDialogs().size(), 1U);
    EXPECT_FALSE(files.ShownDialogs()[0].open);
    EXPECT_EQ(files.ShownDialogs()[0].fileName, QStringLiteral("loading.png"));
    EXPECT_EQ(files.ShownDialogs()[0].owner, &viewer);
    const QImage saved(path);
    ASSERT_EQ(saved.size(), QSize(256, 192));
    EXPECT_EQ(saved.pixel(0, 0), qRgb(0xFF, 0xFF, 0));
    EXPECT_EQ(saved.pixel(255, 191), qRgb(0, 0, 0));

    // Cancel writes nothing; a folder that isn't there is a message, not a crash.
    files.CancelNext();
    viewer.SavePicture();
    files.ChooseNext(dir.filePath(QStringLiteral("missing/shot.png")));
    viewer.SavePicture();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("missing/shot.png"))));
    ASSERT_EQ(messages.Texts().size(), 1U);
    EXPECT_EQ(messages.Texts()[0].rfind("Cannot write file ", 0), 0U);
}

TEST(FileViewerTest, ArraysShowAsTables) {
    // DIM a(2,3) of 1 to 6, then a character array c$(4).
    Bytes numbers{2, 2, 0, 3, 0};
    for (unsigned char i = 1; i <= 6; ++i) {
        testbytes::Append(numbers, Bytes{0, 0, i, 0, 0});
    }
    CFileViewer viewer(File('N', numbers, 0x8100), QStringLiteral("nums"));
    ASSERT_EQ(viewer.CurrentView(), content::View::Array);
    EXPECT_EQ(viewer.ArrayNote()->text(), QStringLiteral("DIM a(2,3)"));
    QAbstractItemModel* model = viewer.ArrayView()->model();
    ASSERT_NE(model, nullptr);
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(model->rowCount(), 2);
    ASSERT_EQ(model->columnCount(), 3);
    EXPECT_EQ(model->index(1, 2).data().toString(), QStringLiteral("6"));
    EXPECT_EQ(model->index(1, 2).data(Qt::ToolTipRole).toString(), QStringLiteral("a(2,3)"));
    EXPECT_EQ(model->headerData(1, Qt::Vertical).toString(), QStringLiteral("(2)"));
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("3"));

    // One dimension is one column, one row an element; a short file shows what it holds.
    CArrayModel column(*content::DecodeArray(Bytes{1, 4, 0, 'a', 'b', 'c'}, true, "c$"));
    QAbstractItemModelTester columnTester(&column,
                                          QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(column.columnCount(), 1);
    EXPECT_EQ(column.rowCount(), 3);
    EXPECT_EQ(column.index(2, 0).data().toString(), QStringLiteral("c"));
    EXPECT_EQ(column.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Value"));
}

}  // namespace
