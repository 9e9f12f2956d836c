// A disk record from outside (a single-disk file, or one record of an image): every reader over
// it, then every change a user can make. Whatever the record holds, the disks that receive its
// files pass the volume checker, and so does the record itself where it passed before. Input: a
// record as fuzzsupport::InputDisk reads it; bit 2 of the option byte answers the one question
// ("cut the file?"), and the input's bytes are the host file that is imported.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

#include "fuzz_support.h"

namespace {

using fuzzsupport::Scratch;

// Reading a file costs as much as its length asks, up to 16 MiB; a few sectors show how the
// chain is followed just as well.
constexpr int kLongestRead = 16 * CMdosDisk::kSectorSize;

// A text getter never writes past the capacity it is given and always terminates the text.
void ExpectWithinCapacity(const std::function<char*(char*, int)>& get) {
    constexpr int kGuard = 16;
    static const std::string untouched(kGuard, '\x7F');
    for (const int cap : {1, 9, CMdosDisk::kCommentSize + 1}) {
        char buf[CMdosDisk::kCommentSize + 1 + kGuard];
        std::memset(buf, untouched[0], static_cast<std::size_t>(cap + kGuard));
        get(buf, cap);
        FUZZ_EXPECT(std::memchr(buf, '\0', static_cast<std::size_t>(cap)) != nullptr);
        FUZZ_EXPECT(std::memcmp(buf + cap, untouched.data(), kGuard) == 0);
    }
}

void ReadEverything(CMdosDisk& d) {
    using namespace std::placeholders;
    ExpectWithinCapacity(std::bind(&CMdosDisk::GetSystemMark, &d, _1, _2));
    ExpectWithinCapacity(std::bind(&CMdosDisk::GetDiskName, &d, _1, _2));
    ExpectWithinCapacity(std::bind(&CMdosDisk::GetWriteProtect, &d, _1, _2));
    ExpectWithinCapacity(std::bind(&CMdosDisk::GetComment, &d, _1, _2));
    ExpectWithinCapacity(std::bind(&CMdosDisk::GetRandomIdText, &d, _1, _2));
    ExpectWithinCapacity(std::bind(&CMdosDisk::GetVolumeName, &d, _1, _2));
    ExpectWithinCapacity(std::bind(&CMdosDisk::GetGeometryText, &d, _1, _2));
    ExpectWithinCapacity(std::bind(&CMdosDisk::GetDiskSizeText, &d, _1, _2));
    ExpectWithinCapacity(std::bind(&CMdosDisk::GetFilesSizeText, &d, _1, _2));
    ExpectWithinCapacity(std::bind(&CMdosDisk::GetFilesCountText, &d, _1, _2));
    ExpectWithinCapacity(std::bind(&CMdosDisk::GetFreeFilesText, &d, _1, _2));
    ExpectWithinCapacity(std::bind(&CMdosDisk::GetFreeSpaceText, &d, _1, _2));
    FUZZ_EXPECT(d.GetFilesCount() + d.GetFreeFiles() == CMdosDisk::kDirEntryCount);

    int visited = 0;
    for (unsigned char* e = d.FirstDirEntry(); e != nullptr; d.NextDirEntry(&e)) {
        ++visited;
        ExpectWithinCapacity(std::bind(&CMdosDisk::GetEntryName, &d, e, _1, _2));
        ExpectWithinCapacity(std::bind(&CMdosDisk::GetEntryType, &d, e, _1, _2));
        ExpectWithinCapacity(std::bind(&CMdosDisk::GetEntryStartText, &d, e, _1, _2));
        ExpectWithinCapacity(std::bind(&CMdosDisk::GetEntryLengthText, &d, e, _1, _2));
        ExpectWithinCapacity(std::bind(&CMdosDisk::GetEntryBasicText, &d, e, _1, _2));
        ExpectWithinCapacity(std::bind(&CMdosDisk::GetEntryAttributesText, &d, e, _1, _2));
        if (e[0] != CMdosDisk::kFreeEntry) {
            static unsigned char data[kLongestRead];
            const int length = std::min(disk::EntryLength(e), kLongestRead);
            FUZZ_EXPECT(d.ReadFileData(e, data, length) == 0);
        }
    }
    FUZZ_EXPECT(visited == CMdosDisk::kDirEntryCount);

    unsigned char sector[CMdosDisk::kSectorSize];
    for (int n = -1; n <= CMdosDisk::kSectorCount; ++n) {
        d.ReadSector(n, sector, sizeof sector);
    }
    const unsigned char* fat = d.GetSector(CMdosDisk::kFirstFatSector);
    for (int i = -1; i <= CMdosDisk::kFatEntryCount; ++i) {
        const int value = d.GetFatEntry(fat, i);
        FUZZ_EXPECT(value >= -1 && value <= 0xFFF);
    }
}

// Every change a user can make to the disk: the first files in turn are copied, moved to the
// target, deleted or renamed (each copy walks the whole FAT, so a directory of 128 garbage
// entries would slow the run without reaching anything new); then a small host file comes in and
// the disk goes out as TAP and D80.
void ChangeEverything(CMdosDisk& source, CMdosDisk& target, const uint8_t* data, size_t size) {
    constexpr std::size_t kFilesChanged = 12;
    std::vector<unsigned char*> files = fuzzsupport::UsedEntries(source);
    for (std::size_t i = 0; i < std::min(files.size(), kFilesChanged); ++i) {
        unsigned char* e = files[i];
        switch (i % 4) {
            case 0:
                source.CopyFileTo(&target, e, 1);
                break;
            case 1:
                source.CopyFileTo(&target, e, 0);
                break;
            case 2:
                source.RemoveFile(e);
                break;
            default:
                source.SetEntryName(e, ("RENAMED" + std::to_string(i)).c_str());
                source.SetEntryAttributes(e, "HRWD");
                break;
        }
    }

    const std::string host = Scratch().Path("import.bin");
    fuzzsupport::WriteHostFile(host, data, std::min<std::size_t>(size, 3 * CMdosDisk::kSectorSize));
    unsigned char* imported = nullptr;
    source.ImportBinary(&imported, "IMPORTED", host.c_str());
    target.ImportBinary(nullptr, "IMPORTED", host.c_str());
    if (imported != nullptr) {
        source.ExportBinary(imported, Scratch().Path("export.bin").c_str());
        FUZZ_EXPECT(fuzzsupport::ReadHostFile(Scratch().Path("export.bin")) ==
                    fuzzsupport::FileData(source, imported));
    }

    source.ExportTap(Scratch().Path("export.tap").c_str(), nullptr);
    const std::string d80 = Scratch().Path("export.d80");
    source.ExportD80(d80.c_str(), nullptr);
    static fuzzsupport::ReusedDisk loading(0);
    CMdosDisk& exported = loading.Fresh();
    exported.LoadRawImage(d80.c_str());
    FUZZ_EXPECT(fuzzsupport::StructuralFindings(exported).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::QuietMessages messages(size > 0 && (data[0] & 4) != 0);
    static fuzzsupport::InputDisk sources;
    static fuzzsupport::ReusedDisk targets(94, "target");
    CMdosDisk* source = &sources.Read(data, size);
    CMdosDisk* target = &targets.Fresh();

    ReadEverything(*source);
    const bool sourceSound = fuzzsupport::StructuralFindings(*source).empty();
    ChangeEverything(*source, *target, data, size);
    FUZZ_EXPECT(fuzzsupport::StructuralFindings(*target).empty());
    FUZZ_EXPECT(!sourceSound || fuzzsupport::StructuralFindings(*source).empty());

    // Formatting with whatever geometry the boot sector declared leaves an empty volume whose
    // only possible fault is that geometry.
    const unsigned char* boot = source->GetSector(CMdosDisk::kBootSector);
    source->Format(boot[CMdosDisk::kBootTracks], boot[CMdosDisk::kBootSectorsPerTrack], "fuzz");
    FUZZ_EXPECT(source->GetFilesCount() == 0);
    for (const check::Finding& finding : check::CheckDisk(*source, 0)) {
        FUZZ_EXPECT(finding.code.starts_with("geometry-"));
    }
    return 0;
}
