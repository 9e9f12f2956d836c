// A file of a disk as the viewers see it: its 32-byte directory entry and its bytes, the way to
// show it that fits (BASIC listing, SCREEN$ picture, array or hex) and the decoders that take
// the entry's fields into account. Any bytes and any entry decode; nothing here trusts either.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "content/array_data.h"
#include "content/basic_listing.h"
#include "disk/mdos_disk.h"

namespace content {

// The most text a listing, an array's lines or a hex dump make of n bytes of a file is
// kTextPerByte * n + kTextSlack characters: a damaged file can't make a reader's output grow
// faster than the file.
inline constexpr std::size_t kTextPerByte = 80;
inline constexpr std::size_t kTextSlack = 1024;

enum class View { Basic, Screen, Array, Hex };
inline constexpr View kAllViews[] = {View::Basic, View::Screen, View::Array, View::Hex};

// "basic", "screen", "array", "hex": the names brindle-cli takes.
[[nodiscard]] const char* ViewName(View view);
[[nodiscard]] std::optional<View> ViewFromName(std::string_view name);
// "BASIC", "Screen", "Array", "Hex": the names the window shows.
[[nodiscard]] const char* ViewTitle(View view);

struct FileContent {
    std::array<unsigned char, CMdosDisk::kDirEntrySize> entry{};
    std::vector<unsigned char> bytes;

    [[nodiscard]] unsigned char Type() const { return entry[CMdosDisk::kEntryType]; }
    [[nodiscard]] std::span<const unsigned char> Bytes() const { return bytes; }
};

// The entry and the bytes its chain holds, as many as its length says but never more than a
// disk holds: a damaged length can't make a reader allocate more.
[[nodiscard]] FileContent ReadFile(CMdosDisk& disk, unsigned char* entry);
// A file from bytes already read.
[[nodiscard]] FileContent MakeFile(std::span<const unsigned char> entry,
                                   std::span<const unsigned char> bytes);

// Programs list as BASIC, arrays as arrays, 6912 and 6144 bytes as a picture, other bytes that
// parse as a program (a headerless program, say) as BASIC, anything else in hex.
[[nodiscard]] View ChooseView(const FileContent& file);

// A program's lines end where the entry's BASIC field (the tape header's program length)
// says; the rest of the file is its variables, and the start field above 9999 means no
// autostart. A file of another type is cut where the ROM would see the lines end.
[[nodiscard]] BasicListing DecodeBasicFile(const FileContent& file);
// Type C holds characters, any other type numbers; the name comes from the start field's high
// byte, where the tape header keeps it. Nothing when the bytes hold no dimensions.
[[nodiscard]] std::optional<ArrayData> DecodeArrayFile(const FileContent& file);

}  // namespace content
