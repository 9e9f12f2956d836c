// Creating, reading and freeing files: chains, free space, refusals and corrupted FATs.
#include <cstring>

#include "disk_test_support.h"

namespace {

using disktest::AddPattern;
using disktest::Bytes;
using disktest::DiskTest;
using disktest::Fat;
using disktest::FileData;
using disktest::Pattern;
using disktest::SectorData;

using AllocationTest = DiskTest;

TEST_F(AllocationTest, FileOfLBytesOwnsLDiv512PlusOneSectors) {
    auto disk = Formatted();
    unsigned char* one = AddPattern(*disk, "one", 1);
    EXPECT_EQ(disk->GetEntryFirstSector(one), 14);
    EXPECT_EQ(Fat(*disk, 14), 0xE01);

    unsigned char* full = AddPattern(*disk, "full", 512);
    EXPECT_EQ(disk->GetEntryFirstSector(full), 15);
    EXPECT_EQ(Fat(*disk, 15), 16);
    EXPECT_EQ(Fat(*disk, 16), 0xE00);

    unsigned char* empty = AddPattern(*disk, "empty", 0);
    EXPECT_EQ(disk->GetEntryFirstSector(empty), 17);
    EXPECT_EQ(Fat(*disk, 17), 0xE00);
    EXPECT_EQ(disk->GetFreeSpace(), (1678 - 4) * 512);

    unsigned char* big = AddPattern(*disk, "big", 1300, 7);
    EXPECT_EQ(FileData(*disk, big, 1300), Pattern(1300, 7));
    EXPECT_EQ(Fat(*disk, 20), 0xE00 + 1300 % 512);
    EXPECT_EQ(Formatted(80, 9)->GetFreeSpace(), 730112);
}

TEST_F(AllocationTest, TemplateIsCopiedWholeExceptTheFirstSector) {
    auto disk = Formatted();
    Bytes entry = disktest::Entry(*disk, "tmpl", 5000);
    for (int i = 22; i < 32; ++i) {
        entry[i] = static_cast<unsigned char>(i);
    }
    entry[CMdosDisk::kEntryFirstSector] = 0x99;
    unsigned char* out = nullptr;
    const Bytes data = Pattern(3);
    ASSERT_EQ(disk->AddFile(&out, entry.data(), data.data(), 3), 0);
    entry[CMdosDisk::kEntryFirstSector] = 14;
    entry[CMdosDisk::kEntryFirstSector + 1] = 0;
    EXPECT_EQ(Bytes(out, out + 32), entry);
}

TEST_F(AllocationTest, RefusalsChangeNothingAndNoEntryComesBeforeNoSpace) {
    auto disk = Formatted(1, 8);  // 16 sectors: 14 and 15 free
    const Bytes before = SectorData(*disk);
    const Bytes data = Pattern(1024);
    unsigned char* out = nullptr;
    EXPECT_EQ(disk->AddFile(&out, disktest::Entry(*disk, "x", 1024).data(), data.data(), 1024), 2);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(SectorData(*disk), before);
    EXPECT_EQ(disk->AddFile(&out, disktest::Entry(*disk, "x", 1023).data(), data.data(), 1023), 0);

    auto crowded = Formatted();
    for (int i = 0; i < 128; ++i) {
        AddPattern(*crowded, "f", 0);
    }
    EXPECT_EQ(crowded->AddFile(nullptr, disktest::Entry(*crowded, "x", 1).data(), data.data(), 1),
              1);
    for (int s = 14; s < 1692; ++s) {
        crowded->SetFatEntry(crowded->GetSector(1), s, 0xDDD);
    }
    const Bytes full = SectorData(*crowded);
    EXPECT_EQ(crowded->AddFile(nullptr, disktest::Entry(*crowded, "x", 1).data(), data.data(), 1),
              1);
    EXPECT_EQ(SectorData(*crowded), full);
    EXPECT_TRUE(recorder.Shown().empty());
}

TEST_F(AllocationTest, RemovingFreesTheChainAndTheSameSectorsAreReusedLowestFirst) {
    auto disk = Formatted();
    AddPattern(*disk, "a", 600);
    unsigned char* b = AddPattern(*disk, "b", 1100);
    AddPattern(*disk, "c", 10);
    EXPECT_EQ(disk->RemoveFile(b), 0);
    EXPECT_TRUE(std::all_of(b, b + 32, [](unsigned char x) { return x == 0xE5; }));
    EXPECT_EQ(Fat(*disk, 16), 0);
    EXPECT_EQ(Fat(*disk, 18), 0);
    EXPECT_EQ(disk->FirstFreeSector(), 16);
    int s = 16;
    EXPECT_EQ(disk->NextFreeSector(&s), 17);
    EXPECT_EQ(s, 17);

    unsigned char* again = AddPattern(*disk, "d", 1100, 3);
    EXPECT_EQ(again, b);
    EXPECT_EQ(disk->GetEntryFirstSector(again), 16);
    EXPECT_EQ(Fat(*disk, 18), 0xE00 + 1100 % 512);
    EXPECT_EQ(FileData(*disk, again, 1100), Pattern(1100, 3));
    EXPECT_TRUE(recorder.Shown().empty());
}

TEST_F(AllocationTest, ChainRunningIntoAFreeSectorIsReportedOnceAndTheEntryErased) {
    auto disk = Formatted();
    unsigned char* file = AddPattern(*disk, "broken", 1500);  // sectors 14, 15, 16
    disk->SetFatEntry(disk->GetSector(1), 15, 0);
    disk->RemoveFile(file);
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"FAT is corrupted."});
    EXPECT_EQ(recorder.Shown()[0].kind, platform::MessageKind::Stop);
    EXPECT_EQ(Fat(*disk, 14), 0);
    EXPECT_EQ(Fat(*disk, 16), 0xE00 + 1500 % 512);
    EXPECT_EQ(file[0], 0xE5);
}

