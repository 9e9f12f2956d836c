// Volumes that the engine formats and fills through every path (binary, TAP and D80 imports,
// copies, moves, deletes, in a seeded random order) never give a finding, checked after every
// step; and garbage volumes are checked and repaired without harm.
#include <random>
#include <set>

#include "check_test_support.h"

namespace {

using check::CheckDisk;
using check::Finding;
using check::RepairDisk;
using disktest::Bytes;
using disktest::DiskTest;
using disktest::Pattern;
using disktest::WriteFile;

void Append(Bytes& to, const Bytes& more) {
    to.insert(to.end(), more.begin(), more.end());
}

// A TAP block: length, flag, payload, XOR of flag and payload.
Bytes TapBlock(unsigned char flag, const Bytes& payload) {
    const auto n = static_cast<unsigned>(payload.size() + 2);
    Bytes block{static_cast<unsigned char>(n & 0xFF), static_cast<unsigned char>(n >> 8), flag};
    Append(block, payload);
    block.push_back(CMdosDisk::XorChecksum(block.data() + 2, static_cast<int>(payload.size() + 1)));
    return block;
}

Bytes TapHeader(unsigned char type, const std::string& name, std::size_t length) {
    Bytes payload{type};
    const std::string padded = (name + "          ").substr(0, 10);
    payload.insert(payload.end(), padded.begin(), padded.end());
    for (const std::size_t v : {length, std::size_t{0x8000}, std::size_t{10}}) {
        payload.push_back(static_cast<unsigned char>(v & 0xFF));
        payload.push_back(static_cast<unsigned char>(v >> 8));
    }
    return TapBlock(0x00, payload);
}

std::vector<unsigned char*> UsedEntries(CMdosDisk& disk) {
    std::vector<unsigned char*> used;
    for (unsigned char* e = disk.FirstDirEntry(); e != nullptr; disk.NextDirEntry(&e)) {
        if (e[0] != CMdosDisk::kFreeEntry) {
            used.push_back(e);
        }
    }
    return used;
}

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
                Append(tap,
                       TapHeader(static_cast<unsigned char>(Pick(5)), FreshName(), data.size()));
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
    for (const std::string& text : recorder.Texts()) {
        EXPECT_NE(text, "FAT is corrupted.");
    }
    // The sequence also ran into full disks.
    const auto texts = recorder.Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "No space available."), texts.end());
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
        const std::vector<Finding> before = CheckDisk(*disk, 0);
        std::vector<Bytes> files;
        for (unsigned char* e : UsedEntries(*disk)) {
            files.push_back(disktest::FileData(*disk, e, std::min(e[11] | e[12] << 8, 4096)));
        }
        const Bytes boot(disk->GetSector(0), disk->GetSector(1));
        const Bytes outsideFat(disk->GetSector(6), disk->GetSector(0) + CMdosDisk::kSectorDataSize);

        const std::vector<Finding> repairs = RepairDisk(*disk, 0);
        EXPECT_EQ(Bytes(disk->GetSector(0), disk->GetSector(1)), boot);
        EXPECT_EQ(Bytes(disk->GetSector(6), disk->GetSector(0) + CMdosDisk::kSectorDataSize),
                  outsideFat);
        std::size_t i = 0;
        for (unsigned char* e : UsedEntries(*disk)) {
            EXPECT_EQ(disktest::FileData(*disk, e, std::min(e[11] | e[12] << 8, 4096)), files[i++]);
        }
        EXPECT_TRUE(RepairDisk(*disk, 0).empty()) << "round " << round;
        // What was repaired is no longer found.
        const std::vector<Finding> after = CheckDisk(*disk, 0);
        for (const Finding& repair : repairs) {
            EXPECT_EQ(std::count_if(after.begin(), after.end(),
                                    [&](const Finding& f) {
                                        return f.code == repair.code && f.slot == repair.slot;
                                    }),
                      0)
                << "round " << round << ": " << repair.message;
        }
        EXPECT_LE(after.size(), before.size());
    }
}

// A FAT that is one long ring with every directory slot starting somewhere on it: each file
// loops and shares the ring, and the check still settles each sector once.
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
    const std::vector<std::string> codes = checktest::Codes(CheckDisk(*disk, 0));
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "chain-loop"), 128);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "cross-link"), 127);
    EXPECT_EQ(codes.size(), 255u);
}

}  // namespace
