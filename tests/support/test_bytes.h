// The bytes tests build their input from: patterns, little-endian numbers, TAP blocks and
// directory entries. Plain byte vectors, so the engine tests, the checker tests, the fuzz seeds
// and (through a QByteArray copy) the brindle-cli tests all make their files the same way.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "disk/mdos_disk.h"
#include "disk/mdos_format.h"

namespace testbytes {

using Bytes = std::vector<unsigned char>;

// Bytes (i * step + seed) % modulus. The default wraps at 251, so sector boundaries don't line
// up with the pattern and a sector read from the wrong place shows; step and modulus tell
// apart the files of tests that need patterns of another shape.
inline Bytes Pattern(int size, int seed = 0, int step = 1, int modulus = 251) {
    Bytes bytes(static_cast<std::size_t>(size));
    for (int i = 0; i < size; ++i) {
        bytes[static_cast<std::size_t>(i)] =
            static_cast<unsigned char>((i * step + seed) % modulus);
    }
    return bytes;
}

inline Bytes& Append(Bytes& to, const Bytes& more) {
    to.insert(to.end(), more.begin(), more.end());
    return to;
}

inline Bytes Le16(unsigned value) {
    return {static_cast<unsigned char>(value & 0xFF),
            static_cast<unsigned char>(value >> 8 & 0xFF)};
}

// A TAP block exactly as an export writes it: length, flag, payload, XOR of flag and payload.
inline Bytes TapBlock(unsigned char flag, const Bytes& payload) {
    Bytes block = Le16(static_cast<unsigned>(payload.size() + 2));
    block.push_back(flag);
    Append(block, payload);
    block.push_back(CMdosDisk::XorChecksum(block.data() + 2, static_cast<int>(payload.size() + 1)));
    return block;
}

// A header block: the type, the name blank-padded to 10 bytes, the data length and the two
// parameters (start and BASIC line, or array name).
inline Bytes TapHeader(unsigned char type, const char* name, unsigned length, unsigned p1,
                       unsigned p2) {
    Bytes payload{type};
    const std::string padded = (std::string(name) + "          ").substr(0, 10);
    payload.insert(payload.end(), padded.begin(), padded.end());
    for (const unsigned v : {length, p1, p2}) {
        Append(payload, Le16(v));
    }
    return TapBlock(0x00, payload);
}

// A directory entry to give CMdosDisk::AddFile: the name NUL-padded, the length, start, BASIC
// line and attribute bits as given, the reserved byte zero and every other byte 0xE5.
inline Bytes DirEntry(unsigned char type, const char* name, int length, unsigned start = 0,
                      unsigned basic = 32767, unsigned char attributes = 0x0F) {
    Bytes entry(CMdosDisk::kDirEntrySize, CMdosDisk::kFreeEntry);
    entry[CMdosDisk::kEntryType] = type;
    std::fill_n(&entry[CMdosDisk::kEntryName], CMdosDisk::kEntryNameSize, 0);
    std::memcpy(&entry[CMdosDisk::kEntryName], name,
                std::min<std::size_t>(std::strlen(name), CMdosDisk::kEntryNameSize));
    disk::SetEntryLength(entry.data(), length);
    std::copy_n(Le16(start).begin(), 2, &entry[CMdosDisk::kEntryStart]);
    std::copy_n(Le16(basic).begin(), 2, &entry[CMdosDisk::kEntryBasic]);
    entry[CMdosDisk::kEntryReserved] = 0;
    entry[CMdosDisk::kEntryAttributes] = attributes;
    return entry;
}

}  // namespace testbytes
