// Record header, boot sector, formatting, FAT packing, directory walk and entry fields.
#include <cstring>
#include <functional>

#include "disk_test_support.h"

namespace {

using disktest::Bytes;
using disktest::DiskTest;
using disktest::Fat;

using RecordTest = DiskTest;

TEST_F(RecordTest, NewDiskIsZeroFilled) {
    auto disk = std::make_unique<CMdosDisk>();
    const unsigned char* r = disk->Record();
    EXPECT_TRUE(std::all_of(r, r + CMdosDisk::kRecordSize, [](unsigned char b) { return b == 0; }));
}

TEST_F(RecordTest, DiskNameIsBlankPaddedCutAndTrimmed) {
    CMdosDisk disk;
    char buf[40];
    disk.SetDiskName("0123456789abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(disk.Record()) + 4, 32),
              "0123456789abcdefghijklmnopqrstuv");
    EXPECT_STREQ(disk.GetDiskName(buf, 33), "0123456789abcdefghijklmnopqrstuv");
    EXPECT_STREQ(disk.GetDiskName(buf, 5), "0123");

    disk.SetDiskName("games  ");
    EXPECT_EQ(disk.Record()[4 + 5], ' ');
    EXPECT_STREQ(disk.GetDiskName(buf, sizeof buf), "games");
    disk.SetDiskName("   ");
    EXPECT_STREQ(disk.GetDiskName(buf, sizeof buf), "");

    // Trimming scans down from the end and stops at the first byte that isn't a blank, a NUL
    // of a foreign record included: the blanks before that NUL stay.
    disk.SetDiskName("ab");
    std::memset(disk.Record() + 4 + 4, '\0', 28);
    EXPECT_STREQ(disk.GetDiskName(buf, sizeof buf), "ab  ");
    disk.SetDiskName("cd");
    EXPECT_STREQ(disk.GetDiskName(buf, 4), "cd");
}

// Every text getter, at every small capacity, stays inside cap and terminates inside it.
TEST_F(RecordTest, TextGettersNeverWritePastCapacity) {
    auto disk = Formatted();
    unsigned char* entry = disktest::AddPattern(*disk, "longname!!", 70000);
    disk->SetDiskName("a disk name that fills all 32 ch");
    std::memset(disk->Record() + CMdosDisk::kCommentOffset, 'c', CMdosDisk::kCommentSize);
    using Getter = std::function<char*(char*, int)>;
    const std::vector<Getter> getters = {
        [&](char* b, int c) { return disk->GetSystemMark(b, c); },
        [&](char* b, int c) { return disk->GetDiskName(b, c); },
        [&](char* b, int c) { return disk->GetWriteProtect(b, c); },
        [&](char* b, int c) { return disk->GetComment(b, c); },
        [&](char* b, int c) { return disk->GetRandomIdText(b, c); },
        [&](char* b, int c) { return disk->GetVolumeName(b, c); },
        [&](char* b, int c) { return disk->GetGeometryText(b, c); },
        [&](char* b, int c) { return disk->GetDiskSizeText(b, c); },
        [&](char* b, int c) { return disk->GetFilesSizeText(b, c); },
        [&](char* b, int c) { return disk->GetFilesCountText(b, c); },
        [&](char* b, int c) { return disk->GetFreeFilesText(b, c); },
        [&](char* b, int c) { return disk->GetFreeSpaceText(b, c); },
        [&](char* b, int c) { return disk->GetEntryName(entry, b, c); },
        [&](char* b, int c) { return disk->GetEntryType(entry, b, c); },
        [&](char* b, int c) { return disk->GetEntryStartText(entry, b, c); },
        [&](char* b, int c) { return disk->GetEntryLengthText(entry, b, c); },
        [&](char* b, int c) { return disk->GetEntryBasicText(entry, b, c); },
        [&](char* b, int c) { return disk->GetEntryAttributesText(entry, b, c); },
    };
    for (std::size_t g = 0; g < getters.size(); ++g) {
        for (int cap : {-1, 0, 1, 2, 3, 5, 9, 12}) {
            char buf[16];
            std::memset(buf, '#', sizeof buf);
            EXPECT_EQ(getters[g](buf, cap), buf);
            const int used = std::max(cap, 0);
            for (int i = used; i < 16; ++i) {
                EXPECT_EQ(buf[i], '#') << "getter " << g << " cap " << cap;
            }
            if (cap > 0) {
                EXPECT_NE(std::memchr(buf, '\0', static_cast<std::size_t>(cap)), nullptr);
            }
            if (cap == 1) {
                EXPECT_EQ(buf[0], '\0');
            }
        }
    }
}

using FormatTest = DiskTest;

TEST_F(FormatTest, WritesBootSectorFatAndDirectoryOfA94x9Volume) {
    CMdosDisk disk;
    disk.SetDiskName("kept");
    std::memset(disk.GetSector(700), 0x77, CMdosDisk::kSectorSize);
    disk.Format(94, 9, "noname");

    const unsigned char* boot = disk.GetSector(0);
    EXPECT_EQ(Bytes(boot + 0xB0, boot + 0xB8),
              (Bytes{0x81, 0x18, 0x5E, 0x09, 0x00, 0x18, 0x5E, 0x09}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(boot) + 0xC0, 10), "noname    ");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(boot) + 0xCC, 4), "SDOS");
    char buf[32];
    EXPECT_STREQ(disk.GetRandomIdText(buf, sizeof buf), "41");
    EXPECT_STREQ(disk.GetGeometryText(buf, sizeof buf), "94x9");
    EXPECT_STREQ(disk.GetDiskSizeText(buf, sizeof buf), "866304 bytes");
    EXPECT_STREQ(disk.GetFreeSpaceText(buf, sizeof buf), "859136 bytes");
    EXPECT_STREQ(disk.GetFilesSizeText(buf, sizeof buf), "0 bytes");
    EXPECT_EQ(disk.GetFilesCount(), 0);
    EXPECT_EQ(disk.GetFreeFiles(), 128);
    EXPECT_STREQ(disk.GetDiskName(buf, sizeof buf), "kept");

    const unsigned char* fat = disk.GetSector(1);
    EXPECT_EQ(Bytes(fat, fat + 22), [] {
        Bytes b(21, 0xDD);
        b.push_back(0);
        return b;
    }());
    for (int s = 1; s <= 4; ++s) {
        EXPECT_EQ(disk.GetSector(s)[511], 0x0D) << s;
    }
    EXPECT_EQ(disk.GetSector(5)[511], 0xDD);
    EXPECT_EQ(disk.GetSector(6)[0], 0xE5);
    EXPECT_EQ(disk.GetSector(13)[511], 0xE5);
    EXPECT_EQ(disk.GetSector(700)[3], 0);

    disk.Format(94, 9, "x");
    EXPECT_STREQ(disk.GetRandomIdText(buf, sizeof buf), "18467");
    disk.Format(94, 9, "x");
    EXPECT_STREQ(disk.GetRandomIdText(buf, sizeof buf), "6334");
}

