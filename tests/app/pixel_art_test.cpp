// Doubling the toolbar pictures and the application icon: straight edges stay where they were,
// the steps of a diagonal are filled in, and the icon reaches every size the desktop asks for.
#include <gtest/gtest.h>

#include <QImage>
#include <cstring>
#include <initializer_list>

#include "app/pixel_art.h"
#include "app/resources.h"
#include "framework/command_ids.h"

namespace {

const QRgb kInk = qRgb(0, 0, 0);
const QRgb kPaper = qRgb(255, 255, 255);

// A picture from rows of '#' (ink) and '.' (paper).
QImage Picture(std::initializer_list<const char*> rows) {
    const int width = static_cast<int>(std::strlen(*rows.begin()));
    QImage image(width, static_cast<int>(rows.size()), QImage::Format_ARGB32);
    int y = 0;
    for (const char* row : rows) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, row[x] == '#' ? kInk : kPaper);
        }
        ++y;
    }
    return image;
}

TEST(PixelArtTest, StraightEdgesArePlainlyDoubled) {
    for (const QImage& picture :
         {Picture({"####", "####", "....", "...."}), Picture({"##..", "##..", "##..", "##.."})}) {
        const QImage doubled = Scale2x(picture);
        ASSERT_EQ(doubled.size(), QSize(8, 8));
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                EXPECT_EQ(doubled.pixel(x, y), picture.pixel(x / 2, y / 2)) << x << "," << y;
            }
        }
    }
}

TEST(PixelArtTest, DiagonalStepsAreFilledIn) {
    const QImage doubled = Scale2x(Picture({"#..", ".#.", "..#"}));
    EXPECT_EQ(doubled.pixel(2, 1), kInk);
    EXPECT_EQ(doubled.pixel(1, 2), kInk);
    EXPECT_EQ(doubled.pixel(4, 3), kInk);
    EXPECT_EQ(doubled.pixel(3, 4), kInk);
    EXPECT_EQ(doubled.pixel(3, 0), kPaper);
    EXPECT_EQ(doubled.pixel(0, 5), kPaper);
}

TEST(PixelArtTest, ArtworkReachesEverySizeOfTheIconTheme) {
    const QImage icon = Picture({"#..#", ".##.", ".##.", "#..#"});
    for (const int size : {2, 4, 6, 8, 16, 24, 64}) {
        EXPECT_EQ(ScaleArtwork(icon, size).size(), QSize(size, size)) << size;
    }
    EXPECT_EQ(ScaleArtwork(icon, 16), Scale2x(Scale2x(icon)));
}

// The toolbar asks for its pictures at the screen's scale: at 1 it must get the picture as
// drawn, at 2 the doubled one, never one of them stretched or shrunk.
TEST(PixelArtTest, ToolbarPicturesComeAsDrawnAndDoubled) {
    for (const int id : {cmd::kFileNew, cmd::kFileOpen, cmd::kFileSave, cmd::kEditCut,
                         cmd::kEditCopy, cmd::kEditPaste, cmd::kFilePrint, cmd::kViewLargeIcon,
                         cmd::kViewSmallIcon, cmd::kViewList, cmd::kViewDetails, cmd::kAppAbout}) {
        const QIcon icon = CommandIcon(id);
        const QImage normal =
            icon.pixmap(QSize(24, 24), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage doubled =
            icon.pixmap(QSize(24, 24), 2.0).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(normal.size(), QSize(16, 15)) << id;
        EXPECT_EQ(doubled.size(), QSize(32, 30)) << id;
        EXPECT_TRUE(doubled == Scale2x(normal)) << id;
    }
}

}  // namespace
