// Volumes that the engine formats and fills through every path (binary, TAP and D80 imports,
// copies, moves, deletes, in a seeded random order) never give a finding, checked after every
// step; and garbage volumes are checked and repaired without harm.
#include <map>
#include <random>
#include <set>

#include "check/volume_check.h"
#include "disk/disk_test_support.h"

namespace {

using check::CheckDisk;
using check::Finding;
using check::RepairDisk;
using disktest::Append;
using disktest::Bytes;
using disktest::DiskTest;
using disktest::Pattern;
using disktest::TapBlock;
using disktest::TapHeader;
using disktest::UsedEntries;
using disktest::WriteFile;

class RandomOperationsTest : public DiskTest {
protected:
    void SetUp() override {
        DiskTest::SetUp();
        for (const auto& [tracks, sectors] : {std::pair{94, 9}, {80, 9}, {10, 5}}) {
            disks.push_back(Formatted(tracks, sectors));
        }
    }

    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(rng); }

    int PickSize() {
        const int kind = Pick(20);
        const int limit = kind == 0 ? 120000 : kind < 5 ? 40000 : 3000;
        return Pick(limit + 1);
    }

    std::string FreshName() { return "f" + std::to_string(nextName++); }

    CMdosDisk& AnyDisk() { return *disks[static_cast<std::size_t>(Pick(3))]; }

    // A used entry of some disk, or null when that disk is empty.
    unsigned char* AnyFile(CMdosDisk& disk) {
        const std::vector<unsigned char*> used = UsedEntries(disk);
        return used.empty() ? nullptr : used[static_cast<std::size_t>(Pick(int(used.size())))];
    }

    void ImportBinary() {
        CMdosDisk& disk = AnyDisk();
        const int size = PickSize();
        const int free = disk.GetFreeSpace();
        if (free > 0 && size >= free) {
            recorder.AnswerNext(Pick(2) == 0 ? platform::Answer::Yes : platform::Answer::No);
        }
        WriteFile(Path("host.bin"), Pattern(size, Pick(251)));
        disk.ImportBinary(nullptr, FreshName().c_str(), Path("host.bin").c_str());
    }

    // One to three files, with and without a header block, each header giving its data's length.
    void ImportTap() {
        Bytes tap;
        for (int i = Pick(3); i >= 0; --i) {
            const Bytes data = Pattern(Pick(i == 0 ? 20000 : 3000), Pick(251));
            if (Pick(4) != 0) {
                const auto type = static_cast<unsigned char>(Pick(5));
                const auto length = static_cast<unsigned>(data.size());
                Append(tap, TapHeader(type, FreshName().c_str(), length, 0x8000, 10));
            }
            Append(tap, TapBlock(0xFF, data));
        }
        WriteFile(Path("tape.tap"), tap);
        AnyDisk().ImportTap(Path("tape.tap").c_str());
    }

    // A D80 image of a few files of one disk, imported into another or the same.
    void ImportD80() {
        CMdosDisk& source = AnyDisk();
        std::vector<unsigned char*> list;
        for (int i = Pick(4); i >= 0; --i) {
            if (unsigned char* file = AnyFile(source)) {
                list.push_back(file);
            }
        }
        list.push_back(nullptr);
        source.ExportD80(Path("raw.d80").c_str(), list.data());
        AnyDisk().ImportD80(Path("raw.d80").c_str());
    }

    void CopyOrMove(int keep) {
        const int from = Pick(3);
        const int to = (from + 1 + Pick(2)) % 3;
        CMdosDisk& source = *disks[static_cast<std::size_t>(from)];
        if (unsigned char* file = AnyFile(source)) {
            source.CopyFileTo(disks[static_cast<std::size_t>(to)].get(), file, keep);
        }
    }

    void Delete() {
        CMdosDisk& disk = AnyDisk();
        if (unsigned char* file = AnyFile(disk)) {
            disk.RemoveFile(file);
        }
    }

    // The engine makes a second entry of a name that exists (a copy back, a D80 of the same
    // disk, the headless names every tape import starts again); a user renames it in the list,
    // and so does the sequence, so that two names alike stay a fault the checker must find.
    void RenameTwins() {
        for (const auto& disk : disks) {
            std::set<std::string> seen;
            for (unsigned char* e : UsedEntries(*disk)) {
                if (!seen.emplace(reinterpret_cast<const char*>(e), 11).second) {
                    disk->SetEntryName(e, FreshName().c_str());
                    seen.emplace(reinterpret_cast<const char*>(e), 11);
                }
            }
        }
    }

