// Host files, copies between disks, TAP tape images, D80 raw images and single-disk files.
#include <cstring>
#include <filesystem>

#include "disk_test_support.h"
#include "support/file_size_limit.h"

namespace {

using disktest::AddPattern;
using disktest::Append;
using disktest::Bytes;
using disktest::DiskTest;
using disktest::FileData;
using disktest::Name;
using disktest::Pattern;
using disktest::ReadFile;
using disktest::SectorData;
using disktest::TapBlock;
using disktest::TapHeader;
using disktest::UsedEntries;
using disktest::WriteFile;

std::string Attributes(CMdosDisk& disk, unsigned char* entry) {
    char buf[9];
    return disk.GetEntryAttributesText(entry, buf, sizeof buf);
}

using BinaryTest = DiskTest;

TEST_F(BinaryTest, ImportBuildsTheEntryAndExportWritesTheExactData) {
    auto disk = Formatted();
    const Bytes data = Pattern(100);
    WriteFile(Path("loader.bin"), data);
    unsigned char sentinel = 0;
    unsigned char* entry = &sentinel;
    disk->ImportBinary(&entry, "loader", Path("loader.bin").c_str());
    ASSERT_NE(entry, nullptr);
    const Bytes expected{'B',  'l',  'o',  'a',  'd',  'e',  'r',  0,    0,    0,    0,
                         100,  0,    0,    0,    0xFF, 0x7F, 14,   0,    0,    0x0D, 0,
                         0xE5, 0xE5, 0xE5, 0xE5, 0xE5, 0xE5, 0xE5, 0xE5, 0xE5, 0xE5};
    EXPECT_EQ(Bytes(entry, entry + 32), expected);
    disk->ExportBinary(entry, Path("out.bin").c_str());
    EXPECT_EQ(ReadFile(Path("out.bin")), data);

    WriteFile(Path("big"), Pattern(70000));
    disk->ImportBinary(&entry, "big", Path("big").c_str());
    EXPECT_EQ(entry[0], 'Q');
    EXPECT_EQ(entry[21], 0x01);
    EXPECT_EQ(entry[11] | entry[12] << 8, 0x1170);
    EXPECT_EQ(FileData(*disk, entry, 70000), Pattern(70000));

    WriteFile(Path("empty"), {});
    disk->ImportBinary(&entry, "empty", Path("empty").c_str());
    disk->ExportBinary(entry, Path("empty.out").c_str());
    EXPECT_TRUE(std::filesystem::exists(Path("empty.out")));
    EXPECT_TRUE(ReadFile(Path("empty.out")).empty());

    const Bytes before = SectorData(*disk);
    disk->ImportBinary(&entry, "missing", Path("missing").c_str());
    EXPECT_EQ(entry, nullptr);
    EXPECT_EQ(SectorData(*disk), before);
    EXPECT_TRUE(recorder.Shown().empty());
}

// 1024 free bytes hold a file of 1023 bytes at most (L / 512 + 1 sectors).
TEST_F(BinaryTest, FileAsLongAsTheFreeSpaceAsksWhetherToCut) {
    auto disk = Formatted(1, 8);  // sectors 14 and 15 free
    WriteFile(Path("exact"), Pattern(1024));
    WriteFile(Path("fits"), Pattern(1023));
    WriteFile(Path("huge"), Pattern(3 << 20));

    const Bytes before = SectorData(*disk);
    unsigned char sentinel = 0;
    unsigned char* entry = &sentinel;
    recorder.AnswerNext(platform::Answer::No);
    disk->ImportBinary(&entry, "exact", Path("exact").c_str());
    EXPECT_EQ(entry, nullptr);
    EXPECT_EQ(SectorData(*disk), before);
    ASSERT_EQ(recorder.Shown().size(), 1u);
    EXPECT_EQ(recorder.Shown()[0].kind, platform::MessageKind::Question);
    EXPECT_EQ(recorder.Shown()[0].text,
              "File is too long. Use all disk free space and cut the file ?");

    recorder.AnswerNext(platform::Answer::Yes);
    disk->ImportBinary(&entry, "huge", Path("huge").c_str());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry[11] | entry[12] << 8, 1023);
    EXPECT_EQ(FileData(*disk, entry, 1023), Pattern(1023));
    EXPECT_EQ(disk->GetFreeSpace(), 0);
    EXPECT_EQ(recorder.Shown().size(), 2u);

