// Arrays as DATA saves them (a file of type N or C) and as the variables area holds them: one
// byte with the number of dimensions, each dimension as a 16-bit size, then the elements with
// the last index running fastest: five bytes a number, one byte a character.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace content {

struct ArrayData {
    // "a" or "a$".
    std::string name;
    bool characters = false;
    std::vector<int> dimensions;
    // The elements the bytes hold, in order; at most what the dimensions promise.
    std::vector<double> numbers;
    std::vector<unsigned char> codes;
    // The bytes ended before the last element the dimensions promise.
    bool truncated = false;

    [[nodiscard]] std::size_t ElementCount() const {
        return characters ? codes.size() : numbers.size();
    }
    // The number, or the character in listing notation.
    [[nodiscard]] std::string ElementText(std::size_t index) const;
    // The indices of an element, 1-based as BASIC counts: "(2,1)".
    [[nodiscard]] std::string IndexText(std::size_t index) const;
};

// The array's letter from the name byte that a tape header keeps in the high byte of its first
// parameter (and the variables area in front of the array): bits 0-4 count from "a".
[[nodiscard]] std::string ArrayName(unsigned char nameByte, bool characters);

// Nothing when the bytes don't even hold their dimensions.
[[nodiscard]] std::optional<ArrayData> DecodeArray(std::span<const unsigned char> bytes,
                                                   bool characters, const std::string& name);

// "DIM a(3,2)", then "a(1,1) = 7" for each number, or a character array's rows as strings:
// "a$(1) = \"text\"" ("a$ = ..." for a single row).
[[nodiscard]] std::vector<std::string> ArrayLines(const ArrayData& array);

// Bytes as a quoted BASIC string: a quote inside is doubled, the rest in listing notation.
[[nodiscard]] std::string QuotedText(std::span<const unsigned char> bytes);

}  // namespace content
