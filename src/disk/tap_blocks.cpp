#include "disk/tap_blocks.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "disk/le_bytes.h"
#include "disk/mdos_format.h"

namespace disk {

namespace {

constexpr const char* kTapedAttributes = "RWED";
constexpr unsigned char kTapeTypeBytes = 3;
constexpr char kTapeTypeLetters[] = {'P', 'N', 'C'};  // tape types 0, 1, 2

[[nodiscard]] unsigned char TapeTypeToLetter(unsigned char tapeType) {
    return static_cast<unsigned char>(tapeType < std::size(kTapeTypeLetters)
                                          ? kTapeTypeLetters[tapeType]
                                          : CMdosDisk::kTypeBinary);
}

[[nodiscard]] unsigned char LetterToTapeType(unsigned char letter) {
    const char* end = std::end(kTapeTypeLetters);
    const char* found = std::find(std::begin(kTapeTypeLetters), end, static_cast<char>(letter));
    return found == end ? kTapeTypeBytes
                        : static_cast<unsigned char>(found - std::begin(kTapeTypeLetters));
}

// A tape header becomes a pending directory entry; the data block that follows supplies the data.
void BuildTapedEntry(unsigned char* entry, const unsigned char* block) {
    std::fill_n(entry, CMdosDisk::kDirEntrySize, CMdosDisk::kFreeEntry);
    entry[CMdosDisk::kEntryType] = TapeTypeToLetter(block[kTapHeaderType]);
    std::copy_n(block + kTapHeaderName, CMdosDisk::kEntryNameSize, entry + CMdosDisk::kEntryName);
    // Tape names are blank-padded, MDOS names NUL-padded; a leading blank is part of the name.
    CMdosDisk::ReplaceChar(reinterpret_cast<char*>(entry + CMdosDisk::kEntryName),
                           CMdosDisk::kEntryNameSize, ' ', '\0');
    WriteLe16(entry + CMdosDisk::kEntryLengthLow, ReadLe16(block + kTapHeaderLength));
    entry[CMdosDisk::kEntryLengthHigh] = 0;
    WriteLe16(entry + CMdosDisk::kEntryStart, ReadLe16(block + kTapHeaderParam1));
    WriteLe16(entry + CMdosDisk::kEntryBasic, ReadLe16(block + kTapHeaderParam2));
    CMdosDisk::SetEntryFirstSector(entry, 0);
    entry[CMdosDisk::kEntryReserved] = 0;
    CMdosDisk::SetEntryAttributes(entry, kTapedAttributes);
}

}  // namespace

bool ReadTapBlock(const TapRead& read, std::vector<unsigned char>* block) {
    unsigned char lengthBytes[kTapLengthSize];
    if (read(lengthBytes, kTapLengthSize) < kTapLengthSize) {
        return false;
    }
    block->resize(ReadLe16(lengthBytes));
    block->resize(read(block->data(), block->size()));
    return true;
}

bool IsTapHeader(const unsigned char* block, std::size_t size) {
    return size == kTapHeaderBlockSize && block[0] == kTapHeaderFlag;
}

bool HasSoundChecksum(const unsigned char* block, std::size_t size) {
    unsigned char sum = 0;
    for (std::size_t i = 0; i < size; ++i) {
        sum ^= block[i];
    }
    return sum == 0;
}

void BuildTapHeader(unsigned char* block, const unsigned char* entry) {
    block[0] = kTapHeaderFlag;
    block[kTapHeaderType] = LetterToTapeType(entry[CMdosDisk::kEntryType]);
    std::copy_n(entry + CMdosDisk::kEntryName, CMdosDisk::kEntryNameSize, block + kTapHeaderName);
    CMdosDisk::ReplaceChar(reinterpret_cast<char*>(block + kTapHeaderName),
                           CMdosDisk::kEntryNameSize, '\0', ' ');
    WriteLe16(block + kTapHeaderLength, ReadLe16(entry + CMdosDisk::kEntryLengthLow));
    WriteLe16(block + kTapHeaderParam1, ReadLe16(entry + CMdosDisk::kEntryStart));
    WriteLe16(block + kTapHeaderParam2, ReadLe16(entry + CMdosDisk::kEntryBasic));
    block[kTapHeaderChecksum] = CMdosDisk::XorChecksum(block, kTapHeaderChecksum);
}

TapPairing::Role TapPairing::Take(const unsigned char* block, std::size_t size,
                                  unsigned char* entry) {
    if (size < kTapBlockOverhead) {
        return Role::TooShort;
    }
    // A header replaces one still waiting: only the last header before data names the file.
    if (IsTapHeader(block, size)) {
        BuildTapedEntry(m_pending, block);
        m_hasPending = true;
        return Role::Header;
    }
    // Any other block is data, whatever its flag; neither flag nor checksum is verified.
    if (m_hasPending) {
        std::copy_n(m_pending, CMdosDisk::kDirEntrySize, entry);
        m_hasPending = false;
        return Role::File;
    }
    char name[24];
    std::snprintf(name, sizeof name, "HEADLESS%02X", m_headlessCount++);
    BuildPlainEntry(entry, kTypeHeadless, name, static_cast<int>(size) - kTapBlockOverhead);
    return Role::Headless;
}

}  // namespace disk