    disk->RemoveFile(entry);
    disk->ImportBinary(&entry, "fits", Path("fits").c_str());
    EXPECT_NE(entry, nullptr);
    EXPECT_EQ(recorder.Shown().size(), 2u);

    // With nothing free there is nothing to cut to: no question, only the refusal.
    disk->ImportBinary(&entry, "fits", Path("fits").c_str());
    EXPECT_EQ(recorder.Texts().back(), "No space available.");
    EXPECT_EQ(recorder.Shown().back().kind, platform::MessageKind::Stop);
}

// The import buffer grows as the file arrives: a cut on a roomy disk still keeps every byte up to
// the free space, however many times the buffer grew.
TEST_F(BinaryTest, CutOnAFullSizeDiskKeepsTheFirstBytes) {
    auto disk = Formatted();
    const int freeSpace = disk->GetFreeSpace();
    const Bytes data = Pattern(freeSpace + 200000);
    WriteFile(Path("long"), data);
    recorder.AnswerNext(platform::Answer::Yes);
    unsigned char* entry = nullptr;
    disk->ImportBinary(&entry, "long", Path("long").c_str());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(FileData(*disk, entry, freeSpace - 1),
              Bytes(data.begin(), data.begin() + freeSpace - 1));
    EXPECT_EQ(disk->GetFreeSpace(), 0);
}

using CopyTest = DiskTest;

TEST_F(CopyTest, CopyKeepsTheSourceMoveFreesItFailureLeavesBothDisks) {
    auto source = Formatted();
    auto target = Formatted();
    unsigned char* file = AddPattern(*source, "travel", 1500, 5);
    file[25] = 0x42;

    EXPECT_EQ(source->CopyFileTo(target.get(), file, 1), 0);
    ASSERT_EQ(UsedEntries(*target).size(), 1u);
    unsigned char* copy = UsedEntries(*target)[0];
    EXPECT_EQ(Bytes(copy, copy + 17), Bytes(file, file + 17));
    EXPECT_EQ(Bytes(copy + 19, copy + 32), Bytes(file + 19, file + 32));
    EXPECT_EQ(FileData(*target, copy, 1500), Pattern(1500, 5));

    const int freeBefore = source->GetFreeSpace();
    EXPECT_EQ(source->CopyFileTo(target.get(), file, 0), 0);
    EXPECT_EQ(source->GetFreeSpace(), freeBefore + 3 * 512);
    EXPECT_EQ(source->GetFilesCount(), 0);
    EXPECT_EQ(target->GetFilesCount(), 2);
    EXPECT_TRUE(recorder.Shown().empty());

    file = AddPattern(*source, "stay", 10);
    for (int i = 2; i < 128; ++i) {
        AddPattern(*target, "f", 0);
    }
    const Bytes sourceBefore = SectorData(*source);
    const Bytes targetBefore = SectorData(*target);
    EXPECT_EQ(source->CopyFileTo(target.get(), file, 1), 1);
    EXPECT_EQ(source->CopyFileTo(target.get(), file, 0), 1);
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>(2, "No dir item available."));
    EXPECT_EQ(SectorData(*source), sourceBefore);
    EXPECT_EQ(SectorData(*target), targetBefore);

    auto tiny = Formatted(1, 1);
    EXPECT_EQ(source->CopyFileTo(tiny.get(), file, 0), 2);
    EXPECT_EQ(recorder.Texts().back(), "No space available.");
    EXPECT_EQ(SectorData(*source), sourceBefore);
}

