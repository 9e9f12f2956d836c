#include "content/variables.h"

#include "content/array_data.h"
#include "content/spectrum_number.h"
#include "disk/le_bytes.h"

namespace content {

namespace {

constexpr unsigned char kEndMarker = 0x80;

enum Kind : unsigned char {
    kString = 2,
    kNumber = 3,
    kNumberArray = 4,
    kLongNumber = 5,
    kCharacterArray = 6,
    kForLoop = 7,
};

constexpr std::size_t kLengthSize = 2;
// Value, limit and step, then the line and the statement the loop goes back to.
constexpr std::size_t kForLoopSize = 3 * kNumberSize + 2 + 1;

char Letter(unsigned char byte) {
    const int letter = byte & 0x1F;
    return letter >= 1 && letter <= 26 ? static_cast<char>('a' + letter - 1) : '?';
}

// Reads variables one by one from a cursor that never passes the end.
class Reader {
public:
    explicit Reader(std::span<const unsigned char> bytes) : m_bytes(bytes) {}

    Variables Read() {
        Variables result;
        while (m_pos < m_bytes.size() && m_bytes[m_pos] != kEndMarker) {
            if (!ReadOne(result.lines)) {
                result.damaged = true;
                break;
            }
        }
        if (!result.damaged && m_pos < m_bytes.size()) {
            ++m_pos;  // the end marker
        }
        result.used = m_pos;
        return result;
    }

private:
    [[nodiscard]] bool Has(std::size_t count) const { return m_bytes.size() - m_pos >= count; }
    const unsigned char* Take(std::size_t count) {
        const unsigned char* p = m_bytes.data() + m_pos;
        m_pos += count;
        return p;
    }

    bool ReadOne(std::vector<std::string>& lines) {
        const unsigned char head = *Take(1);
        std::string name(1, Letter(head));
        switch (head >> 5) {
            case kNumber:
                return ReadNumber(name, lines);
            case kLongNumber:
                while (Has(1)) {
                    const unsigned char c = *Take(1);
                    name += static_cast<char>(c & 0x7F);
                    if ((c & 0x80) != 0) {
                        return ReadNumber(name, lines);
                    }
                }
                return false;
            case kString: {
                if (!Has(kLengthSize)) {
                    return false;
                }
                const std::size_t length = disk::ReadLe16(Take(kLengthSize));
                if (!Has(length)) {
                    return false;
                }
                lines.push_back(name + "$ = " + QuotedText({Take(length), length}));
                return true;
            }
            case kNumberArray:
            case kCharacterArray:
                return ReadArray(name, head >> 5 == kCharacterArray, lines);
            case kForLoop: {
                if (!Has(kForLoopSize)) {
                    return false;
                }
                const unsigned char* p = Take(kForLoopSize);
                lines.push_back(name + " = " + FormatNumber(DecodeNumber(p)) + " (FOR loop TO " +
                                FormatNumber(DecodeNumber(p + kNumberSize)) + " STEP " +
                                FormatNumber(DecodeNumber(p + 2 * kNumberSize)) +
                                ", back to line " +
                                std::to_string(disk::ReadLe16(p + 3 * kNumberSize)) +
                                " statement " + std::to_string(p[3 * kNumberSize + 2]) + ")");
                return true;
            }
            default:
                return false;
        }
    }

    bool ReadNumber(const std::string& name, std::vector<std::string>& lines) {
        if (!Has(kNumberSize)) {
            return false;
        }
        lines.push_back(name + " = " + FormatNumber(DecodeNumber(Take(kNumberSize))));
        return true;
    }

    bool ReadArray(const std::string& name, bool characters, std::vector<std::string>& lines) {
        if (!Has(kLengthSize)) {
            return false;
        }
        const std::size_t length = disk::ReadLe16(Take(kLengthSize));
        if (!Has(length)) {
            return false;
        }
        const std::optional<ArrayData> array =
            DecodeArray({Take(length), length}, characters, characters ? name + "$" : name);
        if (!array) {
            return false;
        }
        const std::vector<std::string> text = ArrayLines(*array);
        lines.insert(lines.end(), text.begin(), text.end());
        return !array->truncated;
    }

    std::span<const unsigned char> m_bytes;
    std::size_t m_pos = 0;
};

}  // namespace

Variables DecodeVariables(std::span<const unsigned char> bytes) {
    return Reader(bytes).Read();
}

}  // namespace content
