// Damage that looks like free space or lost sectors but is a file or the volume's own layout:
// a repair must keep every sector of it, and say which files share what.
#include <algorithm>
#include <map>

#include "check/finding_codes.h"
#include "check/volume_check.h"
#include "disk/disk_test_support.h"
#include "disk/mdos_format.h"

namespace {

using check::CheckDisk;
using check::Finding;
using check::Mend;
using check::RepairDisk;
using checktest::Codes;
using checktest::Strings;
using disktest::AddPattern;
using disktest::Bytes;
using disktest::Fat;
using disktest::FileData;
using disktest::Pattern;

Bytes Record(CMdosDisk& disk) {
    return Bytes(disk.Record(), disk.Record() + CMdosDisk::kRecordSize);
}

int Value(const Finding& finding, const std::string& key) {
    for (const auto& [name, value] : finding.values) {
        if (name == key) {
            return value;
        }
    }
    ADD_FAILURE() << finding.code << " has no " << key;
    return -1;
}

// "a" (1100 bytes, sectors 14-16), "b" (100, 17) and "c" (600, 18-19) at slots 0-2.
struct Volume {
    Volume(int tracks = 94, int sectors = 9) : disk(std::make_unique<CMdosDisk>()) {
        disk->Format(tracks, sectors, "v");
        file[0] = AddPattern(*disk, "a", 1100);
        file[1] = AddPattern(*disk, "b", 100, 1);
        file[2] = AddPattern(*disk, "c", 600, 2);
    }
    void Fat(int index, int value) {
        disk->SetFatEntry(disk->GetSector(CMdosDisk::kFirstFatSector), index, value);
    }
    unsigned char* Boot() { return disk->GetSector(CMdosDisk::kBootSector); }

