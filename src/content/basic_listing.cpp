#include "content/basic_listing.h"

#include <cstdio>

#include "content/basic_text.h"
#include "content/spectrum_number.h"
#include "disk/le_bytes.h"

namespace content {

namespace {

constexpr unsigned char kNumberMarker = 0x0E;
constexpr unsigned char kEndOfLine = 0x0D;
constexpr unsigned char kQuote = '"';
constexpr unsigned char kRem = 0xEA;
// INK, PAPER, FLASH, BRIGHT, INVERSE and OVER controls take one parameter byte, AT and TAB two.
constexpr unsigned char kFirstControl = 0x10;
constexpr unsigned char kFirstTwoByteControl = 0x16;
constexpr unsigned char kLastControl = 0x17;
// Tokens from OR on are statements and operators, which the ROM sets off with a space before;
// the functions before them follow their operand's character directly.
constexpr unsigned char kFirstSpacedToken = 0xC5;
// RND, INKEY$ and PI take no operand and so no space after.
constexpr unsigned char kLastBareToken = 0xA7;

constexpr std::size_t kLineHeadSize = 4;
constexpr unsigned kVariablesLineNumber = 0x4000;

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Appends a token as the ROM prints it: a space before a statement or an operator word unless
// one is there already, a space after unless the keyword ends in a sign ("<=").
void AppendKeyword(std::string& out, unsigned char token, bool afterSpace) {
    const std::string keyword = Keyword(token);
    if (token >= kFirstSpacedToken && IsLetter(keyword.front()) && !afterSpace) {
        out += ' ';
    }
    out += keyword;
    const char last = keyword.back();
    if (token > kLastBareToken && (IsLetter(last) || last == '$')) {
        out += ' ';
    }
}

std::string LineText(std::span<const unsigned char> body) {
    std::string out;
    bool inString = false;
    bool inRem = false;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const unsigned char byte = body[i];
        const bool literal = inString || inRem;
        if (byte == kNumberMarker && !literal) {
            i += kNumberSize;  // the value of the number just shown as typed
        } else if (byte >= kFirstControl && byte <= kLastControl) {
            // The parameters are bytes of any value, a quote too: never text.
            const std::size_t parameters = byte >= kFirstTwoByteControl ? 2 : 1;
            AppendCode(out, byte);
            for (std::size_t k = 0; k < parameters && i + 1 < body.size(); ++k) {
                AppendCode(out, body[++i]);
            }
        } else if (byte >= kFirstToken && !literal) {
            AppendKeyword(out, byte, out.empty() || out.back() == ' ');
            inRem = byte == kRem;
        } else {
            if (byte == kQuote && !inRem) {
                inString = !inString;
            }
            AppendCharacter(out, byte);
        }
    }
    return out;
}

struct LineHead {
    unsigned number;
    std::size_t length;
};

LineHead ReadLineHead(const unsigned char* p) {
    return {static_cast<unsigned>(p[0]) << 8 | p[1], disk::ReadLe16(p + 2)};
}

}  // namespace

BasicListing DecodeBasic(std::span<const unsigned char> program,
                         std::span<const unsigned char> variables, std::optional<int> autostart) {
    BasicListing listing;
    listing.autostart = autostart;
    std::size_t pos = 0;
    while (program.size() - pos >= kLineHeadSize) {
        const LineHead head = ReadLineHead(program.data() + pos);
        pos += kLineHeadSize;
        std::size_t length = head.length;
        if (length > program.size() - pos) {
            length = program.size() - pos;
            listing.truncated = true;
        }
        std::span<const unsigned char> body = program.subspan(pos, length);
        pos += length;
        if (!body.empty() && body.back() == kEndOfLine) {
            body = body.first(body.size() - 1);
        }
        listing.lines.push_back({static_cast<int>(head.number), LineText(body)});
    }
    listing.truncated = listing.truncated || pos < program.size();
    if (!variables.empty()) {
        listing.variables = DecodeVariables(variables);
    }
    return listing;
}

std::size_t ProgramLength(std::span<const unsigned char> bytes) {
    std::size_t pos = 0;
    while (bytes.size() - pos >= kLineHeadSize) {
        const LineHead head = ReadLineHead(bytes.data() + pos);
        if (head.number >= kVariablesLineNumber ||
            head.length > bytes.size() - pos - kLineHeadSize) {
            break;
        }
        pos += kLineHeadSize + head.length;
    }
    return pos;
}

bool ParsesAsProgram(std::span<const unsigned char> bytes) {
    const std::size_t length = ProgramLength(bytes);
    if (length == 0) {
        return false;
    }
    long previous = -1;
    for (std::size_t pos = 0; pos < length;) {
        const LineHead head = ReadLineHead(bytes.data() + pos);
        pos += kLineHeadSize + head.length;
        if (static_cast<long>(head.number) <= previous || head.length == 0 ||
            bytes[pos - 1] != kEndOfLine) {
            return false;
        }
        previous = head.number;
    }
    const Variables variables = DecodeVariables(bytes.subspan(length));
    return !variables.damaged && variables.used == bytes.size() - length;
}

std::string ListingText(const BasicListing& listing) {
    std::string text;
    for (const BasicLine& line : listing.lines) {
        char number[16];
        std::snprintf(number, sizeof number, "%5d ", line.number);
        text += number + line.text + '\n';
    }
    if (listing.truncated) {
        text += "# the last line breaks off\n";
    }
    if (listing.autostart) {
        text += "# autostart line " + std::to_string(*listing.autostart) + '\n';
    }
    if (!listing.variables.lines.empty() || listing.variables.damaged) {
        text += "# variables\n";
        for (const std::string& line : listing.variables.lines) {
            text += "# " + line + '\n';
        }
        if (listing.variables.damaged) {
            text += "# the variables break off\n";
        }
    }
    return text;
}

}  // namespace content