// A first sector or a link below 14 never frees a system sector; neither does a link to the
// reserved entries that have no storage; a cycle ends instead of hanging.
TEST_F(AllocationTest, CorruptedChainsNeverFreeSystemOrReservedSectors) {
    auto disk = Formatted();
    unsigned char* fat = disk->GetSector(1);
    unsigned char* low = AddPattern(*disk, "low", 10);
    disk->SetEntryFirstSector(low, 5);
    disk->RemoveFile(low);
    EXPECT_EQ(Fat(*disk, 5), 0xDDD);
    EXPECT_EQ(Fat(*disk, 14), 0xE0A);

    unsigned char* reserved = AddPattern(*disk, "res", 10);  // sector 15
    disk->SetFatEntry(fat, 15, 1695);
    disk->RemoveFile(reserved);
    EXPECT_EQ(Fat(*disk, 15), 0);
    EXPECT_EQ(Fat(*disk, 1695), 0xDDD);

    unsigned char* cycle = AddPattern(*disk, "cyc", 1000);  // sectors 15, 16
    disk->SetFatEntry(fat, 16, 15);
    disk->RemoveFile(cycle);
    EXPECT_EQ(Fat(*disk, 15), 0);
    EXPECT_EQ(Fat(*disk, 16), 0);

    unsigned char* none = AddPattern(*disk, "none", 10);  // sector 15
    disk->SetEntryFirstSector(none, 0xC00);
    disk->RemoveFile(none);
    EXPECT_EQ(Fat(*disk, 15), 0xE0A);
    EXPECT_EQ(none[0], 0xE5);
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>(3, "FAT is corrupted."));
}

// A foreign FAT may let two entries reach the same sectors. Removing one file frees only what no
// other file reaches, quietly; the last file to go frees the rest. A move removes the same way.
TEST_F(AllocationTest, CrossLinkedFilesKeepTheSectorsTheyShare) {
    const auto crossLinked = [](CMdosDisk& disk) {
        AddPattern(disk, "a", 1500, 1);  // sectors 14, 15, 16
        AddPattern(disk, "b", 600, 2);   // sectors 17, 18: now 17 then a's 15 and 16
        disk.SetFatEntry(disk.GetSector(1), 17, 15);
        disk.SetFatEntry(disk.GetSector(1), 18, 0);
    };
    auto disk = Formatted();
    crossLinked(*disk);
    unsigned char* a = disktest::UsedEntries(*disk)[0];
    unsigned char* b = disktest::UsedEntries(*disk)[1];
    unsigned char* c = AddPattern(*disk, "c", 0);  // sector 18, then the whole of b's chain
    disk->SetFatEntry(disk->GetSector(1), 18, 0);
    disk->SetEntryFirstSector(c, 17);
    const Bytes shared = FileData(*disk, b, 600);
    const int freeBefore = disk->GetFreeSpace();

    disk->RemoveFile(a);
    EXPECT_EQ(a[0], 0xE5);
    EXPECT_EQ(Fat(*disk, 14), 0);
    EXPECT_EQ(Fat(*disk, 15), 16);
    EXPECT_EQ(Fat(*disk, 16), 0xE00 + 1500 % 512);
    EXPECT_EQ(Fat(*disk, 17), 15);
    EXPECT_EQ(FileData(*disk, b, 600), shared);
    EXPECT_EQ(disk->GetFreeSpace(), freeBefore + 512);

    disk->RemoveFile(b);
    EXPECT_EQ(disk->GetFreeSpace(), freeBefore + 512);
    EXPECT_EQ(FileData(*disk, c, 600), shared);
    disk->RemoveFile(c);
    EXPECT_EQ(disk->GetFreeSpace(), Formatted()->GetFreeSpace());
    EXPECT_TRUE(recorder.Shown().empty());

    auto source = Formatted();
    crossLinked(*source);
    const auto files = disktest::UsedEntries(*source);
    const Bytes kept = FileData(*source, files[1], 600);
    EXPECT_EQ(source->CopyFileTo(disk.get(), files[0], 0), CMdosDisk::kAddDone);
    EXPECT_EQ(FileData(*source, files[1], 600), kept);
    EXPECT_EQ(Fat(*source, 15), 16);
    EXPECT_TRUE(recorder.Shown().empty());
}