    std::mt19937 rng{20261208};
    std::vector<std::unique_ptr<CMdosDisk>> disks;
    int nextName = 0;
};

TEST_F(RandomOperationsTest, EveryStepLeavesVolumesWithoutFindings) {
    for (int step = 0; step < 400; ++step) {
        const int op = Pick(10);
        switch (op) {
            case 0:
            case 1:
                ImportBinary();
                break;
            case 2:
                ImportTap();
                break;
            case 3:
                ImportD80();
                break;
            case 4:
                CopyOrMove(1);
                break;
            case 5:
                CopyOrMove(0);
                break;
            default:
                Delete();
                break;
        }
        RenameTwins();
        for (std::size_t d = 0; d < disks.size(); ++d) {
            const std::vector<Finding> findings = CheckDisk(*disks[d], static_cast<int>(d));
            ASSERT_TRUE(findings.empty())
                << "step " << step << " operation " << op << ": " << findings[0].message;
        }
    }
    // No chain ever broke, and the sequence also ran into full disks.
    const auto texts = recorder.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "FAT is corrupted."), 0);
    EXPECT_GT(std::count(texts.begin(), texts.end(), "No space available."), 0);
}

// Random FATs and directories: checking never fails, repairing changes only FAT entries and
// never the bytes a file reads, and a second repair finds nothing left to do.
TEST_F(RandomOperationsTest, GarbageVolumesAreCheckedAndRepairedWithoutHarm) {
    for (int round = 0; round < 200; ++round) {
        auto disk = Formatted(Pick(2) == 0 ? 94 : 1 + Pick(94), 1 + Pick(10));
        for (int i = Pick(20); i >= 0; --i) {
            const int length = Pick(5000);
            const Bytes entry = disktest::Entry(*disk, FreshName().c_str(), length);
            disk->AddFile(nullptr, entry.data(), Pattern(length).data(), length);
        }
        unsigned char* fat = disk->GetSector(CMdosDisk::kFirstFatSector);
        for (int i = Pick(round < 100 ? 8 : 4000); i >= 0; --i) {
            disk->SetFatEntry(fat, Pick(CMdosDisk::kFatEntryCount),
                              Pick(2) == 0 ? 14 + Pick(60) : Pick(0x1000));
        }
        if (Pick(4) == 0) {
            for (int i = 0; i < 16; ++i) {
                disk->GetSector(0)[0xB0 + i] = static_cast<unsigned char>(Pick(256));
                disk->GetSector(6 + Pick(8))[Pick(512)] = static_cast<unsigned char>(Pick(256));
            }
        }
        auto allButTheFat = [&] {
            Bytes bytes(disk->GetSector(0), disk->GetSector(1));
            return Append(bytes,
                          Bytes(disk->GetSector(6), disk->GetSector(CMdosDisk::kSectorCount)));
        };
        auto fileBytes = [&] {
            Bytes bytes;
            for (unsigned char* e : UsedEntries(*disk)) {
                Append(bytes, disktest::FileData(*disk, e, std::min(e[11] | e[12] << 8, 4096)));
            }
            return bytes;
        };
        const std::size_t before = CheckDisk(*disk, 0).size();
        const Bytes unrepaired = allButTheFat();
        const Bytes files = fileBytes();
        RepairDisk(*disk, 0);
        EXPECT_EQ(allButTheFat(), unrepaired);
        EXPECT_EQ(fileBytes(), files);
        EXPECT_TRUE(RepairDisk(*disk, 0).empty()) << "round " << round;
        EXPECT_LE(CheckDisk(*disk, 0).size(), before);
    }
}

