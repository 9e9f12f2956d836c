// D80 bytes from outside: loaded as the whole volume of one disk, and their files imported onto
// another. Input: the image's first bytes; the rest of the image is zero.
#include <algorithm>
#include <cstring>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::QuietMessages messages;
    const std::string d80 = fuzzsupport::Scratch().Path("in.d80");
    fuzzsupport::WriteHostFile(d80, data, size);

    // Replacing takes the file's bytes as they are and keeps the record header and whatever
    // the file doesn't reach.
    static fuzzsupport::ReusedDisk loading(94, "raw");
    CMdosDisk* raw = &loading.Fresh();
    static fuzzsupport::Bytes before(CMdosDisk::kRecordSize);
    std::memcpy(before.data(), raw->Record(), CMdosDisk::kRecordSize);
    raw->LoadRawImage(d80.c_str());
    const std::size_t loaded = std::min<std::size_t>(size, CMdosDisk::kSectorDataSize);
    FUZZ_EXPECT(std::memcmp(raw->GetSector(0), data, loaded) == 0);
    FUZZ_EXPECT(std::equal(raw->Record(), raw->GetSector(0), before.begin()));
    FUZZ_EXPECT(std::equal(raw->GetSector(0) + loaded, raw->Record() + CMdosDisk::kRecordSize,
                           before.begin() + CMdosDisk::kHeaderSize + loaded));

    static fuzzsupport::ReusedDisk importing(94, "d80import");
    CMdosDisk* disk = &importing.Fresh();
    disk->ImportD80(d80.c_str());
    FUZZ_EXPECT(fuzzsupport::StructuralFindings(*disk).empty());

    // Where the image reaches past the directory, the loaded volume is the one the import read
    // (the data sectors beyond the file are zero in both), so the files it brought are those of
    // the loaded volume, in directory order.
    constexpr std::size_t kSystemBytes = CMdosDisk::kFirstDataSector * CMdosDisk::kSectorSize;
    if (size >= kSystemBytes) {
        const std::vector<unsigned char*> source = fuzzsupport::UsedEntries(*raw);
        const std::vector<unsigned char*> got = fuzzsupport::UsedEntries(*disk);
        FUZZ_EXPECT(got.size() <= source.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            FUZZ_EXPECT(fuzzsupport::SameFile(*raw, source[i], *disk, got[i]));
        }
    }
    return 0;
}
