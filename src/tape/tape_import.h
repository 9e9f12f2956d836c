// Tapes of any format onto a disk: the blocks of tape_file.h go through the very rules of
// ImportTap (disk/tap_blocks.h), so every format of one tape gives the same files.
#pragma once

#include <string>
#include <vector>

#include "disk/mdos_disk.h"
#include "tape/tape_file.h"

namespace tape {

// What an import makes of one block of a tape.
struct BlockPlan {
    enum class Use { File, Header, Headless, Skipped };
    Use use = Use::Skipped;
    // File and Headless: the entry the block's payload is added under.
    unsigned char entry[CMdosDisk::kDirEntrySize] = {};
    std::string reason;  // why a block is skipped
};
[[nodiscard]] std::vector<BlockPlan> PlanImport(const Tape& tape);

// Adds the tape's files to the disk. Returns the numbers (from 1, in tape order) of the blocks
// read from pulses that were left out because their checksum fails.
std::vector<int> ImportTape(CMdosDisk& disk, const Tape& tape);

// "2 blocks of game.wav failed their checksum and were left out: 3, 7."
[[nodiscard]] std::string LeftOutText(const std::string& name, const std::vector<int>& blocks);

// The window's commands on a tape file of any format: the import adds its files to the disk,
// the replace formats the disk as a tape disk first. A plain TAP goes to the engine's ImportTap
// as it stands (after the format), so it says nothing when the file doesn't open. Another tape
// is read first: one that can't be read is named in a stop message and the disk stays as it
// was. Blocks left out are named in a message too.
void ImportTapeFile(CMdosDisk& disk, const char* path);
void ReplaceWithTapeFile(CMdosDisk& disk, const char* path);

}  // namespace tape