TEST_F(FormatTest, SmallerGeometriesReserveWhatTheyLack) {
    CMdosDisk disk;
    std::memset(disk.GetSector(1500), 0x55, CMdosDisk::kSectorSize);
    disk.Format(80, 9, "d80");
    EXPECT_EQ(disk.GetFreeSpace(), 1426 * 512);
    EXPECT_EQ(Fat(disk, 1439), 0);
    for (int i = 1440; i < CMdosDisk::kFatEntryCount; ++i) {
        ASSERT_EQ(Fat(disk, i), 0xDDD) << i;
    }
    EXPECT_EQ(disk.GetSector(1500)[10], 0);

    disk.Format(1, 1, "tiny");
    EXPECT_EQ(disk.GetFreeSpace(), 0);
    EXPECT_EQ(disk.FirstFreeSector(), -1);
    EXPECT_EQ(Fat(disk, 14), 0xDDD);
}

// The record has no room beyond sector 1691: such a geometry is recorded as entered, but the
// entries of the sectors that can't be stored stay reserved.
TEST_F(FormatTest, GeometryLargerThanTheRecordKeepsTheMissingSectorsReserved) {
    CMdosDisk disk;
    disk.Format(94, 10, "big");
    char buf[32];
    EXPECT_STREQ(disk.GetGeometryText(buf, sizeof buf), "94x10");
    EXPECT_STREQ(disk.GetDiskSizeText(buf, sizeof buf), "962560 bytes");
    EXPECT_EQ(Fat(disk, 1691), 0);
    for (int i = 1692; i < CMdosDisk::kFatEntryCount; ++i) {
        EXPECT_EQ(Fat(disk, i), 0xDDD) << i;
    }
    EXPECT_EQ(disk.GetFreeSpace(), 1678 * 512);
}