// Every sector an entry's chain reaches, walked as far as the FAT leads: used entries, and free
// entries that a flipped byte may have left with a file's first sector. Written apart from the
// checker on purpose: this is the set a repair must never free.
std::set<int> ReachedByEntries(CMdosDisk& disk) {
    std::set<int> reached;
    for (unsigned char* e = disk.FirstDirEntry(); e != nullptr; disk.NextDirEntry(&e)) {
        for (int n = disk.GetEntryFirstSector(e); n >= CMdosDisk::kFirstDataSector &&
                                                  n < CMdosDisk::kSectorCount &&
                                                  reached.insert(n).second;) {
            n = disktest::Fat(disk, n);
        }
    }
    return reached;
}

// One byte of the boot sector's geometry, the FAT or the directory of a filled volume takes a
// random value (a type byte often 0xE5); a repair then never frees a sector an entry reaches
// nor touches a reserved entry.
TEST_F(RandomOperationsTest, ASingleFlippedByteNeverLetsARepairFreeAFilesSectors) {
    int freedSome = 0;
    for (int round = 0; round < 3000; ++round) {
        auto disk = Formatted(Pick(2) == 0 ? 94 : 80, 9);
        for (int i = 1 + Pick(12); i > 0; --i) {
            disktest::AddPattern(*disk, FreshName().c_str(), PickSize() / 8);
        }
        if (unsigned char* gone = AnyFile(*disk); gone != nullptr && Pick(2) == 0) {
            disk->RemoveFile(gone);
        }
        unsigned char* at = nullptr;
        switch (Pick(4)) {
            case 0:
                at = disk->GetSector(0) + CMdosDisk::kBootTracks + Pick(2);
                break;
            case 1:
                at = disk->GetSector(CMdosDisk::kFirstFatSector) + Pick(48);
                break;
            case 2:
                at = disk->GetSector(CMdosDisk::kFirstFatSector) + Pick(5 * 512);
                break;
            default:
                at = disk->GetSector(CMdosDisk::kFirstDirSector) + Pick(8 * 512);
                break;
        }
        const bool typeByte = Pick(3) == 0 && AnyFile(*disk) != nullptr;
        if (typeByte) {
            at = AnyFile(*disk);
        }
        *at = static_cast<unsigned char>(typeByte ? CMdosDisk::kFreeEntry : Pick(256));

        const std::set<int> reached = ReachedByEntries(*disk);
        std::vector<int> before(CMdosDisk::kFatEntryCount);
        for (int i = 0; i < CMdosDisk::kFatEntryCount; ++i) {
            before[static_cast<std::size_t>(i)] = disktest::Fat(*disk, i);
        }
        RepairDisk(*disk, 0);
        for (int i = 0; i < CMdosDisk::kFatEntryCount; ++i) {
            const int was = before[static_cast<std::size_t>(i)];
            const int now = disktest::Fat(*disk, i);
            if (was == now) {
                continue;
            }
            ASSERT_NE(was, CMdosDisk::kFatReserved) << "round " << round << " sector " << i;
            if (now == CMdosDisk::kFatFree) {
                ASSERT_EQ(reached.count(i), 0u) << "round " << round << " freed sector " << i;
                ++freedSome;
            }
        }
    }
    // The rounds also met lost sectors that were rightly freed.
    EXPECT_GT(freedSome, 0);
}

// A FAT that is one long ring with every directory slot starting somewhere on it: each file
// loops, every pair of files shares the ring, and each chain is still followed once.
TEST_F(RandomOperationsTest, ARingThroughEverySectorIsCheckedInOnePass) {
    auto disk = Formatted();
    for (int i = 0; i < CMdosDisk::kDirEntryCount; ++i) {
        disktest::AddPattern(*disk, FreshName().c_str(), 0);
    }
    unsigned char* fat = disk->GetSector(CMdosDisk::kFirstFatSector);
    for (int s = 14; s < CMdosDisk::kSectorCount; ++s) {
        disk->SetFatEntry(fat, s, s + 1 < CMdosDisk::kSectorCount ? s + 1 : 14);
    }
    int slot = 0;
    for (unsigned char* e : UsedEntries(*disk)) {
        disk->SetEntryFirstSector(e, static_cast<unsigned>(14 + slot++ * 13));
    }
    std::map<std::string, int> counts;
    for (const Finding& finding : CheckDisk(*disk, 0)) {
        ++counts[finding.code];
    }
    EXPECT_EQ(counts,
              (std::map<std::string, int>{{"chain-loop", 128}, {"cross-link", 128 * 127 / 2}}));
}

}  // namespace