// Moving frees the source chain after the copy took the lowest free sectors; a chain that runs
// into a free sector, loops or leaves the data sectors is refused before anything changes. A
// copy frees nothing and still copies what the chain reads.
TEST_F(CopyTest, MoveOverABrokenChainChangesNothing) {
    auto disk = Formatted();
    unsigned char* fat = disk->GetSector(CMdosDisk::kFirstFatSector);
    unsigned char* file = AddPattern(*disk, "broken", 1500, 3);  // sectors 14, 15, 16
    for (int brokenLink : {20, 14, 1700, 0}) {
        disk->SetFatEntry(fat, 15, brokenLink);
        const Bytes before = SectorData(*disk);
        EXPECT_EQ(disk->CopyFileTo(disk.get(), file, 0), CMdosDisk::kMoveFatCorrupted);
        EXPECT_EQ(SectorData(*disk), before);
    }
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>(4, "FAT is corrupted."));

    disk->SetFatEntry(fat, 15, 20);
    EXPECT_EQ(disk->CopyFileTo(disk.get(), file, 1), CMdosDisk::kAddDone);
    EXPECT_EQ(disk->GetFilesCount(), 2);
    EXPECT_EQ(recorder.Shown().size(), 4u);
}

using TapTest = DiskTest;

TEST_F(TapTest, HelloHeaderAndDataRoundTripByteForByte) {
    const Bytes screen = Pattern(6912, 9);
    Bytes tap = TapHeader(3, "hello", 6912, 16384, 32768);
    ASSERT_EQ(tap.size(), 21u);
    Append(tap, TapBlock(0xFF, screen));
    WriteFile(Path("hello.tap"), tap);

    auto disk = Formatted();
    disk->ImportTap(Path("hello.tap").c_str());
    ASSERT_EQ(disk->GetFilesCount(), 1);
    unsigned char* e = UsedEntries(*disk)[0];
    EXPECT_EQ(Bytes(e, e + 11), (Bytes{'B', 'h', 'e', 'l', 'l', 'o', 0, 0, 0, 0, 0}));
    char buf[16];
    EXPECT_STREQ(disk->GetEntryLengthText(e, buf, sizeof buf), "  6912");
    EXPECT_STREQ(disk->GetEntryStartText(e, buf, sizeof buf), "16384");
    EXPECT_STREQ(disk->GetEntryBasicText(e, buf, sizeof buf), "32768");
    EXPECT_EQ(Attributes(*disk, e), "----RWED");
    EXPECT_EQ(disk->GetFreeSpace(), (1678 - 14) * 512);
    EXPECT_EQ(FileData(*disk, e, 6912), screen);

    disk->ExportTap(Path("back.tap").c_str(), nullptr);
    EXPECT_EQ(ReadFile(Path("back.tap")), tap);
    EXPECT_EQ(tap.size(), 21u + 6916u);
}

