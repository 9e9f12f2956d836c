// The volume checker: every inconsistency of one MDOS volume as a list of findings, and the
// repairs that can't lose data.
//
// A finding names its fault by a stable code (tools match on it, so codes never change):
//   geometry-invalid    tracks outside 1..94 or sectors per track outside 1..10
//   geometry-too-large  the geometry declares more sectors than the record's 1692
//   geometry-mismatch   the geometry disagrees with the FAT, whose reservations and the copy at
//                       0xB6/0xB7 both give another: the volume is checked by the copy
//   system-unreserved   a FAT entry of the system sectors 0..13 is not 0xDDD
//   beyond-unreserved   a FAT entry of a sector the geometry or the record lacks is not 0xDDD
//   data-reserved       data sectors that no file owns are reserved (0xDDD)
//   start-outside       a file's first sector is not a data sector of the volume
//   link-outside        a link of a file's chain leads out of the data sectors
//   chain-loop          a file's chain comes back to a sector it has already passed
//   chain-free          a file's chain runs into a free sector
//   chain-short         a file's chain ends before the L / 512 + 1 sectors its length needs
//   chain-long          a file's chain runs on past the sectors its length needs
//   marker-mismatch     the last sector's entry is not 0xE00 + L % 512
//   cross-link          a sector belongs to the chains of two files (one finding per pair)
//   type-unknown        a type letter other than P, N, C, B, Q, H, S
//   name-duplicate      two files with the same type and name (padding aside)
//   entry-recoverable   a free entry still describes a whole file: one that lost its type byte
//   lost-sector         data sectors marked used that no file owns
//
// Files are named by their slot, the 0-based position of the entry in directory order (sectors
// 6, 8, 10, 12, 7, 9, 11, 13), and by their name: its bytes without the padding. Messages show
// names in quotes with a backslash as "\\" and bytes outside printable ASCII as "\xHH".
//
// Every check reads each FAT entry and each directory entry a bounded number of times, and
// follows each file's chain at most once, so a disk is checked in time linear in the FAT size
// for each file whatever its chains do.
#pragma once

#include <string>
#include <utility>
#include <vector>

class CMdosDisk;

namespace check {

// What mends a finding.
enum class Mend {
    None,      // the user has to decide
    Repair,    // RepairDisk
    Undelete,  // RepairDisk with RepairOptions::undelete
};

struct Finding {
    std::string code;
    int disk = 0;
    int slot = -1;  // -1 when no file is involved
    std::string name;
    int otherSlot = -1;  // the second file of a cross-link or a duplicate
    std::string otherName;
    std::vector<int> sectors;
    // Every number the message gives besides slots and sectors, by a stable key ("length",
    // "needed", "found", "expected", ...).
    std::vector<std::pair<std::string, int>> values;
    Mend mend = Mend::None;
    std::string message;  // one plain sentence
};

// All findings of the disk, in a fixed order: geometry, FAT reservations, each file's chain and
// the files that share its sectors in directory order, the entries' types and names, the free
// entries that still hold a file, then lost sectors. The disk is not changed.
[[nodiscard]] std::vector<Finding> CheckDisk(CMdosDisk& disk, int diskIndex);

struct RepairOptions {
    // Give each recoverable entry back its type byte ('B', or 'Q' past 65535 bytes, as a binary
    // import would), unless its chain meets another recoverable entry's or its name and type
    // are taken.
    bool undelete = false;
};

// Applies the repairs that can't lose data and returns one entry per repair made (its code is
// that of the finding it mends, its message says what was done):
//   - each sound chain (one owner, the right number of sectors) gets the last-sector marker its
//     length gives;
//   - lost sectors are freed, but only when the geometry is sound and every chain of the disk
//     is intact: a broken chain may still lead to them, and freeing would throw away the way
//     back to that data. Reserved sectors and the sectors of recoverable entries are never
//     lost sectors;
//   - with undelete, recoverable entries become files again.
// The files' bytes, as read along their chains, stay the same.
std::vector<Finding> RepairDisk(CMdosDisk& disk, int diskIndex, RepairOptions options = {});

}  // namespace check
