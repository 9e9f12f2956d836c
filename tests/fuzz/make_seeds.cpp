// Writes the seed corpora of the harnesses into <folder>/<harness>/: TAP files with headed and
// headless blocks and the odd cases of the format, formatted disks with files and a hole in
// the directory, D80 images, and images of one and two disks. Records and raw images are cut
// after their last byte that isn't zero: the harnesses read the missing rest as zeros.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "disk/le_bytes.h"
#include "disk/mdos_disk.h"

namespace {

using Bytes = std::vector<unsigned char>;
namespace fs = std::filesystem;

fs::path gRoot;

std::string Write(const char* harness, const char* name, Bytes bytes, bool cutZeros) {
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

void AddBlock(Bytes& tap, const Bytes& block) {
    tap.push_back(static_cast<unsigned char>(block.size() & 0xFF));
    tap.push_back(static_cast<unsigned char>(block.size() >> 8));
    tap.insert(tap.end(), block.begin(), block.end());
}

void AddHeader(Bytes& tap, unsigned char type, const char* name, unsigned length, unsigned param1,
               unsigned param2) {
    Bytes block(19, ' ');
    block[0] = 0x00;
    block[1] = type;
    for (int i = 0; i < 10 && name[i] != '\0'; ++i) {
        block[2 + i] = static_cast<unsigned char>(name[i]);
    }
    disk::WriteLe16(&block[12], length);
    disk::WriteLe16(&block[14], param1);
    disk::WriteLe16(&block[16], param2);
    block[18] = CMdosDisk::XorChecksum(block.data(), 18);
    AddBlock(tap, block);
}

void AddData(Bytes& tap, std::size_t length, unsigned char seed) {
    Bytes block(length + 2);
    block[0] = 0xFF;
    for (std::size_t i = 0; i < length; ++i) {
        block[1 + i] = static_cast<unsigned char>(seed + i * 7);
    }
    block.back() = CMdosDisk::XorChecksum(block.data(), static_cast<int>(length + 1));
    AddBlock(tap, block);
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

Bytes RecordOf(CMdosDisk& disk) {
    return Bytes(disk.Record(), disk.Record() + CMdosDisk::kRecordSize);
}

Bytes SectorsOf(CMdosDisk& disk) {
    return Bytes(disk.GetSector(0), disk.GetSector(0) + CMdosDisk::kSectorDataSize);
}

// The image harness reads an option byte, a 16-bit tail length and the file's first bytes.
Bytes ImageInput(unsigned char options, unsigned tail, const Bytes& start) {
    Bytes input{options, 0, 0};
    disk::WriteLe16(&input[1], tail);
    input.insert(input.end(), start.begin(), start.end());
    while (input.size() > 3 && input.back() == 0) {
        input.pop_back();
    }
    return input;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <corpus folder>\n");
        return 2;
    }
    gRoot = argv[1];

    Bytes headed;
    AddHeader(headed, 3, "hello", 600, 16384, 32768);
    AddData(headed, 600, 1);
    AddHeader(headed, 0, "prog", 20, 10, 20);
    AddData(headed, 20, 2);
    const std::string headedPath = Write("tap", "headed.tap", headed, false);

    Bytes headless;
    AddData(headless, 10, 3);
    AddData(headless, 700, 4);
    const std::string headlessPath = Write("tap", "headless.tap", headless, false);

    // Two headers in a row, a block too short for flag and checksum, a header that declares
    // more than its block brings, a block cut short by the end of the file.
    Bytes odd;
    AddHeader(odd, 1, "first", 5, 0, 0);
    AddHeader(odd, 2, " second", 5, 0, 0);
    AddData(odd, 5, 5);
    AddBlock(odd, {0xFF});
    AddHeader(odd, 7, "longer", 2000, 0, 0);
    AddData(odd, 3, 6);
    AddHeader(odd, 3, "last", 1, 0, 0);
    odd.insert(odd.end(), {100, 0, 0xFF, 1, 2});
    Write("tap", "odd.tap", odd, false);

    auto files = NewDisk("files", 94);
    files->ImportTap(headedPath.c_str());
    files->ImportTap(headlessPath.c_str());
    files->RemoveFile(files->FirstDirEntry());
    Write("disk_record", "files.rec", RecordOf(*files), true);
    auto empty = NewDisk("empty", 80);
    Write("disk_record", "empty_80x9.rec", RecordOf(*empty), true);

    const std::string d80 = (gRoot / "files.d80.tmp").string();
    files->ExportD80(d80.c_str(), nullptr);
    auto exported = std::make_unique<CMdosDisk>();
    exported->LoadRawImage(d80.c_str());
    fs::remove(d80);
    Write("d80", "files.d80", SectorsOf(*exported), true);
    Write("d80", "empty.d80", SectorsOf(*empty), true);

    // The checker's seeds: a sound volume, and one with a lost sector, a wrong end marker, a
    // chain that loops and two chains that meet.
    Write("check", "sound.rec", RecordOf(*files), true);
    auto damaged = NewDisk("damaged", 94);
    damaged->ImportTap(headedPath.c_str());
    damaged->ImportTap(headlessPath.c_str());
    unsigned char* fat = damaged->GetSector(CMdosDisk::kFirstFatSector);
    damaged->SetFatEntry(fat, 1000, CMdosDisk::kFatLastSector);
    const std::vector<unsigned char*> entries = [&] {
        std::vector<unsigned char*> used;
        for (unsigned char* e = damaged->FirstDirEntry(); e != nullptr; damaged->NextDirEntry(&e)) {
            if (e[0] != CMdosDisk::kFreeEntry) {
                used.push_back(e);
            }
        }
        return used;
    }();
    const int first = damaged->GetEntryFirstSector(entries[0]);
    damaged->SetFatEntry(fat, first + 1, CMdosDisk::kFatLastSector + 7);
    damaged->SetFatEntry(fat, damaged->GetEntryFirstSector(entries[1]), first);
    damaged->SetFatEntry(fat, damaged->GetEntryFirstSector(entries[3]) + 1,
                         damaged->GetEntryFirstSector(entries[3]));
    Write("check", "damaged.rec", RecordOf(*damaged), true);

    // Names for the JSON output: control bytes, bytes above 0x7F, a backslash, a quote, and two
    // files alike but for their type.
    auto names = NewDisk("na\\me\"\x01", 94);
    names->ImportTap(headedPath.c_str());
    names->ImportTap(headlessPath.c_str());
    const unsigned char oddName[] = {0x01, '\\', '"', 0x80, 0xFF, 0x00, 'x', 0x1F, ' ', 0x7F};
    unsigned char* entry = names->FirstDirEntry();
    std::copy_n(oddName, sizeof oddName, entry + CMdosDisk::kEntryName);
    names->NextDirEntry(&entry);
    names->NextDirEntry(&entry);  // HEADLESS00, type H, beside prog of type P
    names->SetEntryName(entry, "prog");
    Write("cli_json", "names.rec", RecordOf(*names), true);
    Write("cli_json", "files.rec", RecordOf(*files), true);

    Write("image", "two_disks", ImageInput(2 << 2, 0, RecordOf(*files)), false);
    Write("image", "merge_one_disk_and_tail", ImageInput(1 | 2 | 1 << 2, 100, RecordOf(*empty)),
          false);
    Write("image", "shorter_than_a_record", ImageInput(2, 5000, {'S', 'D', 'O', 'S'}), false);
    return 0;
}