// The other files' chains are walked on whatever the FAT holds: loops, a loop through the removed
// file, first sectors and links outside the data sectors. Every walk ends.
TEST_F(AllocationTest, RemovingBesideLoopingAndGarbageChainsEnds) {
    auto disk = Formatted();
    unsigned char* fat = disk->GetSector(1);
    unsigned char* removed = AddPattern(*disk, "removed", 1500);  // sectors 14, 15, 16
    AddPattern(*disk, "loop", 1000);                              // sectors 17, 18
    disk->SetFatEntry(fat, 18, 17);
    AddPattern(*disk, "merge", 10);  // sector 19, into 15 -> 16 -> 19 -> 15
    disk->SetFatEntry(fat, 19, 15);
    disk->SetFatEntry(fat, 16, 19);
    const int garbage[] = {0xFFFF, 3, 1700, 0};
    for (int first : garbage) {
        disk->SetEntryFirstSector(AddPattern(*disk, "junk", 10), static_cast<unsigned>(first));
    }
    disk->SetFatEntry(fat, 20, 1700);
    disk->SetEntryFirstSector(AddPattern(*disk, "far", 10), 20);

    disk->RemoveFile(removed);
    EXPECT_EQ(removed[0], 0xE5);
    EXPECT_EQ(Fat(*disk, 14), 0);
    EXPECT_EQ(Fat(*disk, 15), 16);
    EXPECT_EQ(Fat(*disk, 16), 19);
    EXPECT_EQ(Fat(*disk, 17), 18);
    EXPECT_EQ(Fat(*disk, 18), 17);
    EXPECT_EQ(Fat(*disk, 19), 15);
    EXPECT_EQ(Fat(*disk, 20), 1700);
    EXPECT_TRUE(recorder.Shown().empty());
}

// A foreign FAT may mark system sectors or the entries beyond the store free: the allocator
// still offers only sectors 14 to 1691.
TEST_F(AllocationTest, AllocatorOffersOnlyStoredDataSectors) {
    auto disk = Formatted();
    unsigned char* fat = disk->GetSector(1);
    for (int i : {0, 3, 13, 1692, 1704}) {
        disk->SetFatEntry(fat, i, 0);
    }
    for (int s = 14; s < 1690; ++s) {
        disk->SetFatEntry(fat, s, 0xDDD);
    }
    EXPECT_EQ(disk->FirstFreeSector(), 1690);
    int s = 1691;
    EXPECT_EQ(disk->NextFreeSector(&s), -1);
    EXPECT_EQ(s, -1);
    EXPECT_EQ(disk->GetFreeSpace(), 1024);
    const Bytes before = SectorData(*disk);
    const Bytes data = Pattern(1024);
    EXPECT_EQ(disk->AddFile(nullptr, disktest::Entry(*disk, "x", 1024).data(), data.data(), 1024),
              2);
    EXPECT_EQ(SectorData(*disk), before);
    unsigned char* last = AddPattern(*disk, "last", 1023);
    EXPECT_EQ(disk->GetEntryFirstSector(last), 1690);
    EXPECT_EQ(Fat(*disk, 1691), 0xE00 + 511);
    EXPECT_EQ(Fat(*disk, 13), 0);
}

// The length decides how many sectors are read; where the chain leaves the store the file reads
// as zeros, not as whatever the caller's buffer held.
TEST_F(AllocationTest, ReadingPastTheChainYieldsZeros) {
    auto disk = Formatted();
    unsigned char* file = AddPattern(*disk, "short", 512, 1);  // sectors 14, 15
    Bytes data(2000, 0xAA);
    disk->ReadFileData(file, data.data(), 2000);
    Bytes expected = Pattern(512, 1);
    expected.resize(2000, 0);
    EXPECT_EQ(data, expected);

    disk->SetEntryFirstSector(file, 0xFFFF);
    std::fill(data.begin(), data.end(), 0xAA);
    disk->ReadFileData(file, data.data(), 700);
    EXPECT_TRUE(
        std::all_of(data.begin(), data.begin() + 700, [](unsigned char b) { return b == 0; }));
    EXPECT_EQ(data[700], 0xAA);

    unsigned char sector[512];
    std::memset(sector, 0x11, sizeof sector);
    disk->ReadSector(1692, sector, 512);
    disk->WriteSector(-1, sector, 512);
    disk->ReadSector(14, sector, 4);
    EXPECT_EQ(Bytes(sector, sector + 5), (Bytes{1, 2, 3, 4, 0x11}));
}

}  // namespace
