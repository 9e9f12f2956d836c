// A BASIC program as the machine lists it. A program is lines one after the other, each
//
//   line number (16 bits, big-endian), length of the rest (16 bits, little-endian),
//   the statement bytes, 0x0D
//
// and the statements are ASCII text with keywords as one-byte tokens (0xA5-0xFF). Every number
// typed is followed by 0x0E and its value in five bytes that a listing never shows (DEF FN keeps
// such a slot after each parameter too). Colour and position controls (0x10-0x17) carry one or
// two parameter bytes of any value. After the lines may come the variables area: the ROM tells
// where the lines end by a line number whose high byte is 0x40 or more, which no line has.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "content/variables.h"

namespace content {

struct BasicLine {
    int number = 0;
    // The statements in listing notation (basic_text.h), as zmakebas reads them back.
    std::string text;
};

struct BasicListing {
    std::vector<BasicLine> lines;
    Variables variables;
    // The line that runs after loading, if any.
    std::optional<int> autostart;
    // The last line claims more bytes than the program holds; its text has those there are.
    bool truncated = false;
};

// program: the lines; variables: the bytes after them (may be empty).
[[nodiscard]] BasicListing DecodeBasic(std::span<const unsigned char> program,
                                       std::span<const unsigned char> variables,
                                       std::optional<int> autostart = std::nullopt);

// How many leading bytes are whole lines by the ROM's rule (a line number of 0x4000 or more
// starts the variables). Used where no header says how long the program is.
[[nodiscard]] std::size_t ProgramLength(std::span<const unsigned char> bytes);
// Whether the bytes are a program: at least one line, the numbers ascending, and after them
// nothing but a variables area that reads to its end.
[[nodiscard]] bool ParsesAsProgram(std::span<const unsigned char> bytes);

// The listing as text: each line "%5d text", then "# autostart line N" and the variables as
// "# " comments, which zmakebas skips.
[[nodiscard]] std::string ListingText(const BasicListing& listing);

}  // namespace content
