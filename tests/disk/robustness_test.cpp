// Every reader takes random, truncated and garbage input and returns without harm: no hang, no
// out-of-bounds access (the sanitizer build turns one into a failure), and imports leave a disk
// whose chains are consistent.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <random>
#include <vector>

#include "disk/mdos_format.h"
#include "disk_test_support.h"

namespace {

using disktest::Bytes;
using disktest::DiskTest;
using disktest::Fat;
using disktest::UsedEntries;
using disktest::WriteFile;

Bytes RandomBytes(std::mt19937& rng, std::size_t size) {
    Bytes bytes(size);
    for (auto& b : bytes) {
        b = static_cast<unsigned char>(rng());
    }
    return bytes;
}

int Length(const unsigned char* e) {
    return e[11] | e[12] << 8 | e[21] << 16;
}

// On a disk that only our own operations wrote, every chain runs through data sectors to an end
// mark, and the chains and the free sectors together are exactly the volume's data sectors.
void ExpectConsistent(CMdosDisk& disk, int dataSectors) {
    int owned = 0;
    for (unsigned char* e : UsedEntries(disk)) {
        int s = disk.GetEntryFirstSector(e);
        int steps = 0;
        for (; s < CMdosDisk::kFatChainEnd && steps <= CMdosDisk::kFatEntryCount; ++steps) {
            ASSERT_GE(s, CMdosDisk::kFirstDataSector);
            ASSERT_LT(s, CMdosDisk::kSectorCount);
            s = Fat(disk, s);
        }
        EXPECT_GE(s, CMdosDisk::kFatLastSector);
        owned += steps;
    }
    EXPECT_EQ(owned + disk.GetFreeSpace() / 512, dataSectors);
}

// Runs every reader of a disk over whatever it holds, then frees every entry.
void ExerciseEverything(CMdosDisk& disk, const std::string& dir) {
    const Bytes fatBefore(disk.GetSector(1), disk.GetSector(6));
    char buf[600];
    disk.GetSystemMark(buf, sizeof buf);
    disk.GetDiskName(buf, sizeof buf);
    disk.GetComment(buf, sizeof buf);
    disk.GetVolumeName(buf, sizeof buf);
    disk.GetGeometryText(buf, sizeof buf);
    disk.GetDiskSizeText(buf, sizeof buf);
    disk.GetFilesSizeText(buf, sizeof buf);
    disk.GetFreeSpaceText(buf, sizeof buf);
    disk.ExportTap((dir + "/all.tap").c_str(), nullptr);
    disk.ExportD80((dir + "/all.d80").c_str(), nullptr);
    auto target = std::make_unique<CMdosDisk>();
    target->Format(94, 9, "target");
    for (unsigned char* e : UsedEntries(disk)) {
        disk.GetEntryName(e, buf, sizeof buf);
        disk.GetEntryLengthText(e, buf, sizeof buf);
        disk.GetEntryAttributesText(e, buf, sizeof buf);
        if (Length(e) <= 1 << 20) {
            disk.ExportBinary(e, (dir + "/file.bin").c_str());
        }
        disk.CopyFileTo(target.get(), e, 1);
    }
    ExpectConsistent(*target, 1678);
    for (unsigned char* e : UsedEntries(disk)) {
        disk.RemoveFile(e);
    }
    EXPECT_EQ(disk.GetFilesCount(), 0);
    // Freeing never touches the entries of system sectors or of sectors the record lacks.
    const Bytes fatAfter(disk.GetSector(1), disk.GetSector(6));
    for (int i = 0; i < CMdosDisk::kFatEntryCount; ++i) {
        if (i < CMdosDisk::kFirstDataSector || i >= CMdosDisk::kSectorCount) {
            EXPECT_EQ(disk.GetFatEntry(fatAfter.data(), i), disk.GetFatEntry(fatBefore.data(), i));
        }
    }
}

using RobustnessTest = DiskTest;

TEST_F(RobustnessTest, TruncatedAndRandomTapFiles) {
    std::mt19937 rng(2024);
    Bytes valid{19, 0, 0, 3, 'n', 'a', 'm', 'e', ' ', ' ', ' ', ' ', ' ', ' ', 5, 0, 0, 0, 0, 0, 0};
    const Bytes data{7, 0, 0xFF, 1, 2, 3, 4, 5, 0};
    valid.insert(valid.end(), data.begin(), data.end());
    valid.insert(valid.end(), data.begin(), data.end());
    for (std::size_t size = 0; size <= valid.size(); ++size) {
        WriteFile(Path("t.tap"), Bytes(valid.begin(), valid.begin() + static_cast<long>(size)));
        auto disk = Formatted();
        disk->ImportTap(Path("t.tap").c_str());
        ExpectConsistent(*disk, 1678);
    }
    for (int round = 0; round < 40; ++round) {
        WriteFile(Path("r.tap"), RandomBytes(rng, rng() % 300000));
        auto disk = Formatted(round % 2 == 0 ? 94 : 1, 9);
        disk->ImportTap(Path("r.tap").c_str());
        ExpectConsistent(*disk, round % 2 == 0 ? 1678 : 4);
    }
}

// /dev/zero is an endless run of empty tape blocks; it is no host file and imports nothing.
TEST_F(RobustnessTest, EndlessDevicesAreNotRead) {
    auto disk = Formatted();
    const Bytes before = disktest::SectorData(*disk);
    disk->ImportTap("/dev/zero");
    disk->ImportD80("/dev/zero");
    disk->ImportBinary(nullptr, "zero", "/dev/zero");
    EXPECT_EQ(disktest::SectorData(*disk), before);
    EXPECT_TRUE(recorder.Shown().empty());
}

TEST_F(RobustnessTest, GarbageD80ImagesAndRecords) {
    std::mt19937 rng(7);
    for (int round = 0; round < 6; ++round) {
        const Bytes garbage = RandomBytes(rng, CMdosDisk::kRecordSize + 1000);
        const std::size_t sizes[] = {
            0, 511, 3000, 7 * 512 + 3, CMdosDisk::kSectorDataSize, garbage.size()};
        const std::size_t size = sizes[round];
        WriteFile(Path("g.bin"), Bytes(garbage.begin(), garbage.begin() + static_cast<long>(size)));

        auto imported = Formatted();
        imported->ImportD80(Path("g.bin").c_str());
        ExpectConsistent(*imported, 1678);

        auto raw = std::make_unique<CMdosDisk>();
        raw->SetDiskName("header stays");
        raw->LoadRawImage(Path("g.bin").c_str());
        char buf[40];
        EXPECT_STREQ(raw->GetDiskName(buf, sizeof buf), "header stays");
        ExerciseEverything(*raw, Path(""));

        auto record = std::make_unique<CMdosDisk>();
        record->LoadRecord(Path("g.bin").c_str());
        ExerciseEverything(*record, Path(""));
    }
}

// Chains that loop, branch, run into system or reserved sectors or leave the FAT.
TEST_F(RobustnessTest, GarbageChains) {
    std::mt19937 rng(99);
    for (int round = 0; round < 8; ++round) {
        auto disk = Formatted();
        unsigned char* fat = disk->GetSector(1);
        for (int i = 0; i < CMdosDisk::kFatEntryCount; ++i) {
            const int kind = static_cast<int>(rng() % 8);
            const int value = kind == 0
                                  ? static_cast<int>(rng() % 0x1000)
                                  : static_cast<int>(rng() % (CMdosDisk::kFatEntryCount + 20));
            disk->SetFatEntry(fat, i, value);
        }
        for (unsigned char* e = disk->FirstDirEntry(); e != nullptr; disk->NextDirEntry(&e)) {
            if (rng() % 3 == 0) {
                continue;
            }
            e[0] = 'B';
            disk->SetEntryFirstSector(e, rng() % 4 == 0 ? rng() : rng() % 1800);
            disk::SetEntryLength(e, static_cast<int>(rng() % 70000));
        }
        ExerciseEverything(*disk, Path(""));
    }
}

// A new disk may reuse the memory of one just removed: it still starts all zero, header and
// sectors alike.
TEST(DiskRecord, NewDiskStartsZeroEvenInReusedMemory) {
    for (int round = 0; round < 3; ++round) {
        std::vector<std::unique_ptr<CMdosDisk>> disks;
        for (int i = 0; i < 4; ++i) {
            auto disk = disk::TryNewDisk();
            ASSERT_NE(disk, nullptr);
            const unsigned char* record = disk->Record();
            EXPECT_TRUE(std::all_of(record, record + CMdosDisk::kRecordSize,
                                    [](unsigned char b) { return b == 0; }));
            disk->Format(94, 9, "dirty");
            disk->SetDiskName("dirty");
            std::memset(disk->GetSector(CMdosDisk::kSectorCount - 1), 0xA5, CMdosDisk::kSectorSize);
            disks.push_back(std::move(disk));
        }
    }
}

}  // namespace
