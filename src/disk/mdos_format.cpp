#include "disk/mdos_format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "disk/le_bytes.h"

namespace disk {

int EntryLength(const unsigned char* entry) {
    return static_cast<int>(ReadLe16(entry + CMdosDisk::kEntryLengthLow) |
                            static_cast<unsigned>(entry[CMdosDisk::kEntryLengthHigh]) << 16);
}

void SetEntryLength(unsigned char* entry, int length) {
    const auto value = static_cast<unsigned>(length);
    WriteLe16(entry + CMdosDisk::kEntryLengthLow, value & 0xFFFF);
    entry[CMdosDisk::kEntryLengthHigh] = static_cast<unsigned char>((value >> 16) & 0xFF);
}

void BuildPlainEntry(unsigned char* entry, unsigned char type, const char* name, int length) {
    constexpr unsigned kBinaryBasic = 0x7FFF;
    std::fill_n(entry, CMdosDisk::kDirEntrySize, CMdosDisk::kFreeEntry);
    entry[CMdosDisk::kEntryType] = type;
    CMdosDisk::SetEntryName(entry, name);
    SetEntryLength(entry, length);
    WriteLe16(entry + CMdosDisk::kEntryStart, 0);
    WriteLe16(entry + CMdosDisk::kEntryBasic, kBinaryBasic);
    CMdosDisk::SetEntryFirstSector(entry, 0);
    entry[CMdosDisk::kEntryReserved] = 0;
    CMdosDisk::SetEntryAttributes(entry, "RWD");
}

void FormatAsTapeDisk(CMdosDisk& disk) {
    disk.Format(kStandardTracks, kStandardSectorsPerTrack, kTapeVolumeName);
}

std::string TrimPadding(const unsigned char* bytes, int size) {
    while (size > 0 && (bytes[size - 1] == 0 || bytes[size - 1] == ' ')) {
        --size;
    }
    return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
}

std::string EscapeName(const std::string& bytes) {
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\\') {
            text += "\\\\";
        } else if (byte >= 0x20 && byte <= 0x7E) {
            text += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        }
    }
    return text;
}

std::string DiskLabel(const unsigned char* record) {
    // The field is blank-padded: the blanks at its very end go. A NUL inside it ends the name
    // as the window's text does, whatever blanks come before it.
    const unsigned char* name = record + CMdosDisk::kDiskNameOffset;
    int size = CMdosDisk::kDiskNameSize;
    while (size > 0 && name[size - 1] == ' ') {
        --size;
    }
    const void* nul = std::memchr(name, 0, static_cast<std::size_t>(size));
    if (nul != nullptr) {
        size = static_cast<int>(static_cast<const unsigned char*>(nul) - name);
    }
    return std::string(reinterpret_cast<const char*>(name), static_cast<std::size_t>(size));
}

}  // namespace disk
