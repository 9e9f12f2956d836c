#include <gtest/gtest.h>

#include <cmath>

#include "content/array_data.h"
#include "content/file_content.h"
#include "content/hex_dump.h"
#include "content/spectrum_number.h"
#include "content_fixtures.h"

namespace {

using contenttest::Bytes;
using testbytes::Append;
using testbytes::DirEntry;

TEST(SpectrumNumberTest, DecodesBothFormsAndPrintsAsTheMachineDoes) {
    const struct {
        Bytes bytes;
        double value;
        const char* text;
    } cases[] = {
        {{0x00, 0x00, 0x39, 0x30, 0x00}, 12345, "12345"},  // small integer
        {{0x00, 0xFF, 0x00, 0xFF, 0x00}, -256, "-256"},    // negative small integer
        {{0x00, 0x00, 0xFF, 0xFF, 0x00}, 65535, "65535"},
        {{0x80, 0x00, 0x00, 0x00, 0x00}, 0.5, "0.5"},     // floating, mantissa 0.1b
        {{0x80, 0x80, 0x00, 0x00, 0x00}, -0.5, "-0.5"},   // the mantissa's top bit: sign
        {{0x82, 0x50, 0x00, 0x00, 0x00}, 3.25, "3.25"},   // 0.1101b x 2^2
        {{0xA2, 0x15, 0x02, 0xF9, 0x00}, 1e10, "1E+10"},  // 10^10 = 0x2540BE400
        {{0x70, 0x27, 0xC5, 0xAC, 0x47}, 1e-5, "1E-5"},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(content::DecodeNumber(c.bytes.data()), c.value, std::abs(c.value) * 1e-9)
            << c.text;
        EXPECT_EQ(content::FormatNumber(c.value), c.text);
    }
    EXPECT_EQ(content::FormatNumber(-2.25), "-2.25");
    EXPECT_EQ(content::FormatNumber(3.2e30), "3.2E+30");
}

Bytes NumberArrayBytes() {
    // DIM a(2,3): 1, -1, 0.5, 3.25, 65535, -256
    Bytes bytes{2, 2, 0, 3, 0};
    Append(bytes, {0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00});
    Append(bytes, {0x80, 0x00, 0x00, 0x00, 0x00, 0x82, 0x50, 0x00, 0x00, 0x00});
    Append(bytes, {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00});
    return bytes;
}

TEST(ArrayDataTest, NumberArrayFilesListEveryElementByIndex) {
    const Bytes bytes = NumberArrayBytes();
    // The tape header keeps the name byte (100 00001: number array "a") in parameter 1's high
    // byte, which TAP import puts into the start field.
    const content::FileContent file =
        content::MakeFile(DirEntry('N', "nums", static_cast<int>(bytes.size()), 0x8100), bytes);
    EXPECT_EQ(content::ChooseView(file), content::View::Array);
    const std::optional<content::ArrayData> array = content::DecodeArrayFile(file);
    ASSERT_TRUE(array.has_value());
    EXPECT_EQ(array->dimensions, (std::vector<int>{2, 3}));
    EXPECT_FALSE(array->truncated);
    EXPECT_EQ(content::ArrayLines(*array),
              (std::vector<std::string>{"DIM a(2,3)", "a(1,1) = 1", "a(1,2) = -1", "a(1,3) = 0.5",
                                        "a(2,1) = 3.25", "a(2,2) = 65535", "a(2,3) = -256"}));
}

TEST(ArrayDataTest, CharacterArrayFilesListTheirRowsAsStrings) {
    const Bytes bytes{2, 2, 0, 4, 0, 'a', '"', 'b', 0x90, 'x', 'y', 'z', 0x7F};
    const content::FileContent file =
        content::MakeFile(DirEntry('C', "chars", static_cast<int>(bytes.size()), 0xC200), bytes);
    EXPECT_EQ(content::ChooseView(file), content::View::Array);
    const std::optional<content::ArrayData> array = content::DecodeArrayFile(file);
    ASSERT_TRUE(array.has_value());
    EXPECT_EQ(
        content::ArrayLines(*array),
        (std::vector<std::string>{"DIM b$(2,4)", "b$(1) = \"a\"\"b\\a\"", "b$(2) = \"xyz\\*\""}));
    EXPECT_EQ(array->ElementText(3), "\\a");
    EXPECT_EQ(array->IndexText(5), "(2,2)");

    const Bytes row{1, 3, 0, 'a', 'b', 'c'};
    EXPECT_EQ(content::ArrayLines(*content::DecodeArray(row, true, "z$")),
              (std::vector<std::string>{"DIM z$(3)", "z$ = \"abc\""}));
}

TEST(ArrayDataTest, ShortOrOverpromisingBytesGiveWhatTheyHold) {
    Bytes cut = NumberArrayBytes();
    cut.resize(cut.size() - 3);
    const std::optional<content::ArrayData> array = content::DecodeArray(cut, false, "a");
    ASSERT_TRUE(array.has_value());
    EXPECT_TRUE(array->truncated);
    EXPECT_EQ(array->ElementCount(), 5U);
    EXPECT_EQ(content::ArrayLines(*array).back(), "(the bytes end after 5 elements)");

    // Dimensions whose product is far beyond the bytes: bounded by the bytes, not the product.
    const Bytes huge{3, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'};
    const std::optional<content::ArrayData> big = content::DecodeArray(huge, true, "h$");
    ASSERT_TRUE(big.has_value());
    EXPECT_EQ(big->ElementCount(), 2U);
    EXPECT_TRUE(big->truncated);

    EXPECT_FALSE(content::DecodeArray(Bytes{}, false, "a").has_value());
    EXPECT_FALSE(content::DecodeArray(Bytes{0}, false, "a").has_value());
    EXPECT_FALSE(content::DecodeArray(Bytes{2, 1, 0, 1}, false, "a").has_value());
    // A zero dimension holds nothing.
    const std::optional<content::ArrayData> none = content::DecodeArray(Bytes{1, 0, 0}, false, "a");
    ASSERT_TRUE(none.has_value());
    EXPECT_EQ(none->ElementCount(), 0U);
    EXPECT_FALSE(none->truncated);
}

TEST(HexDumpTest, RowsShowOffsetBytesAndAscii) {
    Bytes bytes;
    for (unsigned char c = 'A'; c <= 'Q'; ++c) {
        bytes.push_back(c);
    }
    bytes[1] = 0x7F;
    bytes[2] = 0x1F;
    const std::string expected =
        "000000  41 7F 1F 44 45 46 47 48  49 4A 4B 4C 4D 4E 4F 50  A..DEFGHIJKLMNOP\n"
        "000010  51" +
        std::string(7 * 3 + 1 + 8 * 3, ' ') + "  Q\n";
    EXPECT_EQ(content::HexDump(bytes), expected);
    EXPECT_EQ(content::HexDump({}), "");
    // The offsets of a file as long as an entry may say.
    EXPECT_EQ(content::HexRow(0xFFFFF0, Bytes{0}).substr(0, 9), "FFFFF0  0");
}

}  // namespace
