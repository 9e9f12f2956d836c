// The pictures of the tree and the list, painted at run time so that the build needs no image
// files and no SVG module. They are a target of their own, so that each pane links its
// pictures without linking the other pane.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace icons {

// The tree's icons, 16 x 16, by the index its items use.
enum TreeIcon : int {
    kTreeBootDisk = 0,  // floppy whose label bears a large "B": disk 0, the boot sector
    kTreeDisk = 1,      // floppy with a striped rainbow label: every other disk
    kTreeCog = 2,       // grey cogwheel: record header, volume, plain sectors
    kTreeFat = 3,       // grid of cells: allocation-table sectors
    kTreeDir = 4,       // column of table rows: directory sectors
    kTreeIconCount = 5,
};

// The list's icons by the index its rows use; each exists as a 16 x 16 and a 32 x 32 picture.
enum ListIcon : int {
    kListUnknownFile = 0,  // pages, one per file type letter
    kListBasic = 1,
    kListCode = 2,
    kListSnap = 3,
    kListCharArray = 4,
    kListNumberArray = 5,
    kListSequential = 6,
    kListHeadless = 7,
    kListCog = 8,   // computed properties, data-sector dump rows
    kListDisk = 9,  // stored fields, boot-sector dump rows
    kListFat = 10,  // allocation-table dump rows
    kListDir = 11,  // directory dump rows
    kListIconCount = 12,
};

inline constexpr int kSmallIconSize = 16;
inline constexpr int kLargeIconSize = 32;

// One picture at a scale of 1 or 2: the pixmap has scale times the pixels and that device
// pixel ratio.
[[nodiscard]] QPixmap PaintTreeIcon(int index, int scale = 1);
[[nodiscard]] QPixmap PaintListIcon(int index, bool large, int scale = 1);

// The icon the views show: the normal picture and the double-size one, which Qt picks on a
// screen with a scale factor of 2.
[[nodiscard]] QIcon TreeIcon(int index);
[[nodiscard]] QIcon ListIcon(int index, bool large);

}  // namespace icons
