#include "content/screen_picture.h"

namespace content {

namespace {

constexpr int kCellSize = 8;
constexpr int kCellsPerRow = kScreenWidth / kCellSize;
constexpr unsigned char kNormalLevel = 0xD7;
constexpr unsigned char kBrightLevel = 0xFF;
// Black ink on white paper.
constexpr unsigned char kDefaultAttribute = 0x38;

std::size_t RowOffset(int y) {
    return static_cast<std::size_t>((y & 0xC0) << 5 | (y & 0x07) << 8 | (y & 0x38) << 2);
}

}  // namespace

Rgb ScreenColour(int colour, bool bright) {
    const unsigned char level = bright ? kBrightLevel : kNormalLevel;
    // Bit 0 drives blue, bit 1 red, bit 2 green.
    return Rgb{(colour & 2) != 0 ? level : static_cast<unsigned char>(0),
               (colour & 4) != 0 ? level : static_cast<unsigned char>(0),
               (colour & 1) != 0 ? level : static_cast<unsigned char>(0)};
}

ScreenPicture DecodeScreen(std::span<const unsigned char> bytes) {
    ScreenPicture picture;
    picture.pixels.resize(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int column = 0; column < kCellsPerRow; ++column) {
            const std::size_t pixelAt = RowOffset(y) + static_cast<std::size_t>(column);
            const unsigned char pixels = pixelAt < bytes.size() ? bytes[pixelAt] : 0;
            const std::size_t attributeAt = kScreenPixelBytes +
                                            static_cast<std::size_t>(y / kCellSize) * kCellsPerRow +
                                            static_cast<std::size_t>(column);
            const unsigned char attribute =
                attributeAt < bytes.size() ? bytes[attributeAt] : kDefaultAttribute;
            const bool bright = (attribute & 0x40) != 0;
            const Rgb ink = ScreenColour(attribute & 7, bright);
            const Rgb paper = ScreenColour(attribute >> 3 & 7, bright);
            Rgb* out = &picture.pixels[static_cast<std::size_t>(y) * kScreenWidth +
                                       static_cast<std::size_t>(column) * kCellSize];
            for (int bit = 0; bit < kCellSize; ++bit) {
                out[bit] = (pixels >> (7 - bit) & 1) != 0 ? ink : paper;
            }
        }
    }
    return picture;
}

}  // namespace content
