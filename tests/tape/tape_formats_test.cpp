// Tapes of every format, made by the test's own writers: one tape gives one disk, whatever it
// comes in; what a tape can't give is refused with a reason, never imported half-read.
#include <gtest/gtest.h>

#include "disk/tap_blocks.h"
#include "platform/message_box.h"
#include "tape_test_support.h"

namespace {

using tapebytes::Bytes;
using tapebytes::Unframed;
using tapetest::ImportedRecord;
using tapetest::TapeFolder;
using testbytes::Pattern;
using testbytes::TapBlock;
using testbytes::TapHeader;

// A program with its header, a headless block, and code with its header.
std::vector<Bytes> SampleBlocks() {
    return {Unframed(TapHeader(0, "hello", 100, 10, 100)),
            Unframed(TapBlock(0xFF, Pattern(100, 1))), Unframed(TapBlock(0xFF, Pattern(50, 2))),
            Unframed(TapHeader(3, "code", 300, 32768, 0)),
            Unframed(TapBlock(0xFF, Pattern(300, 3)))};
}

std::vector<Bytes> Each(const std::vector<Bytes>& blocks, Bytes (*encode)(const Bytes&, unsigned)) {
    std::vector<Bytes> out;
    for (const Bytes& block : blocks) {
        out.push_back(encode(block, 1000));
    }
    return out;
}

Bytes TurboTzx(const std::vector<Bytes>& blocks) {
    std::vector<Bytes> out;
    for (const Bytes& block : blocks) {
        out.push_back(tapebytes::TzxTurbo(block, 5000, 500));
    }
    return tapebytes::TzxFile(out);
}

// Pilot, syncs and data in three blocks, as custom loaders lay them out.
Bytes SplitTzx(const std::vector<Bytes>& blocks) {
    std::vector<Bytes> out;
    for (const Bytes& block : blocks) {
        out.push_back(tapebytes::TzxPureTone(2168, 3223));
        out.push_back(tapebytes::TzxPulses({667, 735}));
        out.push_back(tapebytes::TzxPureData(block, 1000));
    }
    return tapebytes::TzxFile(out);
}

Bytes GeneralisedTzx(const std::vector<Bytes>& blocks, bool swap) {
    std::vector<Bytes> out;
    for (const Bytes& block : blocks) {
        out.push_back(tapebytes::TzxGeneralised(block, swap));
    }
    return tapebytes::TzxFile(out);
}

TEST(TapeFormatsTest, EveryFormatOfOneTapeGivesTheDiskItsTapGives) {
    TapeFolder folder;
    const std::vector<Bytes> blocks = SampleBlocks();
    const Bytes expected = ImportedRecord(folder.Write("tape.tap", tapebytes::TapFile(blocks)));
    ASSERT_FALSE(expected.empty());
    {
        // The reference itself holds the three files.
        auto disk = tapetest::TapeDisk();
        disk->ImportTap(folder.Path("tape.tap").c_str());
        EXPECT_EQ(disk->GetFilesCount(), 3);
        EXPECT_EQ(tapetest::RecordOf(*disk), expected);
    }
    tapebytes::Wear worn;
    worn.speed = 1.03;
    worn.amplitude = 0.25;
    worn.noise = 0.06;
    worn.offset = 0.08;
    const std::vector<std::pair<std::string, Bytes>> files{
        {"standard.tzx", tapebytes::TzxFile(Each(blocks, tapebytes::TzxStandard))},
        {"turbo.tzx", TurboTzx(blocks)},
        {"split.tzx", SplitTzx(blocks)},
        {"generalised.tzx", GeneralisedTzx(blocks, false)},
        {"inverted.tzx", GeneralisedTzx(blocks, true)},
        {"tape.pzx", tapebytes::PzxFile(blocks)},
        {"tape.csw", tapebytes::CswFile(blocks)},
        {"clean.wav", tapebytes::WavFile(blocks)},
        {"worn.wav", tapebytes::WavFile(blocks, worn)},
    };
    for (const auto& [name, bytes] : files) {
        EXPECT_EQ(ImportedRecord(folder.Write(name, bytes)), expected) << name;
    }
}

TEST(TapeFormatsTest, LoopsPlayAsOftenAsTheTapeSaysAndEndlessJumpsAreRefused) {
    TapeFolder folder;
    const Bytes data = Unframed(TapBlock(0xFF, Pattern(20, 1)));
    const std::string looped = folder.Write(
        "loop.tzx", tapebytes::TzxFile({tapebytes::TzxText("side A"), tapebytes::TzxLoopStart(3),
                                        tapebytes::TzxStandard(data), tapebytes::TzxLoopEnd()}));
    tape::Tape tape;
    std::string error;
    ASSERT_TRUE(tape::ReadTape(looped, &tape, &error)) << error;
    int withData = 0;
    for (const tape::Block& block : tape.blocks) {
        withData += block.bytes == data ? 1 : 0;
    }
    EXPECT_EQ(withData, 3);
    EXPECT_EQ(tape.blocks.front().kind, "Comment");
    EXPECT_TRUE(tape.blocks.front().bytes.empty());

    const std::string endless = folder.Write(
        "endless.tzx", tapebytes::TzxFile({tapebytes::TzxStandard(data), tapebytes::TzxJump(-1)}));
    tape::ReadLimits limits;
    limits.maxBlocksPlayed = 10000;
    EXPECT_FALSE(tape::ReadTape(endless, &tape, &error, limits));
    EXPECT_NE(error.find("never reach its end"), std::string::npos) << error;
}

TEST(TapeFormatsTest, BrokenTapesAreRefusedWithTheirReason) {
    TapeFolder folder;
    const Bytes tap = tapebytes::TapFile(SampleBlocks());
    const Bytes tzx = tapebytes::TzxFile(Each(SampleBlocks(), tapebytes::TzxStandard));
    // A generalised block whose pilot stream names a symbol beyond its table of two.
    Bytes stray = tapebytes::TzxGeneralised(SampleBlocks()[1]);
    stray[29] = 5;
    const std::vector<std::pair<std::string, Bytes>> broken{
        {"stray.tzx", tapebytes::TzxFile({stray})},
        // A bzip2 stream that never ends: unpacking it must not wait for its end for ever.
        {"empty.tzx.bz2", {}},
        {"cut.tzx.bz2", tapebytes::Joined(tapebytes::Text("BZh91AY&SY"), Pattern(20, 4))},
        {"cut.tap", Bytes(tap.begin(), tap.end() - 7)},
        {"odd.tap", tapebytes::Joined(tap, {0x05})},
        {"cut.tzx", Bytes(tzx.begin(), tzx.end() - 40)},
        {"garbage.tzx", Pattern(3000, 9, 7)},
        {"garbage.pzx", Pattern(3000, 9, 7)},
        {"garbage.csw",
         tapebytes::Joined(tapebytes::Text("Compressed Square Wave\x1A"), Pattern(100, 3))},
        {"garbage.wav", tapebytes::Joined(tapebytes::Text("RIFF"), Pattern(100, 3))},
    };
    for (const auto& [name, bytes] : broken) {
        tape::Tape tape;
        std::string error;
        EXPECT_FALSE(tape::ReadTape(folder.Write(name, bytes), &tape, &error)) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
    }
    tape::Tape tape;
    std::string error;
    EXPECT_FALSE(tape::ReadTape(folder.Path("missing.tzx"), &tape, &error));
    EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
}

TEST(TapeFormatsTest, ThePlanSaysWhatBecomesOfEachBlock) {
    TapeFolder folder;
    Bytes bad = Unframed(TapBlock(0xFF, Pattern(30, 5)));
    bad[7] ^= 0x01;
    const std::vector<Bytes> blocks{Unframed(TapHeader(3, "lost", 10, 0, 0)),
                                    Unframed(TapHeader(3, "named", 30, 0, 0)),
                                    Unframed(TapBlock(0xFF, Pattern(30, 4))),
                                    bad,
                                    {0x42},
                                    Unframed(TapBlock(0xFF, Pattern(9, 6))),
                                    Unframed(TapHeader(3, "gone", 30, 0, 0)),
                                    bad,
                                    Unframed(TapBlock(0xFF, Pattern(5, 7))),
                                    Unframed(TapHeader(3, "last", 10, 0, 0))};
    tape::Tape tape;
    std::string error;
    ASSERT_TRUE(tape::ReadTape(folder.Write("plan.wav", tapebytes::WavFile(blocks)), &tape, &error))
        << error;
    ASSERT_EQ(tape.blocks.size(), blocks.size());
    using Use = tape::BlockPlan::Use;
    const std::vector<tape::BlockPlan> plan = tape::PlanImport(tape);
    const std::vector<std::pair<Use, std::string>> expected{
        {Use::Skipped, "another header follows"},
        {Use::Header, ""},
        {Use::File, ""},
        {Use::Skipped, "checksum fails"},
        {Use::Skipped, "checksum fails"},  // a lone byte read from pulses sums to itself
        {Use::Headless, ""},
        // A header whose data was lost names nothing: the block after it stays headless.
        {Use::Skipped, "its data block fails its checksum"},
        {Use::Skipped, "checksum fails"},
        {Use::Headless, ""},
        {Use::Skipped, "no data block follows"}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(plan[i].use, expected[i].first) << i;
        EXPECT_EQ(plan[i].reason, expected[i].second) << i;
    }
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(plan[2].entry + 1), 5), "named");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(plan[5].entry + 1), 10), "HEADLESS00");

    auto disk = tapetest::TapeDisk();
    EXPECT_EQ(tape::ImportTape(*disk, tape), (std::vector<int>{4, 5, 8}));
    EXPECT_EQ(disk->GetFilesCount(), 3);
    EXPECT_EQ(tape::LeftOutText("plan.wav", {4, 5}),
              "2 blocks of plan.wav fail their checksum and were left out: 4, 5.");
}

