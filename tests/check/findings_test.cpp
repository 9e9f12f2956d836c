// One volume damaged for exactly one fault per row: the checker names it with the right code,
// file and sector, and nothing else; the safe repairs mend what they may and nothing more.
#include <algorithm>
#include <functional>

#include "check/finding_codes.h"
#include "check/volume_check.h"
#include "disk/disk_test_support.h"
#include "disk/mdos_format.h"

namespace {

using check::CheckDisk;
using check::Finding;
using check::RepairDisk;
using checktest::Codes;
using checktest::Strings;
using disktest::AddPattern;
using disktest::Bytes;
using disktest::Fat;
using disktest::FileData;

// A 94 x 9 volume with "first" in sectors 14-16 (1100 bytes), "second" in 17 (100 bytes) and
// "third" in 18-19 (600 bytes), at slots 0, 1 and 2.
struct Volume {
    Volume() : disk(std::make_unique<CMdosDisk>()) {
        disk->Format(94, 9, "noname");
        file[0] = AddPattern(*disk, "first", 1100);
        file[1] = AddPattern(*disk, "second", 100, 1);
        file[2] = AddPattern(*disk, "third", 600, 2);
    }
    void Fat(int index, int value) {
        disk->SetFatEntry(disk->GetSector(CMdosDisk::kFirstFatSector), index, value);
    }
    unsigned char* Boot() { return disk->GetSector(0); }

