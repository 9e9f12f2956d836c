// The variables area that follows a program's lines when it was saved after running. Each
// variable starts with a byte whose top three bits give its kind and whose low five its letter
// (1 is "a"); the area ends with 0x80.
//
//   011 number, one letter       name, 5-byte value
//   101 number, longer name      name, more letters (the last with bit 7 set), 5-byte value
//   010 string                   name, 16-bit length, the characters
//   100 number array             name, 16-bit length, then the array (see array_data.h)
//   110 character array          the same, one byte an element
//   111 FOR loop variable        name, value, limit, step (5 bytes each), loop line, statement
#pragma once

#include <span>
#include <string>
#include <vector>

namespace content {

struct Variables {
    // One text a value, such as "a = 7" or "b$ = \"red\"".
    std::vector<std::string> lines;
    // The bytes broke off or held a kind that doesn't exist; lines has what came before.
    bool damaged = false;
    // Bytes used, end marker included.
    std::size_t used = 0;
};

[[nodiscard]] Variables DecodeVariables(std::span<const unsigned char> bytes);

}  // namespace content
