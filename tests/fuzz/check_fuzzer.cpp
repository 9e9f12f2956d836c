// The volume checker and its repairs on any record. Repairing never makes a new finding and
// never changes a file's bytes; a second repair finds nothing left to do. Input: a record as
// fuzzsupport::InputDisk reads it (bits 2-7 of the option byte unused).
#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <tuple>

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
    for (int k = disk::EntryLength(entry) / CMdosDisk::kSectorSize + 1; k > 0; --k) {
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

// The findings of a volume by files and fault, each with its sectors in ascending order.
using FindingIndex = std::multimap<std::tuple<int, int, std::string>, std::vector<int>>;

FindingIndex Indexed(std::vector<check::Finding> findings) {
    FindingIndex index;
    for (check::Finding& finding : findings) {
        std::sort(finding.sectors.begin(), finding.sectors.end());
        index.emplace(std::tuple(finding.slot, finding.otherSlot, std::move(finding.code)),
                      std::move(finding.sectors));
    }
    return index;
}

// Each finding was there before: same fault, same files, and no sector it didn't name.
bool FoundBefore(const FindingIndex& after, const FindingIndex& before) {
    return std::all_of(after.begin(), after.end(), [&](const auto& found) {
        const auto [first, last] = before.equal_range(found.first);
        return std::any_of(first, last, [&](const auto& earlier) {
            return std::includes(earlier.second.begin(), earlier.second.end(), found.second.begin(),
                                 found.second.end());
        });
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
    static fuzzsupport::InputDisk disks;
    CMdosDisk& disk = disks.Read(data, size);

    const std::vector<check::Finding> findings = check::CheckDisk(disk, 0);
    for (const check::Finding& finding : findings) {
        FUZZ_EXPECT(!finding.code.empty() && !finding.message.empty());
    }
    const FindingIndex before = Indexed(findings);
    // Repairs write FAT entries only, and no file is read from other sectors than before: its
    // bytes stay the same.
    static fuzzsupport::Bytes original(CMdosDisk::kRecordSize);
    std::memcpy(original.data(), disk.Record(), CMdosDisk::kRecordSize);
    const std::vector<std::vector<int>> paths = ReadPaths(disk);
    const FindingIndex repairs = Indexed(check::RepairDisk(disk, 0));
    FUZZ_EXPECT(SameOutsideFat(disk, original));
    FUZZ_EXPECT(ReadPaths(disk) == paths);
    // Each repair mends a finding, and no finding is new.
    FUZZ_EXPECT(FoundBefore(repairs, before));
    FUZZ_EXPECT(FoundBefore(Indexed(check::CheckDisk(disk, 0)), before));

    std::memcpy(original.data(), disk.Record(), CMdosDisk::kRecordSize);
    FUZZ_EXPECT(check::RepairDisk(disk, 0).empty());
    FUZZ_EXPECT(std::memcmp(original.data(), disk.Record(), CMdosDisk::kRecordSize) == 0);
    return 0;
}