TEST_F(TapTest, HeadlessBlocksAreNumberedAndHeadersPairWithTheNextDataBlock) {
    Bytes tap = TapBlock(0xFF, Pattern(300));
    Append(tap, TapBlock(0x42, Pattern(5, 1)));
    Append(tap, TapHeader(0, "first", 10, 1, 2));
    Append(tap, TapHeader(1, " second", 4, 3, 4));
    Append(tap, TapBlock(0x00, Pattern(4, 2)));  // flag 0 but not 19 long: data
    Append(tap, TapHeader(2, "dangling", 1, 0, 0));
    WriteFile(Path("mixed.tap"), tap);

    auto disk = Formatted();
    disk->ImportTap(Path("mixed.tap").c_str());
    const auto files = UsedEntries(*disk);
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(Name(*disk, files[0]), "HEADLESS00");
    EXPECT_EQ(Name(*disk, files[1]), "HEADLESS01");
    EXPECT_EQ(files[0][0], 'H');
    EXPECT_EQ(Attributes(*disk, files[1]), "----RW-D");
    EXPECT_EQ(files[1][15] | files[1][16] << 8, 32767);
    EXPECT_EQ(files[1][11], 5);
    EXPECT_EQ(FileData(*disk, files[1], 5), Pattern(5, 1));
    EXPECT_EQ(files[2][0], 'N');
    EXPECT_EQ(Bytes(files[2] + 1, files[2] + 11),
              (Bytes{' ', 's', 'e', 'c', 'o', 'n', 'd', 0, 0, 0}));
    EXPECT_EQ(FileData(*disk, files[2], 4), Pattern(4, 2));

    // A headless file goes out as a bare data block and comes back under the counter's name.
    unsigned char* list[] = {files[1], nullptr};
    disk->ExportTap(Path("h.tap").c_str(), list);
    EXPECT_EQ(ReadFile(Path("h.tap")), TapBlock(0xFF, Pattern(5, 1)));
    auto again = Formatted();
    again->ImportTap(Path("h.tap").c_str());
    EXPECT_EQ(Name(*again, UsedEntries(*again)[0]), "HEADLESS00");
    EXPECT_TRUE(recorder.Shown().empty());
}

// Blocks too short for flag and checksum are skipped; a block cut by the end of the file keeps
// the bytes that arrived.
TEST_F(TapTest, ShortAndTruncatedBlocks) {
    Bytes tap{0x00, 0x00, 0x01, 0x00, 0x77};
    Append(tap, TapBlock(0xFF, Pattern(7)));
    Bytes cut = TapBlock(0xFF, Pattern(100, 4));
    cut.resize(2 + 50);
    Append(tap, cut);
    WriteFile(Path("short.tap"), tap);

    auto disk = Formatted();
    disk->ImportTap(Path("short.tap").c_str());
    const auto files = UsedEntries(*disk);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(Name(*disk, files[0]), "HEADLESS00");
    EXPECT_EQ(FileData(*disk, files[0], 7), Pattern(7));
    EXPECT_EQ(files[1][11], 48);
    EXPECT_EQ(FileData(*disk, files[1], 48), Pattern(48, 4));
}

TEST_F(TapTest, ImportStopsAtTheFirstRefusal) {
    Bytes tap;
    for (int i = 0; i < 3; ++i) {
        Append(tap, TapBlock(0xFF, Pattern(600)));
    }
    WriteFile(Path("three.tap"), tap);
    auto disk = Formatted(1, 9);  // 4 free sectors: two files of two sectors fit, not three
    disk->ImportTap(Path("three.tap").c_str());
    EXPECT_EQ(disk->GetFilesCount(), 2);
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"No space available."});
}

// A block holds at most 65535 bytes: longer files are named and left out, never cut.
TEST_F(TapTest, ExportSkipsFilesTooLongForABlock) {
    auto disk = Formatted();
    AddPattern(*disk, "edge", 65533);
    AddPattern(*disk, "toolong", 65534);
    AddPattern(*disk, "small", 3);
    disk->ExportTap(Path("out.tap").c_str(), nullptr);
    ASSERT_EQ(recorder.Shown().size(), 1u);
    EXPECT_EQ(recorder.Shown()[0].kind, platform::MessageKind::Stop);
    EXPECT_NE(recorder.Shown()[0].text.find("toolong"), std::string::npos);

    auto back = Formatted();
    back->ImportTap(Path("out.tap").c_str());
    const auto files = UsedEntries(*back);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(Name(*back, files[0]), "edge");
    EXPECT_EQ(FileData(*back, files[0], 65533), Pattern(65533));
    EXPECT_EQ(Name(*back, files[1]), "small");
    EXPECT_EQ(ReadFile(Path("out.tap")).size(), 2u * 21 + (65533 + 4) + (3 + 4));
}

