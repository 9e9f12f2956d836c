#include "icons/icons.h"

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>
#include <array>
#include <cstring>

namespace icons {
namespace {

// Glyphs of a 3-by-5 pixel alphabet: at 16 pixels a font would only blur, and the marks and
// titles of the pages need nothing more than these characters.
struct Glyph {
    char ch;
    std::array<const char*, 7> rows;
};

// clang-format off
constexpr Glyph kGlyphs[] = {
    {'?', {"###", "..#", ".#.", "...", ".#."}},
    {'.', {".", ".", ".", ".", "#"}},
    {'$', {".#.", "###", "#..", "###", "..#", "###", ".#."}},
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}},
    {'B', {"##.", "#.#", "##.", "#.#", "##."}},
    {'C', {".##", "#..", "#..", "#..", ".##"}},
    {'D', {"##.", "#.#", "#.#", "#.#", "##."}},
    {'E', {"###", "#..", "##.", "#..", "###"}},
    {'H', {"#.#", "#.#", "###", "#.#", "#.#"}},
    {'I', {"###", ".#.", ".#.", ".#.", "###"}},
    {'L', {"#..", "#..", "#..", "#..", "###"}},
    {'M', {"#...#", "##.##", "#.#.#", "#...#", "#...#"}},
    {'N', {"#..#", "##.#", "#.##", "#..#", "#..#"}},
    {'O', {".#.", "#.#", "#.#", "#.#", ".#."}},
    {'P', {"##.", "#.#", "##.", "#..", "#.."}},
    {'Q', {".##.", "#..#", "#..#", "#.##", ".###"}},
    {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
    {'S', {".##", "#..", ".#.", "..#", "##."}},
    {'U', {"#.#", "#.#", "#.#", "#.#", "###"}},
};
// clang-format on

constexpr int kCapHeight = 5;

const Glyph* FindGlyph(char ch) {
    for (const Glyph& glyph : kGlyphs) {
        if (glyph.ch == ch) {
            return &glyph;
        }
    }
    return nullptr;
}

int GlyphWidth(const Glyph& glyph) {
    return static_cast<int>(std::strlen(glyph.rows[0]));
}

int GlyphHeight(const Glyph& glyph) {
    int height = 0;
    while (height < static_cast<int>(glyph.rows.size()) && glyph.rows[height] != nullptr) {
        ++height;
    }
    return height;
}

int TextWidth(const char* text) {
    int width = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (const Glyph* glyph = FindGlyph(*p)) {
            width += GlyphWidth(*glyph) + (p == text ? 0 : 1);
        }
    }
    return width;
}

// Draws text with its cap line at y; glyphs taller than the caps (the dollar) reach one row
// above and below it.
void DrawPixelText(QPainter& painter, int x, int y, const char* text, const QColor& color) {
    for (const char* p = text; *p != '\0'; ++p) {
        const Glyph* glyph = FindGlyph(*p);
        if (glyph == nullptr) {
            continue;
        }
        const int height = GlyphHeight(*glyph);
        const int top = y - (height - kCapHeight) / 2;
        for (int row = 0; row < height; ++row) {
            for (int col = 0; glyph->rows[row][col] != '\0'; ++col) {
                if (glyph->rows[row][col] == '#') {
                    painter.fillRect(x + col, top + row, 1, 1, color);
                }
            }
        }
        x += GlyphWidth(*glyph) + 1;
    }
}

