// The double-size pictures that a screen with a scale factor of 2 shows: the same picture as
// the normal one, larger, and the one the views' icons hand out there.
#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>

#include "icons/icons.h"

namespace {

// Whether doubled is normal at twice the size: all but a few 2-by-2 blocks (those along a
// slanted edge, which the double draws finer) have the colour of the pixel they stand for.
bool IsDoubleOf(const QImage& normal, const QImage& doubled) {
    if (doubled.size() != normal.size() * 2) {
        return false;
    }
    int differing = 0;
    for (int y = 0; y < doubled.height(); ++y) {
        for (int x = 0; x < doubled.width(); ++x) {
            differing += doubled.pixel(x, y) != normal.pixel(x / 2, y / 2) ? 1 : 0;
        }
    }
    return differing * 20 <= doubled.width() * doubled.height();
}

// The cog is drawn smooth at any size; every other picture sits on whole pixels.
TEST(IconsTest, DoubleSizePicturesAreThePicturesDoubled) {
    for (int i = 0; i < icons::kTreeIconCount; ++i) {
        const QPixmap doubled = icons::PaintTreeIcon(i, 2);
        EXPECT_EQ(doubled.devicePixelRatio(), 2.0) << "tree icon " << i;
        if (i != icons::kTreeCog) {
            EXPECT_TRUE(IsDoubleOf(icons::PaintTreeIcon(i).toImage(), doubled.toImage()))
                << "tree icon " << i;
        }
    }
    for (const bool large : {false, true}) {
        for (int i = 0; i < icons::kListIconCount; ++i) {
            if (i != icons::kListCog) {
                EXPECT_TRUE(IsDoubleOf(icons::PaintListIcon(i, large).toImage(),
                                       icons::PaintListIcon(i, large, 2).toImage()))
                    << "list icon " << i << (large ? " large" : " small");
            }
        }
    }
}

TEST(IconsTest, IconsHandOutTheDoubleSizePictureAtScaleTwo) {
    const QSize small(icons::kSmallIconSize, icons::kSmallIconSize);
    const QSize large(icons::kLargeIconSize, icons::kLargeIconSize);
    EXPECT_EQ(icons::TreeIcon(icons::kTreeDisk).pixmap(small, 2.0).toImage(),
              icons::PaintTreeIcon(icons::kTreeDisk, 2).toImage());
    EXPECT_EQ(icons::TreeIcon(icons::kTreeDisk).pixmap(small, 1.0).toImage(),
              icons::PaintTreeIcon(icons::kTreeDisk).toImage());
    EXPECT_EQ(icons::ListIcon(icons::kListBasic, true).pixmap(large, 2.0).toImage(),
              icons::PaintListIcon(icons::kListBasic, true, 2).toImage());
    EXPECT_EQ(icons::ListIcon(icons::kListBasic, false).pixmap(small, 2.0).toImage(),
              icons::PaintListIcon(icons::kListBasic, false, 2).toImage());
}

}  // namespace