// An empty tape means an empty disk: when every file asked for is left out, no tape is written
// and an old one stays as it was.
TEST_F(TapTest, ExportWithEveryFileLeftOutWritesNoTape) {
    auto disk = Formatted();
    unsigned char* tooLong = AddPattern(*disk, "toolong", 65534);
    unsigned char* huge = AddPattern(*disk, "huge", 70000);
    AddPattern(*disk, "small", 3);
    unsigned char* list[] = {tooLong, huge, nullptr};
    disk->ExportTap(Path("new.tap").c_str(), list);
    EXPECT_FALSE(std::filesystem::exists(Path("new.tap")));
    EXPECT_EQ(recorder.Shown().size(), 2u);

    const Bytes old = Pattern(40, 9);
    WriteFile(Path("old.tap"), old);
    disk->ExportTap(Path("old.tap").c_str(), list);
    EXPECT_EQ(ReadFile(Path("old.tap")), old);

    auto onlyLong = Formatted();
    AddPattern(*onlyLong, "toolong", 65534);
    onlyLong->ExportTap(Path("all.tap").c_str(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(Path("all.tap")));
    EXPECT_EQ(recorder.Shown().size(), 5u);
    EXPECT_EQ(recorder.Texts().back(),
              "File toolong is too long for a tape block and was not exported.");
}

using RawImageTest = DiskTest;

TEST_F(RawImageTest, EmptyDiskExportsToAnEmptyTapAndAn80x9D80) {
    auto disk = Formatted();
    disk->SetVolumeName("vol");
    disk->ExportTap(Path("empty.tap").c_str(), nullptr);
    EXPECT_TRUE(ReadFile(Path("empty.tap")).empty());
    disk->ExportD80(Path("empty.d80").c_str(), nullptr);
    const Bytes d80 = ReadFile(Path("empty.d80"));
    ASSERT_EQ(d80.size(), 866304u);
    EXPECT_EQ(d80[0xB2], 80);
    EXPECT_EQ(d80[0xB3], 9);
    EXPECT_EQ(std::string(d80.begin() + 0xC0, d80.begin() + 0xCA), "vol       ");
    EXPECT_EQ(d80[0xCA] | d80[0xCB] << 8, 18467);
}

TEST_F(RawImageTest, D80ExportAndImportCarryEntriesAndData) {
    auto disk = Formatted();
    unsigned char* a = AddPattern(*disk, "a", 100, 1);
    unsigned char* b = AddPattern(*disk, "b", 3000, 2);
    AddPattern(*disk, "c", 20, 3);
    unsigned char* list[] = {b, a, nullptr};
    disk->ExportD80(Path("two.d80").c_str(), list);

    auto target = Formatted();
    target->SetVolumeName("mine");
    target->ImportD80(Path("two.d80").c_str());
    const auto files = UsedEntries(*target);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(Name(*target, files[0]), "b");
    EXPECT_EQ(Bytes(files[0] + 19, files[0] + 32), Bytes(b + 19, b + 32));
    EXPECT_EQ(FileData(*target, files[0], 3000), Pattern(3000, 2));
    EXPECT_EQ(FileData(*target, files[1], 100), Pattern(100, 1));
    char buf[16];
    EXPECT_STREQ(target->GetVolumeName(buf, sizeof buf), "mine");
    EXPECT_STREQ(target->GetGeometryText(buf, sizeof buf), "94x9");
    EXPECT_TRUE(recorder.Shown().empty());
}

TEST_F(RawImageTest, D80ExportWritesWhatFitsAfterARefusal) {
    auto disk = Formatted();
    AddPattern(*disk, "small", 1000);
    AddPattern(*disk, "large", 800000);
    AddPattern(*disk, "after", 10);
    disk->ExportD80(Path("part.d80").c_str(), nullptr);
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"No space available."});
    ASSERT_EQ(ReadFile(Path("part.d80")).size(), 866304u);
    auto back = Formatted();
    back->ImportD80(Path("part.d80").c_str());
    ASSERT_EQ(back->GetFilesCount(), 1);
    EXPECT_EQ(Name(*back, UsedEntries(*back)[0]), "small");
}

