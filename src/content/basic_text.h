// The machine's character set as a listing writes it, in the escape notation that zmakebas
// reads back: printable ASCII as itself, "\\" for the backslash, "\*" for the copyright sign
// (0x7F), "\" and a two-character drawing for the block graphics 0x80-0x8F ("\':" is 0x87),
// "\a" to "\u" for the user-defined graphics 0x90-0xA4, and "\{n}" for every other byte.
// Keyword tokens (0xA5-0xFF) are the 48K machine's.
#pragma once

#include <string>

namespace content {

inline constexpr unsigned char kFirstToken = 0xA5;

// The keyword of a token byte (0xA5 to 0xFF), without spaces.
[[nodiscard]] const char* Keyword(unsigned char token);
// Appends one byte as a character of text: a token byte inside a string or a REM is the
// character code, written "\{n}", since zmakebas never turns text there into tokens.
void AppendCharacter(std::string& out, unsigned char byte);
// Appends "\{n}".
void AppendCode(std::string& out, unsigned char byte);

}  // namespace content
