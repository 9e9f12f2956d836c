// TAP blocks and what an import makes of them. A TAP file is a sequence of blocks, each a
// 2-byte little-endian length N and N bytes: a flag byte, N - 2 payload bytes and a checksum
// (the XOR of the flag and the payload). A header block is 19 bytes with flag 0:
//
//   0   1   flag 0x00
//   1   1   tape type: 0 program, 1 number array, 2 character array, 3 bytes
//   2   10  name, blank-padded
//   12  2   data length
//   14  2   parameter 1 (the entry's start field)
//   16  2   parameter 2 (the entry's BASIC field)
//   18  1   checksum
//
// Every tape format reaches a disk as these blocks, so a TZX, a recording or a TAP of one tape
// give the very same files.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "disk/mdos_disk.h"

namespace disk {

inline constexpr int kTapLengthSize = 2;
inline constexpr int kTapBlockOverhead = 2;  // flag and checksum
inline constexpr int kTapMaxBlock = 0xFFFF;
inline constexpr int kTapMaxPayload = kTapMaxBlock - kTapBlockOverhead;
inline constexpr unsigned char kTapHeaderFlag = 0x00;
inline constexpr unsigned char kTapDataFlag = 0xFF;
inline constexpr int kTapHeaderBlockSize = 19;
inline constexpr int kTapHeaderType = 1;
inline constexpr int kTapHeaderName = 2;
inline constexpr int kTapHeaderNameSize = 10;
inline constexpr int kTapHeaderLength = 12;
inline constexpr int kTapHeaderParam1 = 14;
inline constexpr int kTapHeaderParam2 = 16;
inline constexpr int kTapHeaderChecksum = 18;
inline constexpr unsigned char kTypeHeadless = 'H';

// Reads the next block of a TAP stream through read (which returns how many of the asked bytes
// arrived). A block cut short by the end of the stream holds the bytes that arrived. False at
// the end: fewer than 2 length bytes left.
using TapRead = std::function<std::size_t(unsigned char* buffer, std::size_t size)>;
bool ReadTapBlock(const TapRead& read, std::vector<unsigned char>* block);

// Whether a block is a header: flag 0 and exactly 19 bytes. Checksums are never looked at.
[[nodiscard]] bool IsTapHeader(const unsigned char* block, std::size_t size);
// Whether the XOR of all the block's bytes, checksum included, is zero.
[[nodiscard]] bool HasSoundChecksum(const unsigned char* block, std::size_t size);

// The 19 bytes of the header block that names a directory entry on tape.
void BuildTapHeader(unsigned char* block, const unsigned char* entry);

// Pairs the blocks of a tape into files, in tape order: a header waits for the data block after
// it; a data block with no header waiting becomes a headless file HEADLESS00, HEADLESS01, ...;
// a header followed by another header, or by the end of the tape, adds nothing. A block too
// short for a flag and a checksum is passed over.
class TapPairing {
public:
    enum class Role { Header, File, Headless, TooShort };
    // For File and Headless, entry (32 bytes) receives the directory entry that the block's
    // payload (bytes 1 to size - 2) is added under.
    Role Take(const unsigned char* block, std::size_t size, unsigned char* entry);
    // Drops a header still waiting for its data: the data was lost (a block read from a
    // recording failed its checksum), so the header must not name the block after it.
    void Forget() { m_hasPending = false; }

private:
    unsigned char m_pending[CMdosDisk::kDirEntrySize] = {};
    bool m_hasPending = false;
    int m_headlessCount = 0;
};

}  // namespace disk
