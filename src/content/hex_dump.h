// Any bytes as rows of 16: the offset in hex, the bytes in hex (a gap after the eighth), and
// the printable ASCII ones as themselves, every other byte as ".".
#pragma once

#include <span>
#include <string>

namespace content {

inline constexpr int kHexBytesPerRow = 16;

// "000010  41 42 ...  AB..": one row, for the bytes of one row (at most 16).
[[nodiscard]] std::string HexRow(std::size_t offset, std::span<const unsigned char> row);
// Every row, each ended by a newline.
[[nodiscard]] std::string HexDump(std::span<const unsigned char> bytes);

}  // namespace content
