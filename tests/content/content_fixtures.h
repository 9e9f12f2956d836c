// The committed fixtures of tests/content/data and what the tests compare them with. Each
// program was written in zmakebas notation (NAME.bas), turned into a tape by zmakebas and listed
// by fuse-emulator-utils' listbasic, so no test needs either tool:
//
//   zmakebas -a 10 -n program -o program.tap program.bas
//   listbasic program.tap > program.listbasic.txt
//   zmakebas -o controls.tap controls.bas
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "content/file_content.h"
#include "support/test_bytes.h"

namespace contenttest {

using testbytes::Bytes;

inline std::string DataPath(const std::string& name) {
    return std::string(BRINDLE_CONTENT_DATA) + "/" + name;
}

inline std::string ReadText(const std::string& name) {
    std::ifstream in(DataPath(name), std::ios::binary);
    EXPECT_TRUE(in.good()) << "missing fixture " << name;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The program of a tape of one header and one data block, as TAP import puts it on a disk: type
// P, the header's length and parameters in the entry, the data block's payload as the bytes.
inline content::FileContent ProgramFromTape(const std::string& name) {
    const std::string tape = ReadText(name);
    const Bytes bytes(tape.begin(), tape.end());
    // length(2) flag type name(10) length(2) param1(2) param2(2) checksum
    constexpr std::size_t kHeaderBlock = 2 + 19;
    EXPECT_GT(bytes.size(), kHeaderBlock + 4);
    const auto le16 = [&bytes](std::size_t at) { return bytes[at] | bytes[at + 1] << 8; };
    const int length = le16(2 + 12);
    const Bytes entry = testbytes::DirEntry('P', "program", length, le16(2 + 14), le16(2 + 16));
    const Bytes data(bytes.begin() + kHeaderBlock + 3, bytes.begin() + kHeaderBlock + 3 + length);
    return content::MakeFile(entry, data);
}

// The text without any whitespace: listbasic and the ROM set spaces around keywords by rules
// of their own, which say nothing about the program.
inline std::string WithoutSpace(const std::string& text) {
    std::string out;
    std::copy_if(text.begin(), text.end(), std::back_inserter(out),
                 [](unsigned char c) { return std::isspace(c) == 0; });
    return out;
}

// The lines of a text, leaving out blank lines and "#" comments (zmakebas skips both).
inline std::vector<std::string> ProgramLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const std::string bare = WithoutSpace(line);
        if (!bare.empty() && bare.front() != '#') {
            lines.push_back(bare);
        }
    }
    return lines;
}

}  // namespace contenttest