TEST(TapeFormatsTest, TheWindowKeepsTheTapRouteAndLeavesTheDiskWhenATapeWontRead) {
    TapeFolder folder;
    std::vector<std::string> messages;
    const platform::MessageHandler previous =
        platform::SetMessageHandler([&](platform::MessageKind, const std::string& text) {
            messages.push_back(text);
            return platform::Answer::Ok;
        });
    // A TAP cut inside its last block still gives that block's bytes, as the engine always did.
    const Bytes tap = tapebytes::TapFile(SampleBlocks());
    const std::string cut = folder.Write("cut.tap", Bytes(tap.begin(), tap.end() - 10));
    auto viaWindow = tapetest::TapeDisk();
    tape::ImportTapeFile(*viaWindow, cut.c_str());
    auto viaEngine = tapetest::TapeDisk();
    viaEngine->ImportTap(cut.c_str());
    EXPECT_EQ(tapetest::RecordOf(*viaWindow), tapetest::RecordOf(*viaEngine));
    EXPECT_EQ(viaWindow->GetFilesCount(), 3);

    auto disk = std::make_unique<CMdosDisk>();
    disk->Format(80, 9, "mine");
    ASSERT_EQ(
        disk->AddFile(nullptr, testbytes::DirEntry('B', "kept", 10).data(), Pattern(10).data(), 10),
        CMdosDisk::kAddDone);
    const Bytes before = tapetest::RecordOf(*disk);
    tape::ReplaceWithTapeFile(*disk, folder.Write("bad.tzx", Pattern(500, 1)).c_str());
    EXPECT_EQ(tapetest::RecordOf(*disk), before);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("bad.tzx"), std::string::npos);

    tape::ReplaceWithTapeFile(
        *disk,
        folder.Write("good.tzx", tapebytes::TzxFile(Each(SampleBlocks(), tapebytes::TzxStandard)))
            .c_str());
    EXPECT_EQ(disk->GetFilesCount(), 3);
    char volume[16];
    EXPECT_STREQ(disk->GetVolumeName(volume, sizeof volume), "tapeimport");
    platform::SetMessageHandler(previous);
}

}  // namespace