// A transparent square of size logical pixels at the given scale; a painter on it draws in
// logical pixels, so the double-size picture puts every edge of the normal one on whole pixels
// and each of its pixels becomes a crisp 2-by-2 block rather than a blur.
QImage Canvas(int size, int scale) {
    QImage image(size * scale, size * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(scale);
    return image;
}

// The shared pictures are drawn on a 16-unit grid and scaled, so that the large variant is
// the same picture, larger, with every edge still on whole pixels.
void ScaleToUnits(QPainter& painter, int size) {
    painter.scale(size / 16.0, size / 16.0);
}

const QColor kOutline(0x3a, 0x44, 0x52);

void PaintFloppyBody(QPainter& painter) {
    QPolygonF body;
    body << QPointF(1, 1) << QPointF(13, 1) << QPointF(15, 3) << QPointF(15, 15) << QPointF(1, 15);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kOutline);
    painter.drawPolygon(body);
    QPolygonF face;
    face << QPointF(2, 2) << QPointF(12.6, 2) << QPointF(14, 3.4) << QPointF(14, 14)
         << QPointF(2, 14);
    painter.setBrush(QColor(0x3b, 0x63, 0xa8));
    painter.drawPolygon(face);
    painter.fillRect(QRectF(5, 2, 6, 4), QColor(0xcf, 0xd5, 0xdd));
    painter.fillRect(QRectF(5, 5, 6, 1), QColor(0x9a, 0xa3, 0xaf));
    painter.fillRect(QRectF(8, 2, 2, 3), QColor(0x3a, 0x44, 0x52));
}

void PaintBootFloppy(QPainter& painter) {
    PaintFloppyBody(painter);
    painter.fillRect(QRectF(3, 7, 10, 7), QColor(0xfb, 0xfa, 0xf4));
    // A bold letter of its own: the boot disk's mark must read at a glance, bolder than text.
    constexpr std::array<const char*, 5> kBigB = {"#####.", "##..##", "#####.", "##..##", "#####."};
    for (int row = 0; row < static_cast<int>(kBigB.size()); ++row) {
        for (int col = 0; kBigB[row][col] != '\0'; ++col) {
            if (kBigB[row][col] == '#') {
                painter.fillRect(QRectF(5 + col, 8 + row, 1, 1), QColor(0xc6, 0x28, 0x28));
            }
        }
    }
}

void PaintRainbowFloppy(QPainter& painter) {
    PaintFloppyBody(painter);
    painter.fillRect(QRectF(3, 7, 10, 7), QColor(0xfb, 0xfa, 0xf4));
    const std::array<QColor, 5> stripes = {QColor(0xe5, 0x39, 0x35), QColor(0xfb, 0x8c, 0x00),
                                           QColor(0xfd, 0xd8, 0x35), QColor(0x43, 0xa0, 0x47),
                                           QColor(0x1e, 0x88, 0xe5)};
    for (int i = 0; i < static_cast<int>(stripes.size()); ++i) {
        painter.fillRect(QRectF(3, 8 + i, 10, 1), stripes[i]);
    }
}

void PaintCog(QPainter& painter) {
    constexpr int kTeeth = 8;
    constexpr double kOuter = 7.6;
    constexpr double kRoot = 5.6;
    const QPointF centre(8, 8);
    QPolygonF outline;
    for (int i = 0; i < kTeeth; ++i) {
        const double a = i * 360.0 / kTeeth;
        for (const auto& [radius, angle] :
             {std::pair{kRoot, a - 19.0}, std::pair{kOuter, a - 10.0}, std::pair{kOuter, a + 10.0},
              std::pair{kRoot, a + 19.0}}) {
            outline << centre + QPointF(radius * qCos(qDegreesToRadians(angle)),
                                        radius * qSin(qDegreesToRadians(angle)));
        }
    }
    QPainterPath path;
    path.addPolygon(outline);
    path.closeSubpath();
    path.addEllipse(centre, 2.2, 2.2);
    path.setFillRule(Qt::OddEvenFill);

    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient metal(0, 0, 16, 16);
    metal.setColorAt(0, QColor(0xd8, 0xdc, 0xe0));
    metal.setColorAt(1, QColor(0x80, 0x87, 0x8f));
    QPen pen(QColor(0x4d, 0x53, 0x5a));
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(metal);
    painter.drawPath(path);
    painter.setRenderHint(QPainter::Antialiasing, false);
}