    std::unique_ptr<CMdosDisk> disk;
    unsigned char* file[3] = {};
};

// Byte 0 of a used entry flipped to 0xE5: the chain is whole, so it is a file that lost its
// type, not a deleted one (a delete fills all 32 bytes). Its sectors are never lost sectors.
TEST(RecoverableEntryTest, ARepairKeepsTheSectorsAndOnlyUndeleteRestoresTheType) {
    Volume v;
    v.file[0][CMdosDisk::kEntryType] = CMdosDisk::kFreeEntry;
    v.Fat(300, 0xE00);  // a lost sector of no entry's: still freed
    const std::vector<Finding> found = CheckDisk(*v.disk, 0);
    ASSERT_EQ(Codes(found), (Strings{"entry-recoverable", "lost-sector"}));
    EXPECT_EQ(found[0].slot, 0);
    EXPECT_EQ(found[0].sectors, (std::vector<int>{14, 15, 16}));
    EXPECT_EQ(found[0].mend, Mend::Undelete);
    EXPECT_EQ(Value(found[0], "length"), 1100);
    EXPECT_EQ(found[1].sectors, std::vector<int>{300});
    EXPECT_EQ(found[1].mend, Mend::Repair);

    EXPECT_EQ(Codes(RepairDisk(*v.disk, 0)), Strings{"lost-sector"});
    EXPECT_EQ(Fat(*v.disk, 300), 0);
    EXPECT_EQ(Fat(*v.disk, 14), 15);
    EXPECT_EQ(Fat(*v.disk, 16), 0xE4C);
    EXPECT_EQ(Codes(CheckDisk(*v.disk, 0)), Strings{"entry-recoverable"});

    const std::vector<Finding> undone = RepairDisk(*v.disk, 0, {.undelete = true});
    EXPECT_EQ(Codes(undone), Strings{"entry-recoverable"});
    EXPECT_EQ(v.file[0][CMdosDisk::kEntryType], 'B');
    EXPECT_EQ(FileData(*v.disk, v.file[0], 1100), Pattern(1100));
    EXPECT_TRUE(CheckDisk(*v.disk, 0).empty());
}

// A file past 65535 bytes gets 'Q', as a binary import would have made it.
TEST(RecoverableEntryTest, ALongFileComesBackAsTypeQ) {
    Volume v;
    unsigned char* big = AddPattern(*v.disk, "big", 70000, 4);
    big[CMdosDisk::kEntryType] = CMdosDisk::kFreeEntry;
    RepairDisk(*v.disk, 0, {.undelete = true});
    EXPECT_EQ(big[CMdosDisk::kEntryType], 'Q');
    EXPECT_TRUE(CheckDisk(*v.disk, 0).empty());
}

// What is not a whole file stays free space or lost sectors; what would clash is not restored.
TEST(RecoverableEntryTest, OnlyAWholeUnclaimedChainIsRecoverable) {
    Volume v;
    // A copy of "b"'s entry, freed: its sector belongs to "b", so it is a trace, not a file.
    unsigned char* trace = v.file[2] + 2 * CMdosDisk::kDirEntrySize;
    std::copy_n(v.file[1], CMdosDisk::kDirEntrySize, trace);
    trace[CMdosDisk::kEntryType] = CMdosDisk::kFreeEntry;
    EXPECT_TRUE(CheckDisk(*v.disk, 0).empty());

    // A length that disagrees with the marker: not sound, so its sector is lost as before.
    v.file[2][CMdosDisk::kEntryType] = CMdosDisk::kFreeEntry;
    disk::SetEntryLength(v.file[2], 601);
    EXPECT_EQ(Codes(CheckDisk(*v.disk, 0)), Strings{"lost-sector"});

    // Sound again, but "b" is named "c" by now: restoring would make two files alike.
    disk::SetEntryLength(v.file[2], 600);
    v.disk->SetEntryName(v.file[1], "c");
    const std::vector<Finding> found = CheckDisk(*v.disk, 0);
    ASSERT_EQ(Codes(found), Strings{"entry-recoverable"});
    EXPECT_EQ(found[0].mend, Mend::None);
    EXPECT_TRUE(RepairDisk(*v.disk, 0, {.undelete = true}).empty());
    EXPECT_EQ(v.file[2][CMdosDisk::kEntryType], CMdosDisk::kFreeEntry);
}

// An 80 x 9 volume whose tracks byte became 94: the reserved tail 1440-1691 is the layout, not
// 252 lost sectors. Nothing is freed and the engine still allocates below 1440.
TEST(GeometryTest, ATracksByteTheCopyAndTheFatContradictFreesNothing) {
    for (const auto& [offset, value] :
         {std::pair{CMdosDisk::kBootTracks, 94}, {CMdosDisk::kBootSectorsPerTrack, 10}}) {
        Volume v(80, 9);
        v.Boot()[offset] = static_cast<unsigned char>(value);
        const Bytes damaged = Record(*v.disk);
        const std::vector<Finding> found = CheckDisk(*v.disk, 0);
        ASSERT_EQ(Codes(found), Strings{"geometry-mismatch"}) << found[0].message;
        EXPECT_EQ(Value(found[0], "copy_tracks"), 80);
        EXPECT_EQ(Value(found[0], "reserved_from"), 1440);
        EXPECT_EQ(Value(found[0], "last_data_sector"), 1439);
        EXPECT_TRUE(RepairDisk(*v.disk, 0).empty());
        EXPECT_EQ(Record(*v.disk), damaged);
        EXPECT_EQ(v.disk->GetFreeSpace(), (1440 - 20) * CMdosDisk::kSectorSize);
    }
}

// A geometry no volume has is one finding, and the files are judged by the data area the copy
// and the FAT agree on, not declared outside "14-13".
TEST(GeometryTest, AnImpossibleGeometryIsOneFindingAndFilesStayInside) {
    for (const auto& [tracks, sectors, code] : {std::tuple{0, 9, "geometry-invalid"},
                                                {95, 9, "geometry-invalid"},
                                                {94, 11, "geometry-invalid"},
                                                {94, 10, "geometry-too-large"}}) {
        Volume v;
        v.Boot()[CMdosDisk::kBootTracks] = static_cast<unsigned char>(tracks);
        v.Boot()[CMdosDisk::kBootSectorsPerTrack] = static_cast<unsigned char>(sectors);
        v.Fat(300, 0xE00);
        const std::vector<Finding> found = CheckDisk(*v.disk, 0);
        EXPECT_EQ(Codes(found), (Strings{code, "lost-sector"})) << tracks << "x" << sectors;
        EXPECT_NE(found[0].message.find("data sectors 14-1691"), std::string::npos);
        EXPECT_TRUE(RepairDisk(*v.disk, 0).empty());
    }
    // Sound geometries at the record's edge: one rule for the checker and for formatting.
    EXPECT_TRUE(disk::GeometryFitsRecord(84, 10));
    EXPECT_FALSE(disk::GeometryFitsRecord(85, 10));
    EXPECT_TRUE(disk::GeometryFitsRecord(94, 9));
}

// The shared sector 16 carries the marker of "b" (612 bytes over 17 and 16), not that of "a"
// (1100 bytes over 14-16): "a" looks mendable on its own, but the sector is not its alone.
TEST(CrossLinkTest, TheSharedSectorKeepsTheJoiningFilesMarker) {
    Volume v;
    v.Fat(17, 16);
    v.Fat(16, 0xE64);
    disk::SetEntryLength(v.file[1], 612);
    const std::vector<Finding> found = CheckDisk(*v.disk, 0);
    EXPECT_EQ(Codes(found), (Strings{"marker-mismatch", "cross-link"}));
    EXPECT_EQ(found[0].mend, Mend::None);
    const Bytes before = Record(*v.disk);
    EXPECT_TRUE(RepairDisk(*v.disk, 0).empty());
    EXPECT_EQ(Fat(*v.disk, 16), 0xE64);
    EXPECT_EQ(Record(*v.disk), before);
}

// Three chains into one sector are three pairs; each line names its two files.
TEST(CrossLinkTest, EveryPairOfAJoinIsNamed) {
    Volume v;
    v.Fat(17, 16);
    v.Fat(18, 16);
    std::map<std::pair<int, int>, int> pairs;
    for (const Finding& f : CheckDisk(*v.disk, 0)) {
        if (f.code == "cross-link") {
            pairs[{f.otherSlot, f.slot}] = f.sectors.at(0);
            EXPECT_NE(f.message.find("slot " + std::to_string(f.otherSlot)), std::string::npos);
        }
    }
    EXPECT_EQ(pairs,
              (std::map<std::pair<int, int>, int>{{{0, 1}, 16}, {{0, 2}, 16}, {{1, 2}, 16}}));
}

// Two files of one name with the same fault still give two different lines: the slot tells.
TEST(WordingTest, TwinsAreToldApartAndNumbersAreNamed) {
    Volume v;
    v.disk->SetEntryName(v.file[2], "a");
    v.Fat(16, 0xE00);
    v.Fat(19, 0xE00);
    const std::vector<Finding> found = CheckDisk(*v.disk, 0);
    ASSERT_EQ(Codes(found), (Strings{"marker-mismatch", "marker-mismatch", "name-duplicate"}));
    EXPECT_NE(found[0].message, found[1].message);
    EXPECT_NE(found[1].message.find("slot 2 \"a\""), std::string::npos) << found[1].message;
    EXPECT_EQ(Value(found[1], "found"), 0xE00);
    EXPECT_EQ(Value(found[1], "expected"), 0xE58);
}

// A file of L bytes takes L / 512 + 1 sectors: one at 0 and 511 bytes, two at 512 and 513.
TEST(SectorCountTest, FilesAtTheSectorBoundariesNeedTheRightCount) {
    CMdosDisk disk;
    disk.Format(94, 9, "v");
    std::vector<unsigned char*> files;
    for (const int length : {0, 511, 512, 513}) {
        files.push_back(AddPattern(disk, ("f" + std::to_string(length)).c_str(), length));
    }
    EXPECT_TRUE(CheckDisk(disk, 0).empty());
    EXPECT_EQ(Fat(disk, 14), 0xE00);  // 0 bytes
    EXPECT_EQ(Fat(disk, 15), 0xFFF);  // 511 bytes
    EXPECT_EQ(Fat(disk, 17), 0xE00);  // 512 bytes end in an empty second sector
    // Each chain one sector longer than its length needs is found, not taken as right.
    disk::SetEntryLength(files[2], 511);
    disk::SetEntryLength(files[3], 1);
    const std::vector<Finding> found = CheckDisk(disk, 0);
    ASSERT_EQ(Codes(found), (Strings{"chain-long", "marker-mismatch", "chain-long"}));
    EXPECT_EQ(Value(found[0], "needed"), 1);
    EXPECT_EQ(Value(found[0], "count"), 2);
}

}  // namespace
