#include "content/basic_text.h"

namespace content {

namespace {

// 0xA5 to 0xFF in order.
constexpr const char* kKeywords[] = {
    "RND",     "INKEY$", "PI",     "FN",       "POINT",     "SCREEN$", "ATTR",   "AT",
    "TAB",     "VAL$",   "CODE",   "VAL",      "LEN",       "SIN",     "COS",    "TAN",
    "ASN",     "ACS",    "ATN",    "LN",       "EXP",       "INT",     "SQR",    "SGN",
    "ABS",     "PEEK",   "IN",     "USR",      "STR$",      "CHR$",    "NOT",    "BIN",
    "OR",      "AND",    "<=",     ">=",       "<>",        "LINE",    "THEN",   "TO",
    "STEP",    "DEF FN", "CAT",    "FORMAT",   "MOVE",      "ERASE",   "OPEN #", "CLOSE #",
    "MERGE",   "VERIFY", "BEEP",   "CIRCLE",   "INK",       "PAPER",   "FLASH",  "BRIGHT",
    "INVERSE", "OVER",   "OUT",    "LPRINT",   "LLIST",     "STOP",    "READ",   "DATA",
    "RESTORE", "NEW",    "BORDER", "CONTINUE", "DIM",       "REM",     "FOR",    "GO TO",
    "GO SUB",  "INPUT",  "LOAD",   "LIST",     "LET",       "PAUSE",   "NEXT",   "POKE",
    "PRINT",   "PLOT",   "RUN",    "SAVE",     "RANDOMIZE", "IF",      "CLS",    "DRAW",
    "CLEAR",   "RETURN", "COPY"};
static_assert(sizeof kKeywords / sizeof kKeywords[0] == 0x100 - kFirstToken);

constexpr unsigned char kCopyright = 0x7F;
constexpr unsigned char kFirstBlock = 0x80;
constexpr unsigned char kFirstUdg = 0x90;

// One column of a block graphic: its top quarter in bit `top`, its bottom one in bit `bottom`.
char BlockColumn(unsigned char bits, int top, int bottom) {
    const bool up = (bits >> top & 1) != 0;
    const bool down = (bits >> bottom & 1) != 0;
    if (up && down) {
        return ':';
    }
    if (up) {
        return '\'';
    }
    return down ? '.' : ' ';
}

}  // namespace

const char* Keyword(unsigned char token) {
    return token >= kFirstToken ? kKeywords[token - kFirstToken] : "";
}

void AppendCode(std::string& out, unsigned char byte) {
    out += "\\{";
    out += std::to_string(byte);
    out += '}';
}

void AppendCharacter(std::string& out, unsigned char byte) {
    if (byte == '\\') {
        out += "\\\\";
    } else if (byte >= 0x20 && byte < kCopyright) {
        out += static_cast<char>(byte);
    } else if (byte == kCopyright) {
        out += "\\*";
    } else if (byte >= kFirstBlock && byte < kFirstUdg) {
        // Bit 0 is the top right quarter, 1 the top left, 2 the bottom right, 3 the bottom left.
        out += '\\';
        out += BlockColumn(byte, 1, 3);
        out += BlockColumn(byte, 0, 2);
    } else if (byte >= kFirstUdg && byte < kFirstToken) {
        out += '\\';
        out += static_cast<char>('a' + (byte - kFirstUdg));
    } else {
        AppendCode(out, byte);
    }
}

}  // namespace content