// An allocation map: reserved, used and free cells.
void PaintGrid(QPainter& painter) {
    const QColor reserved(0xa0, 0xa7, 0xb0);
    const QColor used(0x2f, 0x80, 0xd8);
    const QColor free(0xff, 0xff, 0xff);
    // clang-format off
    const std::array<std::array<QColor, 4>, 4> cells = {{
        {reserved, reserved, used, used},
        {used, used, used, free},
        {used, free, free, used},
        {free, free, free, free},
    }};
    // clang-format on
    painter.fillRect(QRectF(1, 1, 13, 13), kOutline);
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            painter.fillRect(QRectF(2 + 3 * col, 2 + 3 * row, 2, 2), cells[row][col]);
        }
    }
}

// A directory listing: a header row and entry rows with a name column.
void PaintTable(QPainter& painter) {
    painter.fillRect(QRectF(1, 1, 14, 14), kOutline);
    painter.fillRect(QRectF(2, 2, 12, 3), QColor(0x2f, 0x80, 0xd8));
    for (int i = 0; i < 3; ++i) {
        const int top = 6 + 3 * i;
        painter.fillRect(QRectF(2, top, 12, 2),
                         i % 2 == 0 ? QColor(0xff, 0xff, 0xff) : QColor(0xe3, 0xee, 0xfa));
        painter.fillRect(QRectF(2, top, 3, 2), QColor(0xd5, 0xe2, 0xf2));
        painter.fillRect(QRectF(6, top, 3 + 2 * (i % 2), 1), QColor(0x8a, 0x93, 0x9e));
    }
}

struct PageKind {
    const char* mark;   // small pages
    const char* title;  // large pages
    QColor stripe;
};

PageKind PageOf(int index) {
    switch (index) {
        case kListBasic:
            return {".P", "BASIC", QColor(0x2e, 0x7d, 0x32)};
        case kListCode:
            return {".B", "CODE", QColor(0xc6, 0x28, 0x28)};
        case kListSnap:
            return {".S", "SNAP", QColor(0x7b, 0x1f, 0xa2)};
        case kListCharArray:
            return {".C", "CHR$", QColor(0xef, 0x6c, 0x00)};
        case kListNumberArray:
            return {".N", "NUMS", QColor(0x00, 0x83, 0x8f)};
        case kListSequential:
            return {".Q", "SEQC", QColor(0x15, 0x65, 0xc0)};
        case kListHeadless:
            return {".H", "HLESS", QColor(0x8d, 0x6e, 0x63)};
        default:
            return {"?", "???", QColor(0x90, 0x90, 0x90)};
    }
}

const QColor kPaper(0xff, 0xff, 0xff);
const QColor kFold(0xd6, 0xda, 0xdf);
const QColor kInk(0x26, 0x2b, 0x33);

// Draws a page with a dog-eared top right corner of the given size, in pixels.
void PaintPageSheet(QPainter& painter, const QRect& sheet, int fold) {
    const int right = sheet.right() + 1;
    const int bottom = sheet.bottom() + 1;
    QPolygon outline;
    outline << QPoint(sheet.left(), sheet.top()) << QPoint(right - fold, sheet.top())
            << QPoint(right, sheet.top() + fold) << QPoint(right, bottom)
            << QPoint(sheet.left(), bottom);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x6b, 0x72, 0x7c));
    painter.drawPolygon(outline);
    QPolygon paper;
    paper << QPoint(sheet.left() + 1, sheet.top() + 1) << QPoint(right - fold, sheet.top() + 1)
          << QPoint(right - 1, sheet.top() + fold) << QPoint(right - 1, bottom - 1)
          << QPoint(sheet.left() + 1, bottom - 1);
    painter.setBrush(kPaper);
    painter.drawPolygon(paper);
    QPolygon dogEar;
    dogEar << QPoint(right - fold, sheet.top() + 1) << QPoint(right - fold, sheet.top() + fold)
           << QPoint(right - 1, sheet.top() + fold);
    painter.setBrush(kFold);
    painter.drawPolygon(dogEar);
}

