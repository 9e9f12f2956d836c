// Bytes of any tape format onto a formatted disk. The first byte picks the name the tape goes
// by (its extension is how TAP, WAV and the rarer formats are told); the rest is the file.
// Whatever the bytes, reading ends within bounds, and the disk holds exactly the files the
// import plan promised, each with its block's payload.
#include <cstdio>

#include "disk/tap_blocks.h"
#include "fuzz_support.h"
#include "tape/tape_import.h"

namespace {

const char* const kNames[] = {"in.tap", "in.tzx", "in.pzx", "in.csw", "in.wav",
                              "in.gz",  "in.zip", "in.bz2", "in"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    fuzzsupport::QuietMessages messages;
    const std::string path = fuzzsupport::Scratch().Path(kNames[data[0] % std::size(kNames)]);
    fuzzsupport::WriteHostFile(path, data + 1, size - 1);
    tape::ReadLimits limits;
    limits.maxEdges = 2'000'000;
    limits.maxBlocksPlayed = 20'000;
    tape::Tape tape;
    std::string error;
    const bool read = tape::ReadTape(path, &tape, &error, limits);
    std::remove(path.c_str());
    if (!read) {
        FUZZ_EXPECT(!error.empty());
        return 0;
    }
    static fuzzsupport::ReusedDisk imported(94, "tapeimport");
    CMdosDisk& disk = imported.Fresh();
    tape::ImportTape(disk, tape);
    const std::vector<tape::BlockPlan> plans = tape::PlanImport(tape);
    std::vector<std::size_t> files;
    // A header that declares another length than its data block brings gives a file whose
    // entry and chain disagree, as a TAP's always has: the checker then rightly complains.
    bool lengthsAgree = true;
    for (std::size_t i = 0; i < plans.size(); ++i) {
        if (plans[i].use == tape::BlockPlan::Use::File ||
            plans[i].use == tape::BlockPlan::Use::Headless) {
            files.push_back(i);
            lengthsAgree = lengthsAgree && disk::EntryLength(plans[i].entry) + 2 ==
                                               static_cast<int>(tape.blocks[i].bytes.size());
        }
    }
    const std::vector<unsigned char*> got = fuzzsupport::UsedEntries(disk);
    const bool full =
        messages.Showed("No space available.") || messages.Showed("No dir item available.");
    FUZZ_EXPECT(full ? got.size() <= files.size() : got.size() == files.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        const std::vector<unsigned char>& block = tape.blocks[files[i]].bytes;
        const fuzzsupport::Bytes stored = fuzzsupport::FileData(disk, got[i]);
        // A header's length rules the entry; the bytes both hold must agree.
        const std::size_t shared = std::min(block.size() - disk::kTapBlockOverhead, stored.size());
        FUZZ_EXPECT(std::equal(stored.begin(), stored.begin() + static_cast<long>(shared),
                               block.begin() + 1));
    }
    FUZZ_EXPECT(!lengthsAgree || fuzzsupport::StructuralFindings(disk).empty());
    return 0;
}
