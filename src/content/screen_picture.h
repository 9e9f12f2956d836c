// SCREEN$: the display memory saved as it is, 6144 bytes of pixels and 768 of attributes.
// Pixel rows are interleaved in thirds: row y of the picture starts at byte
//   (y & 0xC0) << 5 | (y & 0x07) << 8 | (y & 0x38) << 2,
// 32 bytes a row, the leftmost pixel in bit 7. Each 8 x 8 cell has one attribute byte,
// 32 a row of cells: FLASH in bit 7, BRIGHT in bit 6, PAPER in bits 5-3, INK in bits 2-0.
// Set pixels show the ink, clear ones the paper; BRIGHT lightens both (black stays black), so
// there are 15 colours. FLASH swaps ink and paper twice a second: a still picture shows the
// phase without the swap.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace content {

inline constexpr int kScreenWidth = 256;
inline constexpr int kScreenHeight = 192;
inline constexpr std::size_t kScreenPixelBytes = 6144;
inline constexpr std::size_t kScreenBytes = 6912;

struct Rgb {
    unsigned char r = 0;
    unsigned char g = 0;
    unsigned char b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Colour 0 (black) to 7 (white), in the order blue, red, magenta, green, cyan, yellow.
[[nodiscard]] Rgb ScreenColour(int colour, bool bright);

struct ScreenPicture {
    // kScreenWidth x kScreenHeight, row by row from the top left.
    std::vector<Rgb> pixels;
    [[nodiscard]] Rgb At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * kScreenWidth + static_cast<std::size_t>(x)];
    }
};

// Any bytes give a whole picture: pixels past the end are clear, and without attributes (a
// 6144-byte file) every cell has black ink on white paper, as after CLS.
[[nodiscard]] ScreenPicture DecodeScreen(std::span<const unsigned char> bytes);

}  // namespace content
