#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "content/file_content.h"
#include "content/screen_picture.h"
#include "content_fixtures.h"

namespace {

using content::Rgb;
using contenttest::Bytes;

// The machine's colours written out, not computed: 0xD7 for a lit gun, 0xFF when bright.
Rgb Expected(int colour, bool bright) {
    static const Rgb kNormal[8] = {{0, 0, 0},       {0, 0, 0xD7},      {0xD7, 0, 0},
                                   {0xD7, 0, 0xD7}, {0, 0xD7, 0},      {0, 0xD7, 0xD7},
                                   {0xD7, 0xD7, 0}, {0xD7, 0xD7, 0xD7}};
    static const Rgb kBright[8] = {{0, 0, 0},       {0, 0, 0xFF},      {0xFF, 0, 0},
                                   {0xFF, 0, 0xFF}, {0, 0xFF, 0},      {0, 0xFF, 0xFF},
                                   {0xFF, 0xFF, 0}, {0xFF, 0xFF, 0xFF}};
    return bright ? kBright[colour] : kNormal[colour];
}

// A pixel byte that differs by row and column, so a row or column put in the wrong place shows.
unsigned char PixelByte(int column, int y) {
    return static_cast<unsigned char>(y * 7 + column * 13 + (y >> 3));
}

// The 768 cells run through the 128 ink, paper and bright combinations six times; every other
// time with FLASH set, which a still picture shows unswapped.
unsigned char Attribute(int cell) {
    const int combination = cell % 128;
    const bool flash = (cell / 128) % 2 == 1;
    return static_cast<unsigned char>((flash ? 0x80 : 0) | combination);
}

Bytes ScreenBytes() {
    Bytes bytes(content::kScreenBytes);
    // The display file walked by address: bits 12-11 the third, 10-8 the pixel row within the
    // character row, 7-5 the character row, 4-0 the column.
    for (int address = 0; address < 6144; ++address) {
        const int y = (address >> 11) * 64 + ((address >> 5) & 7) * 8 + ((address >> 8) & 7);
        bytes[static_cast<std::size_t>(address)] = PixelByte(address & 31, y);
    }
    for (int cell = 0; cell < 768; ++cell) {
        bytes[6144 + static_cast<std::size_t>(cell)] = Attribute(cell);
    }
    return bytes;
}

TEST(ScreenPictureTest, EveryInkPaperAndBrightCombinationColoursEveryPixel) {
    const content::ScreenPicture picture = content::DecodeScreen(ScreenBytes());
    ASSERT_EQ(picture.pixels.size(), 256U * 192U);
    std::set<std::tuple<int, int, int>> colours;
    std::set<int> combinations;
    for (int y = 0; y < 192; ++y) {
        for (int x = 0; x < 256; ++x) {
            const int cell = (y / 8) * 32 + x / 8;
            const int attribute = Attribute(cell);
            const int ink = attribute & 7;
            const int paper = (attribute >> 3) & 7;
            const bool bright = (attribute & 0x40) != 0;
            const bool set = ((PixelByte(x / 8, y) >> (7 - x % 8)) & 1) != 0;
            const Rgb want = Expected(set ? ink : paper, bright);
            const Rgb got = picture.At(x, y);
            ASSERT_EQ(got, want) << "pixel " << x << "," << y << " attribute " << attribute;
            colours.insert({got.r, got.g, got.b});
            combinations.insert(attribute & 0x7F);
        }
    }
    EXPECT_EQ(combinations.size(), 128U);
    // Bright black is black: 15 colours.
    EXPECT_EQ(colours.size(), 15U);
}

TEST(ScreenPictureTest, PixelsWithoutAttributesShowBlackOnWhite) {
    Bytes pixels(content::kScreenPixelBytes, 0);
    pixels[0] = 0x80;  // the top left pixel
    const content::ScreenPicture picture = content::DecodeScreen(pixels);
    EXPECT_EQ(picture.At(0, 0), Expected(0, false));
    EXPECT_EQ(picture.At(1, 0), Expected(7, false));
    EXPECT_EQ(picture.At(255, 191), Expected(7, false));
    // Fewer bytes than a picture: what is missing is clear.
    const content::ScreenPicture empty = content::DecodeScreen(Bytes{0xFF});
    EXPECT_EQ(empty.At(7, 0), Expected(0, false));
    EXPECT_EQ(empty.At(8, 0), Expected(7, false));
    EXPECT_EQ(empty.At(0, 1), Expected(7, false));
}

TEST(ScreenPictureTest, ScreensAreChosenByTheirLength) {
    for (const std::size_t size : {content::kScreenBytes, content::kScreenPixelBytes}) {
        const Bytes bytes(size, 0x55);
        EXPECT_EQ(content::ChooseView(content::MakeFile(
                      testbytes::DirEntry('B', "s", static_cast<int>(size), 16384), bytes)),
                  content::View::Screen);
    }
    const Bytes other(content::kScreenBytes + 1, 0x55);
    EXPECT_EQ(content::ChooseView(content::MakeFile(
                  testbytes::DirEntry('B', "s", static_cast<int>(other.size())), other)),
              content::View::Hex);
}

}  // namespace
