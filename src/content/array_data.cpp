#include "content/array_data.h"

#include <algorithm>

#include "content/basic_text.h"
#include "content/spectrum_number.h"
#include "disk/le_bytes.h"

namespace content {

namespace {

// Each dimension's size is a 16-bit number.
constexpr std::size_t kDimensionSize = 2;
// An array of 255 dimensions, each of size 1 but the first, names 255 indices for every element
// it holds in one byte: its text stops at a budget in proportion to its bytes, which a real
// array never reaches.
constexpr std::size_t kTextPerByte = 16;
constexpr std::size_t kTextSlack = 256;

std::string DimensionsText(const std::vector<int>& dimensions) {
    std::string text = "(";
    for (std::size_t i = 0; i < dimensions.size(); ++i) {
        text += (i == 0 ? "" : ",") + std::to_string(dimensions[i]);
    }
    return text + ")";
}

}  // namespace

std::string ArrayData::ElementText(std::size_t index) const {
    if (!characters) {
        return FormatNumber(numbers[index]);
    }
    std::string text;
    AppendCharacter(text, codes[index]);
    return text;
}

std::string ArrayData::IndexText(std::size_t index) const {
    std::vector<int> indices(dimensions.size());
    for (std::size_t d = dimensions.size(); d-- > 0;) {
        const auto size = static_cast<std::size_t>(std::max(dimensions[d], 1));
        indices[d] = static_cast<int>(index % size) + 1;
        index /= size;
    }
    return DimensionsText(indices);
}

std::string ArrayName(unsigned char nameByte, bool characters) {
    const int letter = nameByte & 0x1F;
    std::string name = letter >= 1 && letter <= 26
                           ? std::string(1, static_cast<char>('a' + letter - 1))
                           : std::string("?");
    return characters ? name + "$" : name;
}

std::optional<ArrayData> DecodeArray(std::span<const unsigned char> bytes, bool characters,
                                     const std::string& name) {
    if (bytes.empty()) {
        return std::nullopt;
    }
    const std::size_t count = bytes[0];
    const std::size_t head = 1 + count * kDimensionSize;
    if (count == 0 || bytes.size() < head) {
        return std::nullopt;
    }
    ArrayData array;
    array.name = name;
    array.characters = characters;
    // The product of the dimensions can pass any size; what the bytes hold bounds it first.
    const std::size_t elementSize = characters ? 1 : kNumberSize;
    const std::size_t room = (bytes.size() - head) / elementSize;
    std::size_t promised = 1;
    for (std::size_t d = 0; d < count; ++d) {
        const int size = static_cast<int>(disk::ReadLe16(&bytes[1 + d * kDimensionSize]));
        array.dimensions.push_back(size);
        promised = std::min(promised * static_cast<std::size_t>(size), room + 1);
    }
    const std::size_t held = std::min(promised, room);
    array.truncated = held < promised;
    const unsigned char* element = bytes.data() + head;
    for (std::size_t i = 0; i < held; ++i, element += elementSize) {
        if (characters) {
            array.codes.push_back(*element);
        } else {
            array.numbers.push_back(DecodeNumber(element));
        }
    }
    return array;
}

std::string QuotedText(std::span<const unsigned char> bytes) {
    std::string text = "\"";
    for (const unsigned char byte : bytes) {
        if (byte == '"') {
            text += '"';
        }
        AppendCharacter(text, byte);
    }
    return text + "\"";
}

std::vector<std::string> ArrayLines(const ArrayData& array) {
    std::vector<std::string> lines{"DIM " + array.name + DimensionsText(array.dimensions)};
    const std::size_t bytes =
        array.characters ? array.codes.size() : array.numbers.size() * kNumberSize;
    std::size_t budget = kTextPerByte * bytes + kTextSlack;
    std::size_t listed = 0;
    const auto add = [&lines, &budget](std::string line) {
        if (line.size() > budget) {
            return false;
        }
        budget -= line.size();
        lines.push_back(std::move(line));
        return true;
    };
    if (!array.characters) {
        for (; listed < array.numbers.size(); ++listed) {
            if (!add(array.name + array.IndexText(listed) + " = " + array.ElementText(listed))) {
                break;
            }
        }
    } else {
        // A character array is strings of its last dimension, as BASIC slices it.
        const auto row = static_cast<std::size_t>(std::max(array.dimensions.back(), 1));
        const std::vector<int> outer(array.dimensions.begin(), array.dimensions.end() - 1);
        for (std::size_t start = 0; start < array.codes.size(); start += row) {
            const std::size_t length = std::min(row, array.codes.size() - start);
            std::string index;
            if (!outer.empty()) {
                index = array.IndexText(start);
                index.erase(index.rfind(','));
                index += ')';
            }
            if (!add(array.name + index + " = " +
                     QuotedText({array.codes.data() + start, length}))) {
                break;
            }
            listed = start + length;
        }
    }
    if (listed < array.ElementCount()) {
        lines.push_back("(" + std::to_string(array.ElementCount() - listed) +
                        " more elements not listed)");
    }
    if (array.truncated) {
        lines.push_back("(the bytes end after " + std::to_string(array.ElementCount()) +
                        " elements)");
    }
    return lines;
}

}  // namespace content
