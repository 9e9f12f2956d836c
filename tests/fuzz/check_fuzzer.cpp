// The volume checker and its repairs on any record. Repairing never makes a new finding and
// never changes a file's bytes; a second repair finds nothing left to do. Input: the record's
// first bytes; the rest of the record is zero.
#include <algorithm>
#include <cstring>

#include "fuzz_support.h"

namespace {

// The sectors a file's bytes are read from, in order: its chain for as many sectors as its
// length needs, up to where it leaves the record or comes back to a sector already passed
// (from there on the walk repeats itself).
std::vector<int> ReadPath(CMdosDisk& disk, unsigned char* entry) {
    const unsigned char* fat = disk.GetSector(CMdosDisk::kFirstFatSector);
    std::vector<bool> passed(CMdosDisk::kSectorCount, false);
    std::vector<int> path;
    int s = disk.GetEntryFirstSector(entry);
    for (int k = fuzzsupport::EntryLength(entry) / CMdosDisk::kSectorSize + 1; k > 0; --k) {
        path.push_back(s);
        if (s < 0 || s >= CMdosDisk::kSectorCount || passed[s]) {
            break;
        }
        passed[s] = true;
        s = disk.GetFatEntry(fat, s);
    }
    return path;
}

std::vector<std::vector<int>> ReadPaths(CMdosDisk& disk) {
    std::vector<std::vector<int>> paths;
    for (unsigned char* e : fuzzsupport::UsedEntries(disk)) {
        paths.push_back(ReadPath(disk, e));
    }
    return paths;
}

// Findings with their sectors in ascending order, to be compared as sets.
std::vector<check::Finding> Sorted(std::vector<check::Finding> findings) {
    for (check::Finding& finding : findings) {
        std::sort(finding.sectors.begin(), finding.sectors.end());
    }
    return findings;
}

// The finding was there before: same fault, same files, and no sector it didn't name.
bool FoundBefore(const check::Finding& after, const std::vector<check::Finding>& before) {
    return std::any_of(before.begin(), before.end(), [&](const check::Finding& f) {
        return f.code == after.code && f.slot == after.slot && f.otherSlot == after.otherSlot &&
               std::includes(f.sectors.begin(), f.sectors.end(), after.sectors.begin(),
                             after.sectors.end());
    });
}

bool SameOutsideFat(CMdosDisk& disk, const fuzzsupport::Bytes& record) {
    const std::size_t fatStart =
        CMdosDisk::kHeaderSize + CMdosDisk::kFirstFatSector * CMdosDisk::kSectorSize;
    const std::size_t fatEnd =
        CMdosDisk::kHeaderSize + CMdosDisk::kFirstDirSector * CMdosDisk::kSectorSize;
    return std::equal(record.begin(), record.begin() + fatStart, disk.Record()) &&
           std::equal(record.begin() + fatEnd, record.end(), disk.Record() + fatEnd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzzsupport::ReusedDisk disks(0);
    CMdosDisk& disk = disks.Fresh();
    std::memcpy(disk.Record(), data, std::min<std::size_t>(size, CMdosDisk::kRecordSize));

    const std::vector<check::Finding> before = Sorted(check::CheckDisk(disk, 0));
    for (const check::Finding& finding : before) {
        FUZZ_EXPECT(!finding.code.empty() && !finding.message.empty());
    }
    // Repairs write FAT entries only, and no file is read from other sectors than before: its
    // bytes stay the same.
    const fuzzsupport::Bytes original(disk.Record(), disk.Record() + CMdosDisk::kRecordSize);
    const std::vector<std::vector<int>> paths = ReadPaths(disk);
    const std::vector<check::Finding> repairs = Sorted(check::RepairDisk(disk, 0));
    FUZZ_EXPECT(SameOutsideFat(disk, original));
    FUZZ_EXPECT(ReadPaths(disk) == paths);
    // Each repair mends a finding.
    for (const check::Finding& repair : repairs) {
        FUZZ_EXPECT(FoundBefore(repair, before));
    }
    for (const check::Finding& finding : Sorted(check::CheckDisk(disk, 0))) {
        FUZZ_EXPECT(FoundBefore(finding, before));
    }

    const fuzzsupport::Bytes repaired(disk.Record(), disk.Record() + CMdosDisk::kRecordSize);
    FUZZ_EXPECT(check::RepairDisk(disk, 0).empty());
    FUZZ_EXPECT(std::equal(repaired.begin(), repaired.end(), disk.Record()));
    return 0;
}
