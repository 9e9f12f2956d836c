// Bytes of any tape format onto a formatted disk. The first byte picks the name the tape goes
// by (its extension is how TAP, WAV and the rarer formats are told); the rest is the file.
// Whatever the bytes, reading ends within bounds, and the disk holds exactly the files the
// import plan promised, each with its block's payload.
//
// The tape library runs in a child process, whose coverage the fuzzer doesn't see; so the same
// bytes also go, as pulse lengths, straight into the loader's rules in this process.
#include <cstdio>

#include "disk/tap_blocks.h"
#include "fuzz_support.h"
#include "tape/pulse_decoder.h"
#include "tape/tape_import.h"

namespace {

const char* const kNames[] = {"in.tap", "in.tzx", "in.pzx", "in.csw", "in.wav",
                              "in.gz",  "in.zip", "in.bz2", "in"};

// Each pair of bytes is a pulse of up to 4 * 65535 T-states; a zero pair is time without an
// edge. Whatever comes out holds no more bytes than the pulses could carry.
void DecodePulses(const uint8_t* data, std::size_t size) {
    tape::PulseDecoder decoder;
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const unsigned length = 4u * (data[i] | static_cast<unsigned>(data[i + 1]) << 8);
        if (length == 0) {
            decoder.Advance(3'500'000);
        } else {
            decoder.Edge(length);
        }
    }
    decoder.Finish();
    std::size_t bytes = 0;
    for (const tape::DecodedBlock& block : decoder.TakeBlocks()) {
        FUZZ_EXPECT(!block.bytes.empty());
        bytes += block.bytes.size();
    }
    FUZZ_EXPECT(bytes * 16 <= size / 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    fuzzsupport::QuietMessages messages;
    const std::string path = fuzzsupport::Scratch().Path(kNames[data[0] % std::size(kNames)]);
    fuzzsupport::WriteHostFile(path, data + 1, size - 1);
    DecodePulses(data + 1, size - 1);
    tape::ReadLimits limits;
    limits.maxEdges = 2'000'000;
    limits.maxBlocksPlayed = 20'000;
    limits.maxSeconds = 10;
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
