// The facts of the MDOS format and of this program's standard disks that more than one layer
// needs: the geometry a volume may declare, the disks the program makes, a directory entry's
// 24-bit length, and how names are told and shown. Each is written here once; the window, the
// checker and brindle-cli ask this header instead of keeping their own copy.
#pragma once

#include <string>

#include "disk/mdos_disk.h"

namespace disk {

// A volume has 1 to 94 tracks a side and 1 to 10 sectors a track.
inline constexpr int kMinTracks = 1;
inline constexpr int kMaxTracks = 94;
inline constexpr int kMinSectorsPerTrack = 1;
inline constexpr int kMaxSectorsPerTrack = 10;

// Formatting writes the geometry twice: at 0xB2/0xB3, which is what every reader goes by, and
// again at 0xB6/0xB7. The copy is never read to lay out a volume, only as a witness when the
// first pair looks wrong.
inline constexpr int kBootTracksCopy = 0xB6;
inline constexpr int kBootSectorsPerTrackCopy = 0xB7;

// A floppy has two sides, so a geometry declares tracks x sectors per track x 2 sectors.
[[nodiscard]] constexpr int GeometrySectors(int tracks, int sectorsPerTrack) {
    return tracks * sectorsPerTrack * 2;
}

[[nodiscard]] constexpr bool GeometryInRange(int tracks, int sectorsPerTrack) {
    return tracks >= kMinTracks && tracks <= kMaxTracks && sectorsPerTrack >= kMinSectorsPerTrack &&
           sectorsPerTrack <= kMaxSectorsPerTrack;
}

// The ranges above admit 94 x 10, but a record stores only 1692 sectors: a volume whose sectors
// don't all fit would hand out sectors that exist nowhere. Every geometry a command formats, and
// every geometry the checker accepts, is in range and fits (at most 84 tracks of 10 sectors).
[[nodiscard]] constexpr bool GeometryFitsRecord(int tracks, int sectorsPerTrack) {
    return GeometryInRange(tracks, sectorsPerTrack) &&
           GeometrySectors(tracks, sectorsPerTrack) <= CMdosDisk::kSectorCount;
}

// The standard disk: what "Add New" makes, and the geometry a tape or D80 disk is formatted
// with before its files arrive.
inline constexpr int kStandardTracks = 94;
inline constexpr int kStandardSectorsPerTrack = 9;
inline constexpr char kStandardVolumeName[] = "empty_disk";
inline constexpr char kTapeVolumeName[] = "tapeimport";

// The part of a record that holds the header and the volume's boot sector, FAT and directory:
// all that listing files, counting free space or checking a volume looks at.
inline constexpr int kVolumeHeadSize =
    CMdosDisk::kHeaderSize + CMdosDisk::kFirstDataSector * CMdosDisk::kSectorSize;

// A file's length: 16 bits at kEntryLengthLow and the high 8 at kEntryLengthHigh.
[[nodiscard]] int EntryLength(const unsigned char* entry);
void SetEntryLength(unsigned char* entry, int length);

// The entry of a file that arrives without one of its own (a host file, a tape block without a
// header): type, name and length as given, start 0, BASIC 0x7FFF, attributes RWD.
void BuildPlainEntry(unsigned char* entry, unsigned char type, const char* name, int length);

// Formats a disk as every disk made from a tape starts: standard geometry, volume "tapeimport".
void FormatAsTapeDisk(CMdosDisk& disk);

// The bytes of a fixed-width name without their padding (trailing NUL and blank bytes).
[[nodiscard]] std::string TrimPadding(const unsigned char* bytes, int size);
// Name bytes as a terminal may show them: printable ASCII stands for itself, a backslash is
// "\\" and every other byte "\xHH".
[[nodiscard]] std::string EscapeName(const std::string& bytes);

// A disk's label as the window shows it: the record's 32-byte disk name without the blanks at
// its end, up to its first NUL. Every front end names disks by it.
[[nodiscard]] std::string DiskLabel(const unsigned char* record);

}  // namespace disk