TEST_F(RawImageTest, LoadRawImageOf737280BytesKeepsTheSectorsBeyond) {
    CMdosDisk disk;
    disk.SetDiskName("header");
    std::memset(disk.GetSector(0), 0x33, CMdosDisk::kSectorDataSize);
    WriteFile(Path("80x9.d80"), Pattern(737280, 6));
    disk.LoadRawImage(Path("80x9.d80").c_str());
    const Bytes sectors = SectorData(disk);
    EXPECT_EQ(Bytes(sectors.begin(), sectors.begin() + 737280), Pattern(737280, 6));
    EXPECT_TRUE(std::all_of(sectors.begin() + 737280, sectors.end(),
                            [](unsigned char x) { return x == 0x33; }));
    char buf[40];
    EXPECT_STREQ(disk.GetDiskName(buf, sizeof buf), "header");
}

// The temporary disk of a D80 import starts zero-filled, so a chain into sectors the short file
// doesn't reach reads zeros.
TEST_F(RawImageTest, ShortD80ReadsUnreachedSectorsAsZeros) {
    auto image = Formatted(80, 9);
    AddPattern(*image, "chain", 1024, 8);  // sectors 14, 15, 16
    image->SetFatEntry(image->GetSector(1), 14, 1500);
    Bytes d80 = SectorData(*image);
    d80.resize(15 * 512);
    WriteFile(Path("short.d80"), d80);

    auto disk = Formatted();
    disk->ImportD80(Path("short.d80").c_str());
    ASSERT_EQ(disk->GetFilesCount(), 1);
    Bytes expected = Pattern(512, 8);
    expected.resize(1024, 0);
    EXPECT_EQ(FileData(*disk, UsedEntries(*disk)[0], 1024), expected);
}

// Directory entries a short image doesn't hold in full are free: zero bytes there would read as
// nameless files of type 0.
TEST_F(RawImageTest, ShortD80AddsOnlyTheEntriesItHoldsInFull) {
    const Bytes empty = SectorData(*Formatted());
    auto image = Formatted();
    AddPattern(*image, "first", 700, 2);
    const Bytes one = SectorData(*image);
    const auto importCut = [this](const Bytes& from, long size) {
        auto disk = Formatted();
        WriteFile(Path("short.d80"), Bytes(from.begin(), from.begin() + size));
        disk->ImportD80(Path("short.d80").c_str());
        return disk;
    };
    for (long size : {0, 512, 3584}) {
        EXPECT_EQ(importCut(empty, size)->GetFilesCount(), 0) << size << " bytes";
    }
    // The first entry ends at byte 3104 of the image.
    EXPECT_EQ(importCut(one, 3103)->GetFilesCount(), 0);
    auto disk = importCut(one, 3104);
    ASSERT_EQ(disk->GetFilesCount(), 1);
    EXPECT_EQ(Name(*disk, UsedEntries(*disk)[0]), "first");
    EXPECT_EQ(FileData(*disk, UsedEntries(*disk)[0], 700), Bytes(700, 0));
    EXPECT_TRUE(recorder.Shown().empty());
}

