// Whole disk records from short inputs. Every reader of a record looks first at its header, boot
// sector, FAT and directory and then follows chains into the data sectors; an input that had to
// spell out a record byte by byte would seldom reach past the first check. So an input starts
// from one of a few sound records and patches bytes into the parts those readers look at:
//   byte 0      bits 0-1 the area: record header, boot sector, FAT (sectors 1-5) or directory
//               (sectors 6-13); bits 2-7 the record, modulo the number of records
//   bytes 1-2   where in the area, little-endian, modulo the area's size
//   byte 3      how many bytes follow; a patch stops at the end of its area and of the input
//   the bytes
// Patches follow one another to the end of the input.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>

#include "disk/le_bytes.h"
#include "disk/mdos_disk.h"
#include "disk/mdos_format.h"
#include "support/test_bytes.h"

namespace fuzzrecord {

using testbytes::Bytes;

// The records an input starts from.
enum Base : unsigned {
    kZeroBase,   // never formatted: every byte zero
    kEmptyBase,  // a formatted 80 x 9 volume without files
    kFilesBase,  // a standard 94 x 9 volume with files of every type and a hole in the directory
    kSmallBase,  // a 20 x 5 volume, smaller than the record, with a few files
    kBaseCount
};

struct Area {
    std::size_t offset;  // in the record
    std::size_t size;
};

inline constexpr std::size_t kSector = CMdosDisk::kSectorSize;
inline constexpr std::array<Area, 4> kAreas{{
    {0, CMdosDisk::kHeaderSize},
    {CMdosDisk::kHeaderSize + CMdosDisk::kBootSector * kSector, kSector},
    {CMdosDisk::kHeaderSize + CMdosDisk::kFirstFatSector * kSector,
     std::size_t{CMdosDisk::kFatSectorCount} * kSector},
    {CMdosDisk::kHeaderSize + CMdosDisk::kFirstDirSector * kSector,
     std::size_t{CMdosDisk::kDirSectorCount} * kSector},
}};
inline constexpr std::size_t kPatchHead = 4;

namespace detail {

inline void AddFiles(CMdosDisk& disk, const std::initializer_list<Bytes>& entries, int seed) {
    for (const Bytes& entry : entries) {
        const Bytes data = testbytes::Pattern(disk::EntryLength(entry.data()), seed++);
        disk.AddFile(nullptr, entry.data(), data.data(), static_cast<int>(data.size()));
    }
}

inline std::unique_ptr<CMdosDisk> Build(unsigned base) {
    auto disk = std::make_unique<CMdosDisk>();
    if (base == kZeroBase) {
        return disk;
    }
    unsigned char* record = disk->Record();
    std::copy_n("SDOS", CMdosDisk::kSystemMarkSize, record + CMdosDisk::kSystemMarkOffset);
    disk->SetDiskName(base == kEmptyBase ? "empty" : base == kFilesBase ? "files" : "small");
    record[CMdosDisk::kWriteProtectOffset] = '0';
    std::copy_n("seed", 4, record + CMdosDisk::kCommentOffset);
    using testbytes::DirEntry;
    switch (base) {
        case kEmptyBase:
            disk->Format(80, 9, "empty");
            break;
        case kFilesBase:
            disk->Format(94, 9, "files");
            // A program, number and character arrays, a screen, a binary longer than a tape
            // block, an empty file and one headless block; "gone" leaves a hole at slot 1.
            AddFiles(
                *disk,
                {DirEntry('P', "prog", 20, 10, 20), DirEntry('B', "gone", 700),
                 DirEntry('N', "numbers", 18, 0, 0x8100), DirEntry('C', "letters", 8, 0, 0xC200),
                 DirEntry('B', "screen", 6912, 16384, 32768), DirEntry('Q', "large", 70000),
                 DirEntry('B', "nothing", 0), DirEntry('H', "HEADLESS00", 300, 0, 0, 0x0B)},
                1);
            disk->RemoveFile(disk->FirstDirEntry() + CMdosDisk::kDirEntrySize);
            break;
        default:
            disk->Format(20, 5, "small");
            AddFiles(*disk, {DirEntry('B', "one", 1100), DirEntry('P', "two", 100, 1, 1)}, 9);
            break;
    }
    return disk;
}

}  // namespace detail

// The record of base (modulo kBaseCount), built once.
inline const unsigned char* BaseRecord(unsigned base) {
    static const std::array<std::unique_ptr<CMdosDisk>, kBaseCount> records{
        detail::Build(kZeroBase), detail::Build(kEmptyBase), detail::Build(kFilesBase),
        detail::Build(kSmallBase)};
    return records[base % kBaseCount]->Record();
}

// Writes the patches of the input into the records (count of them, at least one).
inline void ApplyPatches(const uint8_t* data, std::size_t size, unsigned char* const* records,
                         std::size_t count) {
    while (size >= kPatchHead) {
        const Area& area = kAreas[data[0] & 3];
        unsigned char* record = records[(data[0] >> 2) % count];
        const std::size_t at = disk::ReadLe16(data + 1) % area.size;
        const std::size_t step = std::min(size, kPatchHead + data[3]);
        std::copy_n(data + kPatchHead, std::min(step - kPatchHead, area.size - at),
                    record + area.offset + at);
        data += step;
        size -= step;
    }
}

// The patches that turn the record from into the record to, both addressed to record index:
// each run of changed bytes in the areas (up to three unchanged bytes may sit inside a run).
// Bytes outside the areas are not compared.
inline Bytes Patches(const unsigned char* from, const unsigned char* to, unsigned index) {
    constexpr std::size_t kLongestPatch = 0xFF;
    constexpr std::size_t kLongestGap = 3;
    Bytes patches;
    for (std::size_t a = 0; a < kAreas.size(); ++a) {
        const unsigned char* was = from + kAreas[a].offset;
        const unsigned char* is = to + kAreas[a].offset;
        for (std::size_t at = 0; at < kAreas[a].size; ++at) {
            if (was[at] == is[at]) {
                continue;
            }
            std::size_t end = at + 1;  // one past the run's last changed byte
            for (std::size_t next = end;
                 next < kAreas[a].size && next - at < kLongestPatch && next - end < kLongestGap + 1;
                 ++next) {
                if (was[next] != is[next]) {
                    end = next + 1;
                }
            }
            patches.push_back(static_cast<unsigned char>(a | index << 2));
            testbytes::Append(patches, testbytes::Le16(static_cast<unsigned>(at)));
            patches.push_back(static_cast<unsigned char>(end - at));
            patches.insert(patches.end(), is + at, is + end);
            at = end - 1;
        }
    }
    return patches;
}

}  // namespace fuzzrecord
