// Every decoder takes any bytes and any entry: random and cut-down files decode without a fault
// (the sanitizer builds watch) and with output in proportion to the input.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "content/file_content.h"
#include "content/hex_dump.h"
#include "content/screen_picture.h"
#include "content_fixtures.h"

namespace {

using contenttest::Bytes;

std::size_t ArrayTextSize(const content::ArrayData& array) {
    std::size_t size = 0;
    for (const std::string& line : content::ArrayLines(array)) {
        size += line.size() + 1;
    }
    return size;
}

void DecodeEveryWay(const content::FileContent& file) {
    const std::size_t size = file.bytes.size();
    const content::View chosen = content::ChooseView(file);
    EXPECT_TRUE(chosen == content::View::Basic || chosen == content::View::Screen ||
                chosen == content::View::Array || chosen == content::View::Hex);
    const std::size_t bound = content::kTextPerByte * size + content::kTextSlack;
    EXPECT_LE(content::ListingText(content::DecodeBasicFile(file)).size(), bound);
    if (const auto array = content::DecodeArrayFile(file)) {
        EXPECT_LE(ArrayTextSize(*array), bound);
    }
    EXPECT_EQ(content::DecodeScreen(file.Bytes()).pixels.size(), 256U * 192U);
    EXPECT_LE(content::HexDump(file.Bytes()).size(), bound);
}

TEST(ContentRobustnessTest, RandomFilesOfEveryTypeDecodeEveryWay) {
    std::mt19937 random(20261209);
    const unsigned char types[] = {'P', 'N', 'C', 'B', 'H', 'Q', 0x00, 0xFF};
    for (int round = 0; round < 400; ++round) {
        Bytes entry(32);
        for (unsigned char& byte : entry) {
            byte = static_cast<unsigned char>(random());
        }
        entry[0] = types[round % 8];
        Bytes bytes(random() % 9000);
        for (unsigned char& byte : bytes) {
            // Mostly small values, so that lines, lengths and variable kinds often parse.
            byte = static_cast<unsigned char>(round % 2 == 0 ? random() : random() % 20);
        }
        DecodeEveryWay(content::MakeFile(entry, bytes));
    }
}

// 255 dimensions of size 1 after a first of 60000: every character of the array would name
// 255 indices, hundreds of characters of text for each byte.
TEST(ContentRobustnessTest, ArraysOfManyDimensionsStopAtTheirBudget) {
    Bytes bytes{255, 0x60, 0xEA};
    for (int d = 1; d < 255; ++d) {
        testbytes::Append(bytes, {1, 0});
    }
    bytes.resize(bytes.size() + 5000, 'x');
    const auto array = content::DecodeArray(bytes, true, "a$");
    ASSERT_TRUE(array.has_value());
    EXPECT_EQ(array->ElementCount(), 5000U);
    EXPECT_LE(ArrayTextSize(*array), content::kTextPerByte * bytes.size() + content::kTextSlack);
    const std::vector<std::string> lines = content::ArrayLines(*array);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("more elements not listed") != std::string::npos;
    }));
}

TEST(ContentRobustnessTest, EveryCutOfARealProgramDecodes) {
    const content::FileContent program = contenttest::ProgramFromTape("program.tap");
    for (std::size_t size = 0; size <= program.bytes.size(); ++size) {
        DecodeEveryWay(content::MakeFile(
            program.entry, std::span<const unsigned char>(program.bytes).first(size)));
    }
}

}  // namespace