// A write that falls short (a full disk; here a file-size cap) keeps the old host file byte for
// byte, leaves no temporary file behind and names the path once.
TEST_F(RawImageTest, ExportsThatFailKeepTheOldFileAndSaySo) {
    auto disk = Formatted();
    unsigned char* file = AddPattern(*disk, "big", 5000);
    const Bytes old = Pattern(100, 7);
    const std::vector<std::string> names{"f.bin", "f.tap", "f.d80", "f.dsk"};
    for (const std::string& name : names) {
        WriteFile(Path(name), old);
    }
    {
        testsupport::FileSizeLimit limit(1000);
        ASSERT_TRUE(limit.Active());
        disk->ExportBinary(file, Path("f.bin").c_str());
        disk->ExportTap(Path("f.tap").c_str(), nullptr);
        disk->ExportD80(Path("f.d80").c_str(), nullptr);
        disk->SaveRecord(Path("f.dsk").c_str());
    }
    std::vector<std::string> expected;
    for (const std::string& name : names) {
        EXPECT_EQ(ReadFile(Path(name)), old) << name;
        expected.push_back("Cannot write file " + Path(name) + ".");
    }
    EXPECT_EQ(recorder.Texts(), expected);
    const std::filesystem::path folder = std::filesystem::path(Path("f.bin")).parent_path();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              4);
}

// Messages shown while an export is under way find the folder as it was: the file being written
// has no name yet.
TEST_F(RawImageTest, ExportsShowNothingInTheFolderBeforeTheyFinish) {
    auto disk = Formatted();
    AddPattern(*disk, "small", 3);
    AddPattern(*disk, "large", 760000);  // too long for a tape block and for an 80x9 image
    const std::filesystem::path folder = std::filesystem::path(Path("x")).parent_path();
    std::vector<long> seen;
    auto previous = platform::SetMessageHandler([&](platform::MessageKind, const std::string&) {
        seen.push_back(std::distance(std::filesystem::directory_iterator(folder),
                                     std::filesystem::directory_iterator()));
        return platform::Answer::Ok;
    });
    disk->ExportTap(Path("out.tap").c_str(), nullptr);
    disk->ExportD80(Path("out.d80").c_str(), nullptr);
    platform::SetMessageHandler(previous);
    EXPECT_EQ(seen, (std::vector<long>{0, 1}));
    EXPECT_TRUE(std::filesystem::exists(Path("out.tap")));
    EXPECT_TRUE(std::filesystem::exists(Path("out.d80")));
}

using SingleDiskFileTest = DiskTest;

TEST_F(SingleDiskFileTest, RecordRoundTripsAndShortOrMissingFilesChangeOnlyWhatTheyReach) {
    auto disk = Formatted();
    disk->SetDiskName("saved");
    AddPattern(*disk, "x", 5000);
    disk->SaveRecord(Path("disk.bin").c_str());
    const Bytes saved = ReadFile(Path("disk.bin"));
    ASSERT_EQ(saved.size(), static_cast<std::size_t>(CMdosDisk::kRecordSize));
    EXPECT_EQ(saved, Bytes(disk->Record(), disk->Record() + CMdosDisk::kRecordSize));

    CMdosDisk loaded;
    loaded.LoadRecord(Path("disk.bin").c_str());
    EXPECT_EQ(Bytes(loaded.Record(), loaded.Record() + CMdosDisk::kRecordSize), saved);

    std::memset(loaded.Record(), 0x44, CMdosDisk::kRecordSize);
    WriteFile(Path("short.bin"), Bytes(saved.begin(), saved.begin() + 40));
    loaded.LoadRecord(Path("short.bin").c_str());
    EXPECT_EQ(Bytes(loaded.Record(), loaded.Record() + 40),
              Bytes(saved.begin(), saved.begin() + 40));
    EXPECT_EQ(loaded.Record()[40], 0x44);

    loaded.LoadRecord(Path("missing.bin").c_str());
    EXPECT_EQ(loaded.Record()[0], saved[0]);
    loaded.SaveRecord(Path("no/such/dir/disk.bin").c_str());
    EXPECT_FALSE(std::filesystem::exists(Path("no")));
    EXPECT_EQ(recorder.Texts(),
              std::vector<std::string>{"Cannot write file " + Path("no/such/dir/disk.bin") + "."});
}

}  // namespace