    std::unique_ptr<CMdosDisk> disk;
    unsigned char* file[3] = {};
};

struct Fault {
    const char* name;
    std::function<void(Volume&)> damage;
    Strings codes;  // every finding, in the checker's order
    // The finding of the first code: its files, its sectors and a phrase of its sentence.
    int slot;
    std::string file;
    int otherSlot;
    std::vector<int> sectors;
    const char* phrase;
};

Fault Row(const char* name, std::function<void(Volume&)> damage, Strings codes, int slot,
          std::string file, int otherSlot, std::vector<int> sectors, const char* phrase) {
    return {name,
            std::move(damage),
            std::move(codes),
            slot,
            std::move(file),
            otherSlot,
            std::move(sectors),
            phrase};
}

const Fault kFaults[] = {
    Row(
        "TracksBeyondFormat", [](Volume& v) { v.Boot()[CMdosDisk::kBootTracks] = 95; },
        {"geometry-invalid"}, -1, "", -1, {}, "95 tracks of 9 sectors"),
    // The format dialog admits 94 x 10, but the record holds only 1692 of its 1880 sectors.
    Row(
        "GeometryLargerThanTheRecord", [](Volume& v) { v.disk->Format(94, 10, "x"); },
        {"geometry-too-large"}, -1, "", -1, {}, "1880 sectors"),
    Row(
        "SystemSectorNotReserved",
        [](Volume& v) {
            v.Fat(3, 0);
            v.Fat(13, 0xE00);
        },
        {"system-unreserved"}, -1, "", -1, {3, 13}, "system sectors 3, 13"),
    Row(
        "MissingSectorNotReserved",
        [](Volume& v) {
            v.Fat(1692, 0);
            v.Fat(1704, 0x123);
        },
        {"beyond-unreserved"}, -1, "", -1, {1692, 1704}, "1692, 1704"),
    Row(
        "StartInSystemSectors", [](Volume& v) { v.disk->SetEntryFirstSector(v.file[1], 5); },
        {"start-outside", "lost-sector"}, 1, "second", -1, {5}, "starts at sector 5"),
    // Sectors the geometry lacks are outside, although the record stores them.
    Row(
        "StartBeyondTheGeometry",
        [](Volume& v) {
            v.Boot()[CMdosDisk::kBootTracks] = 80;
            for (int s = 1440; s < 1692; ++s) {
                v.Fat(s, 0xDDD);
            }
            v.disk->SetEntryFirstSector(v.file[1], 1500);
        },
        {"start-outside", "lost-sector"}, 1, "second", -1, {1500}, "data sectors 14-1439"),
    Row(
        "LinkIntoSystemSectors", [](Volume& v) { v.Fat(15, 3); }, {"link-outside", "lost-sector"},
        0, "first", -1, {15}, "from sector 15 to sector 3"),
    Row(
        "LinkBeyondTheRecord", [](Volume& v) { v.Fat(15, 1692); }, {"link-outside", "lost-sector"},
        0, "first", -1, {15}, "to sector 1692"),
    Row(
        "ChainLoops", [](Volume& v) { v.Fat(16, 15); }, {"chain-loop"}, 0, "first", -1, {15},
        "comes back to sector 15"),
    Row(
        "ChainLoopsOnItsFirstSector", [](Volume& v) { v.Fat(17, 17); }, {"chain-loop"}, 1, "second",
        -1, {17}, "never ends"),
    Row(
        "FreeSectorInAChain", [](Volume& v) { v.Fat(15, 0); }, {"chain-free", "lost-sector"}, 0,
        "first", -1, {15}, "sector 15, which is free"),
    Row(
        "ChainEndsEarly", [](Volume& v) { v.Fat(15, 0xE4C); }, {"chain-short", "lost-sector"}, 0,
        "first", -1, {15}, "after 2 sectors"),
    // The 24-bit length counts: 65536 + 100 bytes need 129 sectors, not 1.
    Row(
        "ChainTooShortForTheHighLengthByte",
        [](Volume& v) { v.file[1][CMdosDisk::kEntryLengthHigh] = 1; }, {"chain-short"}, 1, "second",
        -1, {17}, "needs 129"),
    Row(
        "ChainRunsOn", [](Volume& v) { disk::SetEntryLength(v.file[2], 511); },
        {"chain-long", "marker-mismatch"}, 2, "third", -1, {19}, "over 2 sectors"),
    // A wrong count does not hide a wrong marker: 1 sector where 1100 bytes need 3.
    Row(
        "ChainEndsAtItsFirstSector", [](Volume& v) { v.Fat(14, 0xE00); },
        {"chain-short", "marker-mismatch", "lost-sector"}, 0, "first", -1, {14},
        "after 1 sector, but"),
    Row(
        "MarkerDisagreesWithTheLength", [](Volume& v) { v.Fat(16, 0xE01); }, {"marker-mismatch"}, 0,
        "first", -1, {16}, "0xE01 instead of 0xE4C"),
    Row(
        "ReservedValueEndsAChain", [](Volume& v) { v.Fat(16, 0xDDD); }, {"marker-mismatch"}, 0,
        "first", -1, {16}, "0xDDD instead of 0xE4C"),
    // "second" runs into the last sector of "first"; 588 bytes make its own count right.
    Row(
        "ChainRunsIntoAnotherFile",
        [](Volume& v) {
            v.Fat(17, 16);
            disk::SetEntryLength(v.file[1], 588);
        },
        {"cross-link"}, 1, "second", 0, {16},
        "slot 0 \"first\" and slot 1 \"second\" both claim sector 16"),
    Row(
        "TwoFilesStartAlike",
        [](Volume& v) {
            v.disk->SetEntryFirstSector(v.file[2], 14);
            disk::SetEntryLength(v.file[2], 1100);
        },
        {"cross-link", "lost-sector"}, 2, "third", 0, {14},
        "slot 0 \"first\" and slot 2 \"third\""),
    Row(
        "SectorsNoFileOwns",
        [](Volume& v) {
            v.Fat(100, 101);
            v.Fat(101, 0xE00);
        },
        {"lost-sector"}, -1, "", -1, {100, 101}, "2 sectors are marked used"),
    // A reservation is no file's, but neither is it data to free.
    Row(
        "ReservedInsideTheDataArea", [](Volume& v) { v.Fat(200, 0xDDD); }, {"data-reserved"}, -1,
        "", -1, {200}, "1 data sector that no file owns is reserved"),
    Row(
        "UnknownTypeLetter", [](Volume& v) { v.file[2][0] = 'Z'; }, {"type-unknown"}, 2, "third",
        -1, {}, "'Z'"),
    Row(
        "NulTypeByte", [](Volume& v) { v.file[2][0] = 0; }, {"type-unknown"}, 2, "third", -1, {},
        "'\\x00'"),
    Row(
        "SameNameAndType", [](Volume& v) { AddPattern(*v.disk, "second", 10); }, {"name-duplicate"},
        3, "second", 1, {}, "slot 1 \"second\" and slot 3 \"second\""),
    // Padding is padding, NUL or blank: neither MDOS nor brindle-cli tells the two apart.
    Row(
        "SameNamePaddedDifferently",
        [](Volume& v) {
            unsigned char* twin = AddPattern(*v.disk, "second", 10);
            std::fill(twin + CMdosDisk::kEntryName + 6, twin + CMdosDisk::kEntryName + 10, ' ');
        },
        {"name-duplicate"}, 3, "second", 1, {}, "type 'B'"),
    Row(
        "ZeroLengthFileWithoutAChain",
        [](Volume& v) {
            disk::SetEntryLength(v.file[1], 0);
            v.disk->SetEntryFirstSector(v.file[1], 0xC00);
        },
        {"start-outside", "lost-sector"}, 1, "second", -1, {0xC00},
        "has no chain (its first sector is 0xC00), but its length of 0 bytes needs 1 sector."),
    Row(
        "FirstSectorAllOnes", [](Volume& v) { v.disk->SetEntryFirstSector(v.file[1], 0xFFFF); },
        {"start-outside", "lost-sector"}, 1, "second", -1, {0xFFFF}, "0xFFFF"),
    // Sentences show name bytes as the command line does.
    Row(
        "NameOfAnyBytes",
        [](Volume& v) {
            v.disk->SetEntryName(v.file[0], "a\"b\\c\x7F");
            v.file[0][1 + 7] = 0x01;
            v.disk->SetEntryFirstSector(v.file[0], 2);
        },
        {"start-outside", "lost-sector"}, 0, std::string("a\"b\\c\x7F\0\x01", 8), -1, {2},
        "\"a\"b\\\\c\\x7F\\x00\\x01\""),
};

void PrintTo(const Fault& fault, std::ostream* out) {
    *out << fault.name;
}

class FindingsTest : public ::testing::TestWithParam<Fault> {};

TEST_P(FindingsTest, TheFaultIsFoundAloneWithItsFileAndSectors) {
    const Fault& fault = GetParam();
    Volume volume;
    fault.damage(volume);
    const std::vector<Finding> findings = CheckDisk(*volume.disk, 4);
    ASSERT_EQ(Codes(findings), fault.codes);
    const Finding& found = findings.front();
    EXPECT_EQ(found.disk, 4);
    EXPECT_EQ(found.slot, fault.slot);
    EXPECT_EQ(found.otherSlot, fault.otherSlot);
    EXPECT_EQ(found.sectors, fault.sectors);
    EXPECT_NE(found.message.find(fault.phrase), std::string::npos) << found.message;
    EXPECT_EQ(found.name, fault.file);
}

INSTANTIATE_TEST_SUITE_P(EveryCode, FindingsTest, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CleanVolumeTest, VolumesTheEngineFormatsHaveNoFinding) {
    Volume volume;
    EXPECT_TRUE(CheckDisk(*volume.disk, 0).empty());
    EXPECT_TRUE(RepairDisk(*volume.disk, 0).empty());
    for (const auto& [tracks, sectors] : {std::pair{80, 9}, {1, 1}, {94, 9}}) {
        CMdosDisk disk;
        disk.Format(tracks, sectors, "x");
        EXPECT_TRUE(CheckDisk(disk, 0).empty()) << tracks << "x" << sectors;
    }
    for (const char type : std::string("PNCBQHS")) {
        volume.file[2][0] = static_cast<unsigned char>(type);
        EXPECT_TRUE(CheckDisk(*volume.disk, 0).empty()) << type;
    }
}

// Repairs set markers and free lost sectors; the files read the same bytes before and after.
TEST(RepairTest, MendsMarkersAndLostSectorsAndKeepsEveryByte) {
    Volume v;
    const Bytes before = FileData(*v.disk, v.file[0], 1100);
    v.Fat(16, 0xE01);
    v.Fat(17, 0xFFF);
    v.Fat(300, 301);
    v.Fat(301, 0xE00);
    const std::vector<Finding> repairs = RepairDisk(*v.disk, 2);
    EXPECT_EQ(Codes(repairs), (Strings{"marker-mismatch", "marker-mismatch", "lost-sector"}));
    EXPECT_EQ(repairs[0].disk, 2);
    EXPECT_EQ(repairs[0].slot, 0);
    EXPECT_NE(repairs[0].message.find("from 0xE01 to 0xE4C"), std::string::npos);
    EXPECT_EQ(repairs[2].sectors, (std::vector<int>{300, 301}));
    EXPECT_TRUE(CheckDisk(*v.disk, 2).empty());
    EXPECT_EQ(FileData(*v.disk, v.file[0], 1100), before);
    EXPECT_EQ(FileData(*v.disk, v.file[1], 100), disktest::Pattern(100, 1));
    EXPECT_TRUE(RepairDisk(*v.disk, 2).empty());
}

// A lost sector may be the rest of a broken file: it stays while any chain is broken, shared or
// short, or the geometry is wrong; only the faults the repairs own are mended.
TEST(RepairTest, KeepsLostSectorsWhileAChainIsBroken) {
    Volume v;
    v.Fat(15, 0xE00);  // "first" ends early; 16 is lost and may be its missing tail
    v.Fat(19, 0xE01);
    EXPECT_EQ(Codes(RepairDisk(*v.disk, 0)), Strings{"marker-mismatch"});
    EXPECT_EQ(Fat(*v.disk, 16), 0xE4C);
    EXPECT_EQ(Codes(CheckDisk(*v.disk, 0)),
              (Strings{"chain-short", "marker-mismatch", "lost-sector"}));

    v.Fat(15, 16);
    v.Fat(17, 16);  // cross-link: neither marker of the shared sector is changed
    v.Fat(100, 0xE00);
    EXPECT_TRUE(RepairDisk(*v.disk, 0).empty());
    EXPECT_EQ(Fat(*v.disk, 16), 0xE4C);
    EXPECT_EQ(Fat(*v.disk, 100), 0xE00);

    v.Fat(17, 0xE64);
    v.Boot()[CMdosDisk::kBootTracks] = 95;
    EXPECT_TRUE(RepairDisk(*v.disk, 0).empty());
}

}  // namespace
