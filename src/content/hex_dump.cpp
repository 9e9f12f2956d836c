#include "content/hex_dump.h"

#include <algorithm>
#include <cstdio>

namespace content {

std::string HexRow(std::size_t offset, std::span<const unsigned char> row) {
    row = row.first(std::min<std::size_t>(row.size(), kHexBytesPerRow));
    // Files are at most 24 bits long: six digits hold every offset.
    char text[16];
    std::snprintf(text, sizeof text, "%06zX ", offset);
    std::string out = text;
    for (std::size_t i = 0; i < kHexBytesPerRow; ++i) {
        if (i == kHexBytesPerRow / 2) {
            out += ' ';
        }
        if (i < row.size()) {
            std::snprintf(text, sizeof text, " %02X", row[i]);
            out += text;
        } else {
            out += "   ";
        }
    }
    out += "  ";
    for (const unsigned char byte : row) {
        out += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '.';
    }
    return out;
}

std::string HexDump(std::span<const unsigned char> bytes) {
    std::string out;
    for (std::size_t offset = 0; offset < bytes.size(); offset += kHexBytesPerRow) {
        out += HexRow(offset, bytes.subspan(offset, std::min<std::size_t>(kHexBytesPerRow,
                                                                          bytes.size() - offset)));
        out += '\n';
    }
    return out;
}

}  // namespace content