QImage PaintSmallPage(int index, int scale) {
    const PageKind kind = PageOf(index);
    QImage image = Canvas(kSmallIconSize, scale);
    QPainter painter(&image);
    const QRect sheet(2, 0, 12, 16);
    PaintPageSheet(painter, sheet, 4);
    const int markX = sheet.left() + 1 + (sheet.width() - 2 - TextWidth(kind.mark) + 1) / 2;
    DrawPixelText(painter, markX, 5, kind.mark, kInk);
    painter.fillRect(QRect(sheet.left() + 1, 12, sheet.width() - 2, 3), kind.stripe);
    return image;
}

QImage PaintLargePage(int index, int scale) {
    const PageKind kind = PageOf(index);
    QImage image = Canvas(kLargeIconSize, scale);
    QPainter painter(&image);
    const QRect sheet(4, 1, 24, 30);
    PaintPageSheet(painter, sheet, 7);
    const int titleX = sheet.left() + 1 + (sheet.width() - 2 - TextWidth(kind.title) + 1) / 2;
    DrawPixelText(painter, titleX, 10, kind.title, kInk);
    const QColor lines(0xb4, 0xbb, 0xc4);
    painter.fillRect(QRect(8, 18, 16, 1), lines);
    painter.fillRect(QRect(8, 21, 12, 1), lines);
    painter.fillRect(QRect(sheet.left() + 1, 24, sheet.width() - 2, 6), kind.stripe);
    return image;
}

template <class Paint>
QImage PaintUnits(int size, int scale, Paint paint) {
    QImage image = Canvas(size, scale);
    QPainter painter(&image);
    ScaleToUnits(painter, size);
    paint(painter);
    return image;
}

QIcon BothScales(const QPixmap& normal, const QPixmap& doubled) {
    QIcon icon(normal);
    icon.addPixmap(doubled);
    return icon;
}

}  // namespace

QPixmap PaintTreeIcon(int index, int scale) {
    switch (index) {
        case kTreeBootDisk:
            return QPixmap::fromImage(PaintUnits(kSmallIconSize, scale, PaintBootFloppy));
        case kTreeDisk:
            return QPixmap::fromImage(PaintUnits(kSmallIconSize, scale, PaintRainbowFloppy));
        case kTreeFat:
            return QPixmap::fromImage(PaintUnits(kSmallIconSize, scale, PaintGrid));
        case kTreeDir:
            return QPixmap::fromImage(PaintUnits(kSmallIconSize, scale, PaintTable));
        default:
            return QPixmap::fromImage(PaintUnits(kSmallIconSize, scale, PaintCog));
    }
}

QPixmap PaintListIcon(int index, bool large, int scale) {
    const int size = large ? kLargeIconSize : kSmallIconSize;
    switch (index) {
        case kListCog:
            return QPixmap::fromImage(PaintUnits(size, scale, PaintCog));
        case kListDisk:
            return QPixmap::fromImage(PaintUnits(size, scale, PaintBootFloppy));
        case kListFat:
            return QPixmap::fromImage(PaintUnits(size, scale, PaintGrid));
        case kListDir:
            return QPixmap::fromImage(PaintUnits(size, scale, PaintTable));
        default:
            return QPixmap::fromImage(large ? PaintLargePage(index, scale)
                                            : PaintSmallPage(index, scale));
    }
}

QIcon TreeIcon(int index) {
    return BothScales(PaintTreeIcon(index), PaintTreeIcon(index, 2));
}

QIcon ListIcon(int index, bool large) {
    return BothScales(PaintListIcon(index, large), PaintListIcon(index, large, 2));
}

}  // namespace icons
