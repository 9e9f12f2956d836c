#include <gtest/gtest.h>

#include "content/basic_listing.h"
#include "content/file_content.h"
#include "content_fixtures.h"

namespace {

using contenttest::Bytes;
using contenttest::ProgramLines;
using contenttest::WithoutSpace;
using testbytes::Append;
using testbytes::DirEntry;

// A program line as the machine stores it: number big-endian, length little-endian, the
// statement bytes and 0x0D.
Bytes Line(int number, const Bytes& statements) {
    Bytes line{static_cast<unsigned char>(number >> 8), static_cast<unsigned char>(number)};
    Append(line, testbytes::Le16(static_cast<unsigned>(statements.size() + 1)));
    Append(line, statements);
    line.push_back(0x0D);
    return line;
}

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// 0x0E and the five bytes of a small integer, as the ROM stores them after a number typed.
Bytes Hidden(int value) {
    return {
        0x0E, 0x00, 0x00, static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
        0x00};
}

std::string ListingOf(const Bytes& program) {
    return content::ListingText(content::DecodeBasic(program, {}));
}

TEST(BasicListingTest, ListsZmakebasProgramsLineForLineAsListbasicDoes) {
    const content::FileContent file = contenttest::ProgramFromTape("program.tap");
    const content::BasicListing listing = content::DecodeBasicFile(file);
    EXPECT_EQ(ProgramLines(content::ListingText(listing)),
              ProgramLines(contenttest::ReadText("program.listbasic.txt")));
    EXPECT_EQ(listing.autostart, 10);
    EXPECT_FALSE(listing.truncated);
    EXPECT_EQ(content::ChooseView(file), content::View::Basic);
}

// What listbasic leaves out or shows as 128K keywords (colour controls, \t and \u, token codes
// in strings) the listing keeps in the notation zmakebas reads, so it feeds back to zmakebas.
TEST(BasicListingTest, ListingsReadBackAsTheirZmakebasSource) {
    for (const char* name : {"program", "controls"}) {
        const content::FileContent file = contenttest::ProgramFromTape(std::string(name) + ".tap");
        EXPECT_EQ(ProgramLines(content::ListingText(content::DecodeBasicFile(file))),
                  ProgramLines(contenttest::ReadText(std::string(name) + ".bas")))
            << name;
    }
}

TEST(BasicListingTest, SpacesKeywordsAsTheMachineListsThem) {
    Bytes statements = Text("a=");
    Append(statements, {0xA5, '*', 0xA7, '+', 0xB2, 'x', ':', 0xF5, 0xAC, '1'});
    Append(statements, Hidden(1));
    Append(statements, {';', 0xD9, '3', ':', 0xFA, 'a', 0xC9, 'b', 0xCB, 0xEC, '1', '0'});
    Append(statements, Hidden(10));
    EXPECT_EQ(ListingOf(Line(10, statements)),
              "   10 a=RND*PI+SIN x: PRINT AT 1; INK 3: IF a<>b THEN GO TO 10\n");
}

TEST(BasicListingTest, HidesTheNumberFormsTheRomStoresAfterNumbersAndFnParameters) {
    // DEF FN f(x)=x*2 as typed on the machine: a five-byte slot after the parameter too.
    Bytes statements{0xCE, 'f', '(', 'x', 0x0E, 0, 0, 0, 0, 0, ')', '=', 'x', '*', '2'};
    Append(statements, Hidden(2));
    // A number cut off by the line's end hides what there is, and no more.
    Append(statements, {':', 0xF5, '7', 0x0E, 0x00});
    EXPECT_EQ(WithoutSpace(ListingOf(Line(20, statements))), "20DEFFNf(x)=x*2:PRINT7");
}

TEST(BasicListingTest, KeepsStringsAndRemAsText) {
    // 0x0E and token codes inside a string or after REM are characters, not numbers or keywords.
    const Bytes statements{0xF5, '"', 0x0E, 0xEA, '"', ':', 0xEA, 'x', 0xF5, '"', 0x0E, 1};
    EXPECT_EQ(ListingOf(Line(5, statements)),
              "    5 PRINT \"\\{14}\\{234}\": REM x\\{245}\"\\{14}\\{1}\n");
}

TEST(BasicListingTest, ControlParametersNeverOpenAString) {
    // AT 5,34: the second parameter is the quote's code and must not start a string.
    const Bytes statements{0xF5, '"', 0x16, 5, '"', 'a', '"', ':', 0xEA};
    EXPECT_EQ(ListingOf(Line(1, statements)), "    1 PRINT \"\\{22}\\{5}\\{34}a\": REM \n");
}

TEST(BasicListingTest, TheBasicFieldSeparatesLinesFromVariables) {
    const Bytes program = Line(10, {0xF5, 'a'});
    Bytes bytes = program;
    // a = 7, total = 0.5, b$ = "hi", FOR i, c(2) = 1, -1, d$(2,3) = "abc", "def", end.
    Append(bytes, {0x61, 0, 0, 7, 0, 0});
    Append(bytes, {0xB4, 'o', 't', 'a', 'l' | 0x80, 0x80, 0, 0, 0, 0});
    Append(bytes, {0x42, 2, 0, 'h', 'i'});
    Append(bytes, {0xE9, 0, 0, 3, 0, 0, 0, 0, 10, 0, 0, 0, 0, 1, 0, 0, 40, 0, 2});
    Append(bytes, {0x83, 13, 0, 1, 2, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0});
    Append(bytes, {0xC4, 11, 0, 2, 2, 0, 3, 0, 'a', 'b', 'c', 'd', 'e', 'f'});
    bytes.push_back(0x80);
    const Bytes entry = DirEntry('P', "vars", static_cast<int>(bytes.size()), 10,
                                 static_cast<unsigned>(program.size()));
    const content::BasicListing listing = content::DecodeBasicFile(content::MakeFile(entry, bytes));
    ASSERT_EQ(listing.lines.size(), 1U);
    EXPECT_FALSE(listing.variables.damaged);
    EXPECT_EQ(listing.variables.lines,
              (std::vector<std::string>{
                  "a = 7", "total = 0.5", "b$ = \"hi\"",
                  "i = 3 (FOR loop TO 10 STEP 1, back to line 40 statement 2)", "DIM c(2)",
                  "c(1) = 1", "c(2) = -1", "DIM d$(2,3)", "d$(1) = \"abc\"", "d$(2) = \"def\""}));
    // Comments zmakebas skips: the listing still reads back as the program.
    EXPECT_EQ(content::ListingText(listing),
              "   10 PRINT a\n# autostart line 10\n# variables\n# a = 7\n# total = 0.5\n"
              "# b$ = \"hi\"\n# i = 3 (FOR loop TO 10 STEP 1, back to line 40 statement 2)\n"
              "# DIM c(2)\n# c(1) = 1\n# c(2) = -1\n# DIM d$(2,3)\n# d$(1) = \"abc\"\n"
              "# d$(2) = \"def\"\n");
}

TEST(BasicListingTest, EntryFieldsOutOfRangeFallBackToWhatTheBytesHold) {
    const Bytes program = Line(10, {0xEC, '1', '0'});
    // A BASIC field past the end: every byte is program; a start of 0x8000: no autostart.
    const content::BasicListing listing = content::DecodeBasicFile(content::MakeFile(
        DirEntry('P', "p", static_cast<int>(program.size()), 0x8000, 60000), program));
    EXPECT_EQ(listing.lines.size(), 1U);
    EXPECT_FALSE(listing.autostart.has_value());
    EXPECT_TRUE(listing.variables.lines.empty());
}

TEST(BasicListingTest, DamagedProgramsListWhatTheyHoldAndSaySo) {
    Bytes bytes = Line(10, Text("x"));
    // A line that claims 200 bytes with 3 there, then a variables area with a kind that
    // doesn't exist.
    Append(bytes, {0x00, 0x14, 200, 0, 0xF5, 'y', 'z'});
    const content::BasicListing cut = content::DecodeBasic(bytes, Bytes{0x61, 0, 0, 1, 0, 0, 0x1F});
    ASSERT_EQ(cut.lines.size(), 2U);
    EXPECT_EQ(cut.lines[1].number, 20);
    EXPECT_EQ(cut.lines[1].text, "PRINT yz");
    EXPECT_TRUE(cut.truncated);
    EXPECT_EQ(cut.variables.lines, std::vector<std::string>{"a = 1"});
    EXPECT_TRUE(cut.variables.damaged);
    const std::string text = content::ListingText(cut);
    EXPECT_NE(text.find("# the last line breaks off"), std::string::npos);
    EXPECT_NE(text.find("# the variables break off"), std::string::npos);
}

TEST(BasicListingTest, HeaderlessBytesAreAProgramOnlyWhenTheyParseToTheEnd) {
    Bytes program = Line(10, {0xF5, '1'});
    Append(program, Line(20, {0xFE}));
    const auto view = [](const Bytes& bytes) {
        return content::ChooseView(
            content::MakeFile(DirEntry('H', "h", static_cast<int>(bytes.size())), bytes));
    };
    EXPECT_EQ(view(program), content::View::Basic);
    Bytes withVariables = program;
    Append(withVariables, {0x61, 0, 0, 1, 0, 0, 0x80});
    EXPECT_EQ(view(withVariables), content::View::Basic);
    // Descending numbers, a line without its 0x0D, trailing junk: not a program.
    Bytes descending = Line(20, {0xFE});
    Append(descending, Line(10, {0xFE}));
    EXPECT_EQ(view(descending), content::View::Hex);
    Bytes unterminated = program;
    unterminated[unterminated.size() - 1] = ':';
    EXPECT_EQ(view(unterminated), content::View::Hex);
    Bytes junk = program;
    Append(junk, {0x00, 0x01});
    EXPECT_EQ(view(junk), content::View::Hex);
    EXPECT_EQ(view({}), content::View::Hex);

    // A headerless program lists up to where the ROM sees the lines end.
    const content::BasicListing listing = content::DecodeBasicFile(content::MakeFile(
        DirEntry('H', "h", static_cast<int>(withVariables.size())), withVariables));
    EXPECT_EQ(listing.lines.size(), 2U);
    EXPECT_EQ(listing.variables.lines, std::vector<std::string>{"a = 1"});
}

}  // namespace
