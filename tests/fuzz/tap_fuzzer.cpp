// TAP bytes from outside imported onto a formatted disk. What arrived goes out as TAP again and
// comes back the same: same entries (but for where the chain starts), same bytes.
#include <cstdio>

#include "fuzz_support.h"

namespace {

// A tape block holds at most 65535 bytes, flag and checksum included: export leaves longer
// files out (a header may declare up to 65535).
constexpr int kLongestTapeFile = 0xFFFF - 2;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::QuietMessages messages;
    const std::string tap = fuzzsupport::Scratch().Path("in.tap");
    fuzzsupport::WriteHostFile(tap, data, size);
    static fuzzsupport::ReusedDisk imported(94, "tapeimport");
    static fuzzsupport::ReusedDisk reimported(94, "tapeimport");
    CMdosDisk* disk = &imported.Fresh();
    disk->ImportTap(tap.c_str());

    // An export that leaves every file out writes no tape: the last input's must not stand in.
    const std::string again = fuzzsupport::Scratch().Path("again.tap");
    std::remove(again.c_str());
    disk->ExportTap(again.c_str(), nullptr);
    fuzzsupport::QuietMessages reimportMessages;
    CMdosDisk* copy = &reimported.Fresh();
    copy->ImportTap(again.c_str());

    std::vector<unsigned char*> expected;
    for (unsigned char* e : fuzzsupport::UsedEntries(*disk)) {
        if (disk::EntryLength(e) <= kLongestTapeFile) {
            expected.push_back(e);
        }
    }
    const std::vector<unsigned char*> got = fuzzsupport::UsedEntries(*copy);
    // A header may declare more bytes than its data block brought; exported at the declared
    // length the files can outgrow the disk, and then only those before that point come back.
    if (reimportMessages.Showed("No space available.")) {
        FUZZ_EXPECT(got.size() <= expected.size());
    } else {
        FUZZ_EXPECT(got.size() == expected.size());
    }
    for (std::size_t i = 0; i < got.size(); ++i) {
        FUZZ_EXPECT(fuzzsupport::SameFile(*disk, expected[i], *copy, got[i]));
    }
    FUZZ_EXPECT(fuzzsupport::StructuralFindings(*copy).empty());
    return 0;
}