TEST_F(FormatTest, VolumeNamePaddingDiffersBetweenFormatAndSetVolumeName) {
    CMdosDisk disk;
    disk.Format(94, 9, "ab");
    const unsigned char* name = disk.GetSector(0) + CMdosDisk::kBootVolumeName;
    EXPECT_EQ(Bytes(name, name + 10), (Bytes{'a', 'b', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '}));
    disk.SetVolumeName("ab");
    EXPECT_EQ(Bytes(name, name + 10), (Bytes{'a', 'b', 0, 0, 0, 0, 0, 0, 0, 0}));
    disk.Format(94, 9, "0123456789xyz");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(name), 10), "0123456789");
}

using FatTest = DiskTest;

TEST_F(FatTest, PacksEntryPairsIntoThreeBytesHighNibblesInTheMiddle) {
    CMdosDisk disk;
    unsigned char* fat = disk.GetSector(1);
    EXPECT_EQ(disk.SetFatEntry(fat, 0, 0xABC), 0);
    EXPECT_EQ(Bytes(fat, fat + 3), (Bytes{0xBC, 0xA0, 0x00}));
    EXPECT_EQ(disk.SetFatEntry(fat, 1, 0x123), 0);
    EXPECT_EQ(Bytes(fat, fat + 4), (Bytes{0xBC, 0xA1, 0x23, 0x00}));
    EXPECT_EQ(disk.GetFatEntry(fat, 0), 0xABC);
    EXPECT_EQ(disk.GetFatEntry(fat, 1), 0x123);

    // Entry 340 ends in the upper nibble of byte 511; its lower nibble belongs to nobody.
    unsigned char* second = disk.GetSector(2);
    second[511] = 0x0D;
    disk.SetFatEntry(fat, 341 + 340, 0xFE7);
    EXPECT_EQ(second[510], 0xE7);
    EXPECT_EQ(second[511], 0xFD);
    EXPECT_EQ(second[509], 0x00);
    EXPECT_EQ(disk.GetSector(3)[0], 0x00);
    EXPECT_EQ(disk.GetFatEntry(fat, 341), 0);

    EXPECT_EQ(disk.SetFatEntry(fat, 1705, 1), -1);
    EXPECT_EQ(disk.SetFatEntry(fat, -1, 1), -1);
    EXPECT_EQ(disk.GetFatEntry(fat, 1705), -1);
    EXPECT_EQ(disk.GetFatEntry(fat, -1), -1);
    EXPECT_EQ(disk.GetSector(6)[0], 0x00);
}

TEST_F(FatTest, EveryEntryRoundTripsWithoutDisturbingItsNeighbours) {
    CMdosDisk disk;
    unsigned char* fat = disk.GetSector(1);
    for (int i = 0; i < CMdosDisk::kFatEntryCount; ++i) {
        disk.SetFatEntry(fat, i, (i * 2654435761u >> 7) & 0xFFF);
    }
    for (int i = 0; i < CMdosDisk::kFatEntryCount; ++i) {
        ASSERT_EQ(disk.GetFatEntry(fat, i), static_cast<int>((i * 2654435761u >> 7) & 0xFFF)) << i;
    }
}

using DirectoryTest = DiskTest;

TEST_F(DirectoryTest, WalksEvenSectorsThenOddOnes) {
    auto disk = Formatted();
    std::vector<unsigned char*> visited;
    for (unsigned char* e = disk->FirstDirEntry(); e != nullptr; disk->NextDirEntry(&e)) {
        visited.push_back(e);
    }
    ASSERT_EQ(visited.size(), 128u);
    const int order[] = {6, 8, 10, 12, 7, 9, 11, 13};
    for (int i = 0; i < 128; ++i) {
        EXPECT_EQ(visited[i], disk->GetSector(order[i / 16]) + 32 * (i % 16)) << i;
    }
    EXPECT_EQ(visited[16], disk->GetSector(8));
    EXPECT_EQ(visited[64], disk->GetSector(7));

    // Files take free entries in the same order.
    for (int i = 0; i < 17; ++i) {
        disktest::AddPattern(*disk, "f", 0);
    }
    EXPECT_EQ(disk->GetSector(8)[0], 'B');
    EXPECT_EQ(disk->GetSector(7)[0], 0xE5);
    EXPECT_EQ(disk->GetFilesCount(), 17);
    EXPECT_EQ(disk->GetFreeFiles(), 111);
}

TEST_F(DirectoryTest, AttributesAreEightLettersHSPARWEDAndParseUpperCaseOnly) {
    CMdosDisk disk;
    unsigned char entry[32] = {};
    char buf[16];
    const std::pair<unsigned char, const char*> texts[] = {{0x0D, "----RW-D"},
                                                           {0x0F, "----RWED"},
                                                           {0xFF, "HSPARWED"},
                                                           {0x00, "--------"},
                                                           {0xA0, "H-P-----"}};
    for (const auto& [bits, text] : texts) {
        entry[CMdosDisk::kEntryAttributes] = bits;
        EXPECT_STREQ(disk.GetEntryAttributesText(entry, buf, sizeof buf), text);
    }
    const std::pair<const char*, unsigned char> parses[] = {
        {"DEWR", 0x0F}, {"dewr", 0x00}, {"", 0x00}, {"RWD", 0x0D}, {"HxS?P-A", 0xF0}};
    for (const auto& [letters, bits] : parses) {
        entry[CMdosDisk::kEntryAttributes] = 0x42;
        disk.SetEntryAttributes(entry, letters);
        EXPECT_EQ(entry[CMdosDisk::kEntryAttributes], bits) << letters;
    }
}

TEST_F(DirectoryTest, EntryFieldsAndTheirTexts) {
    CMdosDisk disk;
    unsigned char entry[32] = {};
    entry[CMdosDisk::kEntryLengthHigh] = 0x01;
    entry[CMdosDisk::kEntryLengthLow] = 0x10;
    entry[CMdosDisk::kEntryStart] = 0x00;
    entry[CMdosDisk::kEntryStart + 1] = 0x40;
    entry[CMdosDisk::kEntryBasic] = 0xFF;
    entry[CMdosDisk::kEntryBasic + 1] = 0x7F;
    char buf[16];
    EXPECT_STREQ(disk.GetEntryLengthText(entry, buf, sizeof buf), " 65552");
    EXPECT_STREQ(disk.GetEntryStartText(entry, buf, sizeof buf), "16384");
    EXPECT_STREQ(disk.GetEntryBasicText(entry, buf, sizeof buf), "32767");

    disk.SetEntryFirstSector(entry, 0x12345);
    EXPECT_EQ(disk.GetEntryFirstSector(entry), 0x2345);
    EXPECT_EQ(entry[CMdosDisk::kEntryFirstSector], 0x45);

    std::memset(entry + 1, 'x', 10);
    disk.SetEntryName(entry, "abc");
    EXPECT_EQ(Bytes(entry + 1, entry + 11), (Bytes{'a', 'b', 'c', 0, 0, 0, 0, 0, 0, 0}));
    disk.SetEntryName(entry, "0123456789AB");
    EXPECT_STREQ(disk.GetEntryName(entry, buf, sizeof buf), "0123456789");
}

TEST(DiskHelpers, ReplaceCharSparesTheFirstPositionAndXorChecksumsBytes) {
    char text[] = " a b ";
    EXPECT_EQ(CMdosDisk::ReplaceChar(text, 4, ' ', '_'), text);
    EXPECT_STREQ(text, " a_b ");
    const unsigned char bytes[] = {0x01, 0x02, 0x04, 0xF0};
    EXPECT_EQ(CMdosDisk::XorChecksum(bytes, 4), 0xF7);
    EXPECT_EQ(CMdosDisk::XorChecksum(bytes, 0), 0);
}

}  // namespace
