// One volume damaged for exactly one fault per finding code: the checker names it with the
// right code, file and sector, and the safe repairs mend what they may and nothing else.
#include "check_test_support.h"

namespace {

using check::CheckDisk;
using check::Finding;
using check::RepairDisk;
using checktest::Codes;
using checktest::Only;
using checktest::SetFat;
using checktest::SetLength;
using disktest::AddPattern;
using disktest::Bytes;
using disktest::DiskTest;
using disktest::Fat;
using disktest::FileData;
using Strings = std::vector<std::string>;

// A 94 x 9 volume with "first" in sectors 14-16 (1100 bytes), "second" in 17 (100 bytes) and
// "third" in 18-19 (600 bytes), at slots 0, 1 and 2.
class FindingsTest : public DiskTest {
protected:
    void SetUp() override {
        DiskTest::SetUp();
        disk = Formatted();
        first = AddPattern(*disk, "first", 1100);
        second = AddPattern(*disk, "second", 100, 1);
        third = AddPattern(*disk, "third", 600, 2);
    }

    std::vector<Finding> Check(int diskIndex = 0) { return CheckDisk(*disk, diskIndex); }

    std::unique_ptr<CMdosDisk> disk;
    unsigned char* first = nullptr;
    unsigned char* second = nullptr;
    unsigned char* third = nullptr;
};

TEST_F(FindingsTest, AVolumeFilledByTheEngineHasNoFinding) {
    EXPECT_TRUE(Check().empty());
    EXPECT_TRUE(CheckDisk(*Formatted(80, 9), 0).empty());
    EXPECT_TRUE(CheckDisk(*Formatted(1, 1), 0).empty());
    EXPECT_TRUE(RepairDisk(*disk, 0).empty());
}

TEST_F(FindingsTest, GeometryOutsideWhatFormatWritesOrLargerThanTheRecord) {
    unsigned char* boot = disk->GetSector(0);
    boot[CMdosDisk::kBootTracks] = 95;
    const Finding invalid = Only(Check(3), "geometry-invalid");
    EXPECT_EQ(invalid.disk, 3);
    EXPECT_EQ(invalid.slot, -1);
    EXPECT_NE(invalid.message.find("95 tracks of 9 sectors"), std::string::npos);

    // The dialog admits 94 x 10, but the record holds only 1692 of its 1880 sectors.
    EXPECT_EQ(Codes(CheckDisk(*Formatted(94, 10), 0)), Strings{"geometry-too-large"});

    boot[CMdosDisk::kBootTracks] = 94;
    boot[CMdosDisk::kBootSectorsPerTrack] = 0;
    const Strings codes = Codes(Check());
    EXPECT_EQ(codes.front(), "geometry-invalid");
}

TEST_F(FindingsTest, SystemAndMissingSectorsMustStayReserved) {
    SetFat(*disk, 3, 0);
    SetFat(*disk, 13, 0xE00);
    const Finding system = Only(Check(), "system-unreserved");
    EXPECT_EQ(system.sectors, (std::vector<int>{3, 13}));

    auto small = Formatted(80, 9);
    SetFat(*small, 1500, 0);
    SetFat(*small, 1704, 0x123);
    const std::vector<Finding> findings = CheckDisk(*small, 0);
    EXPECT_EQ(Codes(findings), Strings{"beyond-unreserved"});
    EXPECT_EQ(findings[0].sectors, (std::vector<int>{1500, 1704}));
}

TEST_F(FindingsTest, AFileStartingOutsideTheDataSectors) {
    disk->SetEntryFirstSector(second, 5);
    const std::vector<Finding> findings = Check();
    EXPECT_EQ(Codes(findings), (Strings{"start-outside", "lost-sector"}));
    EXPECT_EQ(findings[0].slot, 1);
    EXPECT_EQ(findings[0].name, "second");
    EXPECT_EQ(findings[0].sectors, std::vector<int>{5});
    EXPECT_EQ(findings[1].sectors, std::vector<int>{17});

    // Sectors the geometry lacks are outside too, although the record stores them.
    auto small = Formatted(80, 9);
    unsigned char* entry = AddPattern(*small, "late", 10);
    small->SetEntryFirstSector(entry, 1500);
    EXPECT_EQ(Only(CheckDisk(*small, 0), "start-outside").sectors, std::vector<int>{1500});
}

TEST_F(FindingsTest, ALinkLeavingTheDataSectors) {
    SetFat(*disk, 15, 3);
    const std::vector<Finding> findings = Check();
    EXPECT_EQ(Codes(findings), (Strings{"link-outside", "lost-sector"}));
    EXPECT_EQ(findings[0].slot, 0);
    EXPECT_EQ(findings[0].name, "first");
    EXPECT_EQ(findings[0].sectors, std::vector<int>{15});
    EXPECT_NE(findings[0].message.find("from sector 15 to sector 3"), std::string::npos);

    SetFat(*disk, 15, 1692);
    EXPECT_EQ(Only(Check(), "link-outside").sectors, std::vector<int>{15});
}

TEST_F(FindingsTest, AChainThatLoops) {
    SetFat(*disk, 16, 15);
    const Finding loop = Only(Check(), "chain-loop");
    EXPECT_EQ(loop.slot, 0);
    EXPECT_EQ(loop.sectors, std::vector<int>{15});

    // A chain that points at its own sector.
    SetFat(*disk, 17, 17);
    const std::vector<Finding> findings = Check();
    EXPECT_EQ(Codes(findings), (Strings{"chain-loop", "chain-loop"}));
    EXPECT_EQ(findings[1].name, "second");
    EXPECT_EQ(findings[1].sectors, std::vector<int>{17});
}

TEST_F(FindingsTest, AFreeSectorInTheMiddleOfAChain) {
    SetFat(*disk, 15, 0);
    const std::vector<Finding> findings = Check();
    EXPECT_EQ(Codes(findings), (Strings{"chain-free", "lost-sector"}));
    EXPECT_EQ(findings[0].slot, 0);
    EXPECT_EQ(findings[0].sectors, std::vector<int>{15});
    EXPECT_EQ(findings[1].sectors, std::vector<int>{16});
}

TEST_F(FindingsTest, AChainThatEndsEarlyOrRunsOn) {
    SetFat(*disk, 15, 0xE00 + 1100 % 512);
    std::vector<Finding> findings = Check();
    EXPECT_EQ(Codes(findings), (Strings{"chain-short", "lost-sector"}));
    EXPECT_EQ(findings[0].slot, 0);
    EXPECT_EQ(findings[0].sectors, std::vector<int>{15});
    EXPECT_NE(findings[0].message.find("after 2 sectors"), std::string::npos);
    EXPECT_NE(findings[0].message.find("needs 3"), std::string::npos);

    SetFat(*disk, 15, 16);
    SetLength(third, 511);  // one sector, but its chain has two
    findings = Check();
    EXPECT_EQ(Codes(findings), Strings{"chain-long"});
    EXPECT_EQ(findings[0].slot, 2);
    EXPECT_EQ(findings[0].name, "third");
    EXPECT_EQ(findings[0].sectors, std::vector<int>{19});

    // The 24-bit length counts: 65536 + 100 bytes need 129 sectors, not 1.
    second[CMdosDisk::kEntryLengthHigh] = 1;
    EXPECT_EQ(Only(Check(), "chain-short").slot, 1);
}

TEST_F(FindingsTest, ALastSectorMarkerThatDisagreesWithTheLength) {
    SetFat(*disk, 16, 0xE01);
    const Finding marker = Only(Check(), "marker-mismatch");
    EXPECT_EQ(marker.slot, 0);
    EXPECT_EQ(marker.sectors, std::vector<int>{16});
    EXPECT_NE(marker.message.find("0xE01 instead of 0xE4C"), std::string::npos);

    SetFat(*disk, 16, CMdosDisk::kFatReserved);  // ends the chain, but no length gives it
    EXPECT_EQ(Codes(Check()), Strings{"marker-mismatch"});
}

TEST_F(FindingsTest, ASectorClaimedByTwoFilesNamesBoth) {
    SetFat(*disk, 17, 16);  // "second" now runs into the last sector of "first"
    SetLength(second, 600);
    const std::vector<Finding> findings = Check();
    const Finding cross = Only(findings, "cross-link");
    EXPECT_EQ(cross.slot, 1);
    EXPECT_EQ(cross.name, "second");
    EXPECT_EQ(cross.otherSlot, 0);
    EXPECT_EQ(cross.otherName, "first");
    EXPECT_EQ(cross.sectors, std::vector<int>{16});
    EXPECT_NE(cross.message.find("\"first\" and \"second\""), std::string::npos);
    // The shared tail still counts for the later file: two sectors, as 600 bytes need.
    EXPECT_EQ(Codes(findings), (Strings{"marker-mismatch", "cross-link"}));

    // Two entries with the same first sector.
    disk->SetEntryFirstSector(third, 14);
    EXPECT_EQ(Codes(Check()), (Strings{"marker-mismatch", "cross-link", "chain-long", "cross-link",
                                       "lost-sector"}));
}

TEST_F(FindingsTest, SectorsMarkedUsedThatNoFileOwns) {
    SetFat(*disk, 100, 101);
    SetFat(*disk, 101, 0xE00);
    SetFat(*disk, 200, CMdosDisk::kFatReserved);
    const Finding lost = Only(Check(), "lost-sector");
    EXPECT_EQ(lost.slot, -1);
    EXPECT_EQ(lost.sectors, (std::vector<int>{100, 101, 200}));
    EXPECT_NE(lost.message.find("100-101, 200"), std::string::npos);
}

TEST_F(FindingsTest, AnUnknownTypeLetter) {
    third[0] = 'Z';
    EXPECT_EQ(Only(Check(), "type-unknown").slot, 2);
    third[0] = 0x00;
    const Finding control = Only(Check(), "type-unknown");
    EXPECT_NE(control.message.find("'\\x00'"), std::string::npos);
    for (const char type : std::string("PNCBQHS")) {
        third[0] = static_cast<unsigned char>(type);
        EXPECT_TRUE(Check().empty()) << type;
    }
}

TEST_F(FindingsTest, TwoEntriesWithTheSameNameAndType) {
    AddPattern(*disk, "second", 10);
    const Finding twin = Only(Check(), "name-duplicate");
    EXPECT_EQ(twin.slot, 3);
    EXPECT_EQ(twin.otherSlot, 1);
    EXPECT_EQ(twin.name, "second");

    // Another type, or other padding after the name, is another file to MDOS.
    AddPattern(*disk, "third", 10)[0] = 'H';
    unsigned char* padded = AddPattern(*disk, "first", 10);
    padded[1 + 5] = ' ';
    EXPECT_EQ(Codes(Check()), Strings{"name-duplicate"});
}

// The finding keeps the name's bytes for tools; its sentence shows them safe for a terminal.
TEST_F(FindingsTest, NamesKeepTheirBytesAndSentencesShowThemPrintable) {
    disk->SetEntryName(first, "a\"b\\c\x7F");
    first[1 + 7] = 0x01;
    first[1 + 8] = ' ';
    disk->SetEntryFirstSector(first, 2);
    const Finding outside = Only(Check(), "start-outside");
    EXPECT_EQ(outside.name, std::string("a\"b\\c\x7F\0\x01", 8));
    EXPECT_NE(outside.message.find("\"a\"b\\\\c\\x7F\\x00\\x01\""), std::string::npos);
}

// Repairs set markers and free lost sectors; the files read the same bytes before and after.
TEST_F(FindingsTest, RepairMendsMarkersAndLostSectorsAndKeepsEveryByte) {
    const Bytes before = FileData(*disk, first, 1100);
    SetFat(*disk, 16, 0xE01);
    SetFat(*disk, 17, 0xFFF);
    SetFat(*disk, 300, 301);
    SetFat(*disk, 301, 0xE00);
    const std::vector<Finding> repairs = RepairDisk(*disk, 2);
    EXPECT_EQ(Codes(repairs), (Strings{"marker-mismatch", "marker-mismatch", "lost-sector"}));
    EXPECT_EQ(repairs[0].disk, 2);
    EXPECT_EQ(repairs[0].slot, 0);
    EXPECT_NE(repairs[0].message.find("from 0xE01 to 0xE4C"), std::string::npos);
    EXPECT_EQ(repairs[2].sectors, (std::vector<int>{300, 301}));
    EXPECT_TRUE(Check().empty());
    EXPECT_EQ(FileData(*disk, first, 1100), before);
    EXPECT_EQ(FileData(*disk, second, 100), disktest::Pattern(100, 1));
    EXPECT_TRUE(RepairDisk(*disk, 2).empty());
}

// A lost sector may be the rest of a broken file: it stays while any chain is broken, shared or
// short; only the faults the repairs own are mended.
TEST_F(FindingsTest, RepairKeepsLostSectorsWhileAChainIsBroken) {
    SetFat(*disk, 15, 0xE00);  // "first" ends early; 16 is lost and may be its missing tail
    SetFat(*disk, 19, 0xE01);
    EXPECT_EQ(Codes(RepairDisk(*disk, 0)), Strings{"marker-mismatch"});
    EXPECT_EQ(Fat(*disk, 16), 0xE4C);
    EXPECT_EQ(Codes(Check()), (Strings{"chain-short", "lost-sector"}));

    SetFat(*disk, 15, 16);
    SetFat(*disk, 17, 16);  // cross-link: neither marker of the shared sector is changed
    SetFat(*disk, 100, 0xE00);
    EXPECT_TRUE(RepairDisk(*disk, 0).empty());
    EXPECT_EQ(Fat(*disk, 16), 0xE4C);
    EXPECT_EQ(Fat(*disk, 100), 0xE00);

    SetFat(*disk, 17, 0xE64);
    disk->GetSector(0)[CMdosDisk::kBootTracks] = 0;
    EXPECT_TRUE(RepairDisk(*disk, 0).empty());
}

}  // namespace
