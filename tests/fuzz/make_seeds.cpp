// Writes the seed corpora of the harnesses into <folder>/<harness>/: TAP files with headed and
// headless blocks and the odd cases of the format, D80 images of a volume that holds those
// tapes' files and of an empty one, and for the harnesses that read whole records the inputs of
// record_input.h: each base record on its own, and damaged volumes, odd names and images of
// several disks as patches to them. D80 images are cut after their last byte that isn't zero:
// the harness reads the missing rest as zeros.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "record_input.h"
#include "support/tape_encoders.h"
#include "support/test_bytes.h"
#include "support/used_entries.h"

namespace {

using fuzzrecord::BaseRecord;
using testbytes::Append;
using testbytes::Bytes;
using testbytes::Le16;
using testbytes::Pattern;
using testbytes::TapBlock;
using testbytes::TapHeader;
namespace fs = std::filesystem;

fs::path gRoot;

std::string Write(const char* harness, const char* name, Bytes bytes, bool cutZeros = false) {
    while (cutZeros && !bytes.empty() && bytes.back() == 0) {
        bytes.pop_back();
    }
    fs::create_directories(gRoot / harness);
    const fs::path path = gRoot / harness / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

// A data block of the seeds' tapes: bytes seed, seed + 7, seed + 14, ...
Bytes TapData(int length, int seed) {
    return TapBlock(0xFF, Pattern(length, seed, 7, 256));
}

std::unique_ptr<CMdosDisk> NewDisk(const char* name, int tracks) {
    auto disk = std::make_unique<CMdosDisk>();
    unsigned char* record = disk->Record();
    std::copy_n("SDOS", 4, record + CMdosDisk::kSystemMarkOffset);
    disk->SetDiskName(name);
    record[CMdosDisk::kWriteProtectOffset] = '0';
    std::copy_n("seed", 4, record + CMdosDisk::kCommentOffset);
    disk->Format(tracks, 9, name);
    return disk;
}

std::unique_ptr<CMdosDisk> DiskOf(unsigned base) {
    auto disk = std::make_unique<CMdosDisk>();
    std::memcpy(disk->Record(), BaseRecord(base), CMdosDisk::kRecordSize);
    return disk;
}

// The patches that turn base into the disk, addressed to record index. A disk that differs
// from its base where no patch reaches can't be a seed: the program stops.
Bytes PatchesTo(unsigned base, CMdosDisk& disk, unsigned index) {
    const Bytes patches = fuzzrecord::Patches(BaseRecord(base), disk.Record(), index);
    // Applied to one record, patches for any index reach that record.
    auto check = DiskOf(base);
    unsigned char* record = check->Record();
    fuzzrecord::ApplyPatches(patches.data(), patches.size(), &record, 1);
    if (std::memcmp(record, disk.Record(), CMdosDisk::kRecordSize) != 0) {
        std::fprintf(stderr, "fuzz_seeds: a seed record differs outside the patched areas\n");
        std::exit(1);
    }
    return patches;
}

// The input of a harness that reads one record: the option byte, then the patches.
Bytes RecordInput(unsigned base, CMdosDisk& disk) {
    Bytes input{static_cast<unsigned char>(base)};
    return Append(input, PatchesTo(base, disk, 0));
}

// The image harness's input: options, the bases two bits each, the tail and the patches.
Bytes ImageInput(unsigned char options, const std::vector<unsigned>& bases, unsigned tail,
                 const Bytes& patches = {}) {
    unsigned char packed = 0;
    for (std::size_t i = 0; i < bases.size(); ++i) {
        packed = static_cast<unsigned char>(packed | bases[i] << 2 * i);
    }
    Bytes input{static_cast<unsigned char>(options | bases.size() << 2), packed};
    Append(input, Le16(tail));
    return Append(input, patches);
}

// A lost sector, a wrong end marker, a chain that runs into another file's and one that loops.
std::unique_ptr<CMdosDisk> Damaged() {
    auto damaged = DiskOf(fuzzrecord::kFilesBase);
    unsigned char* fat = damaged->GetSector(CMdosDisk::kFirstFatSector);
    damaged->SetFatEntry(fat, 1000, CMdosDisk::kFatLastSector);
    const std::vector<unsigned char*> files = testing_disks::UsedEntries(*damaged);
    const int screen = damaged->GetEntryFirstSector(files[3]);
    damaged->SetFatEntry(fat, screen + 1, CMdosDisk::kFatLastSector + 7);
    damaged->SetFatEntry(fat, damaged->GetEntryFirstSector(files[0]), screen);
    const int large = damaged->GetEntryFirstSector(files[4]);
    damaged->SetFatEntry(fat, large + 1, large);
    return damaged;
}

// Names for the JSON output: control bytes, bytes above 0x7F, a backslash and a quote in the
// disk name and a file name, and two files alike but for their type.
std::unique_ptr<CMdosDisk> OddNames() {
    auto names = DiskOf(fuzzrecord::kFilesBase);
    names->SetDiskName("na\\me\"\x01");
    const std::vector<unsigned char*> files = testing_disks::UsedEntries(*names);
    const unsigned char oddName[] = {0x01, '\\', '"', 0x80, 0xFF, 0x00, 'x', 0x1F, ' ', 0x7F};
    std::memcpy(files[0] + CMdosDisk::kEntryName, oddName, sizeof oddName);
    names->SetEntryName(files[6], "screen");  // HEADLESS00 of type H, beside screen of type B
    return names;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <corpus folder>\n");
        return 2;
    }
    gRoot = argv[1];
    using fuzzrecord::kEmptyBase;
    using fuzzrecord::kFilesBase;
    using fuzzrecord::kSmallBase;
    using fuzzrecord::kZeroBase;

    Bytes headed = TapHeader(3, "hello", 600, 16384, 32768);
    Append(headed, TapData(600, 1));
    Append(headed, TapHeader(0, "prog", 20, 10, 20));
    Append(headed, TapData(20, 2));
    const std::string headedPath = Write("tap", "headed.tap", headed);

    Bytes headless = TapData(10, 3);
    Append(headless, TapData(700, 4));
    const std::string headlessPath = Write("tap", "headless.tap", headless);

    // Two headers in a row, a block too short for flag and checksum, a header that declares
    // more than its block brings, a block cut short by the end of the file.
    Bytes odd = TapHeader(1, "first", 5, 0, 0);
    Append(odd, TapHeader(2, " second", 5, 0, 0));
    Append(odd, TapData(5, 5));
    Append(odd, Le16(1)).push_back(0xFF);
    Append(odd, TapHeader(7, "longer", 2000, 0, 0));
    Append(odd, TapData(3, 6));
    Append(odd, TapHeader(3, "last", 1, 0, 0));
    odd.insert(odd.end(), {100, 0, 0xFF, 1, 2});
    Write("tap", "odd.tap", odd);

    // D80 images, as an export writes them: a standard volume with the tapes' files and a hole
    // where the first was, and an empty 80 x 9 volume.
    auto files = NewDisk("files", 94);
    files->ImportTap(headedPath.c_str());
    files->ImportTap(headlessPath.c_str());
    files->RemoveFile(files->FirstDirEntry());
    auto empty = NewDisk("empty", 80);
    const std::string d80 = (gRoot / "d80.tmp").string();
    for (const auto& [disk, name] :
         {std::pair{files.get(), "files.d80"}, {empty.get(), "empty.d80"}}) {
        disk->ExportD80(d80.c_str(), nullptr);
        auto loaded = std::make_unique<CMdosDisk>();
        loaded->LoadRawImage(d80.c_str());
        Write("d80", name,
              Bytes(loaded->GetSector(0), loaded->GetSector(0) + CMdosDisk::kSectorDataSize), true);
    }
    fs::remove(d80);

    for (const auto& [base, name] : {std::pair{kFilesBase, "files"},
                                     {kEmptyBase, "empty_80x9"},
                                     {kSmallBase, "small_20x5"},
                                     {kZeroBase, "unformatted"}}) {
        Write("disk_record", name, Bytes{static_cast<unsigned char>(base)});
    }
    Write("disk_record", "files_answer_yes", Bytes{kFilesBase | 4});

    // The checker's seeds: a sound volume, a damaged one, and one whose geometry is wrong.
    Write("check", "sound", Bytes{kFilesBase});
    Write("check", "damaged", RecordInput(kFilesBase, *Damaged()));
    auto geometry = DiskOf(kSmallBase);
    geometry->GetSector(CMdosDisk::kBootSector)[CMdosDisk::kBootTracks] = 0;
    Write("check", "no_tracks", RecordInput(kSmallBase, *geometry));

    // Tapes of each format behind the byte that names them (tape_fuzzer.cpp): headers and data,
    // a turbo block, a loop and a generalised block in the TZX; the WAV holds one short block,
    // sampled slowly to keep the seed small.
    const Bytes header = tapebytes::Unframed(TapHeader(3, "hello", 40, 16384, 32768));
    const Bytes data = tapebytes::Unframed(TapData(40, 7));
    const auto seed = [](unsigned char format, const Bytes& file) {
        return tapebytes::Joined(Bytes{format}, file);
    };
    Write("tape", "tap", seed(0, headed));
    Write("tape", "tzx",
          seed(1, tapebytes::TzxFile({tapebytes::TzxStandard(header), tapebytes::TzxTurbo(data),
                                      tapebytes::TzxLoopStart(2),
                                      tapebytes::TzxGeneralised(data, true),
                                      tapebytes::TzxLoopEnd()})));
    Write("tape", "pzx", seed(2, tapebytes::PzxFile({header, data})));
    Write("tape", "csw", seed(3, tapebytes::CswFile({header, data}, 22050)));
    tapebytes::Wear slow;
    slow.rate = 11025;
    Write("tape", "wav", seed(4, tapebytes::WavFile(std::vector<Bytes>{data}, slow)));

    Write("cli_json", "files", Bytes{kFilesBase});
    Write("cli_json", "names", RecordInput(kFilesBase, *OddNames()));

    Write("image", "two_disks", ImageInput(0, {kFilesBase, kEmptyBase}, 0));
    Write("image", "merge_one_disk_and_tail", ImageInput(1 | 2, {kEmptyBase}, 100));
    Write("image", "shorter_than_a_record", ImageInput(2, {}, 5000));
    Bytes patches = PatchesTo(kFilesBase, *Damaged(), 0);
    Append(patches, PatchesTo(kFilesBase, *OddNames(), 2));
    Write("image", "three_disks_changed",
          ImageInput(0, {kFilesBase, kSmallBase, kFilesBase}, 0, patches));

    // A file's 32-byte entry, then its bytes (content_fuzzer.cpp): a program with a number, a
    // string, REM and a colour control, then a variables area of every kind; the same lines
    // headerless; a screen; a number and a character array.
    const Bytes lines{0x00, 0x0A, 0x0F, 0x00, 0xF5, '"', 0x10, 0x02, 'x', '"', ';', '7', 0x0E,
                      0x00, 0x00, 0x07, 0x00, 0x00, 0x0D, 0x00, 0x14, 0x03, 0x00, 0xEA, 'a',
                      0x0D};
    const Bytes variables{0x61, 0, 0, 1, 0, 0, 0x42, 1, 0, 'b', 0xE9, 0x81, 0, 0, 0, 0, 0, 0,
                          10, 0, 0, 0, 0, 1, 0, 0, 10, 0, 1, 0x83, 8, 0, 1, 1, 0, 0, 0, 5,
                          0, 0, 0xC4, 5, 0, 1, 2, 0, 'h', 'i', 0x80};
    const auto file = [](unsigned char type, unsigned start, unsigned basic, const Bytes& bytes) {
        Bytes input = testbytes::DirEntry(type, "seed", static_cast<int>(bytes.size()), start,
                                          basic);
        return Append(input, bytes);
    };
    Bytes program = lines;
    Write("content", "program",
          file('P', 10, static_cast<unsigned>(lines.size()), Append(program, variables)));
    Write("content", "headless", file('H', 0, 32767, lines));
    Write("content", "screen", file('B', 16384, 32768, Pattern(6912, 3, 37, 256)));
    Write("content", "numbers",
          file('N', 0x8100, 32768, Bytes{2, 2, 0, 2, 0, 0, 0, 1, 0, 0, 0x81, 0x40, 0, 0, 0, 0,
                                         0xFF, 0xFD, 0xFF, 0, 0x70, 0x27, 0xC5, 0xAC, 0x47}));
    Write("content", "characters", file('C', 0xC300, 32768, Bytes{1, 3, 0, 'a', 0x90, 0x87}));
    return 0;
}
