// The ROM loader's rules over edges: what a worn cassette still gives, and what it must not.
#include "tape/pulse_decoder.h"

#include <gtest/gtest.h>

#include <random>

#include "support/tape_encoders.h"

namespace {

using tapebytes::Bytes;
using testbytes::Pattern;

Bytes DataBlock(int payload, int seed) {
    return tapebytes::Unframed(testbytes::TapBlock(0xFF, Pattern(payload, seed)));
}

// How the recording differs from the ROM's timing: speed, a DC offset that lengthens the high
// half of every cycle by skew T-states and shortens the low one, and noise at every n-th
// crossing (the level flips back and forth twice, glitch T-states apart, just after the edge)
// or, with spikes, a flip and its return in the middle of every n-th pulse.
struct Wear {
    double speed = 1.0;
    int skew = 0;
    int glitchEvery = 0;
    int glitch = 40;
    bool spikes = false;
};

std::vector<tape::DecodedBlock> Decode(const std::vector<Bytes>& blocks, const Wear& wear) {
    tape::PulseDecoder decoder;
    bool high = false;
    int n = 0;
    for (const std::uint32_t pulse : tapebytes::RomPulses(blocks)) {
        const double length = pulse * wear.speed + (high ? wear.skew : -wear.skew);
        auto remaining = static_cast<std::uint64_t>(length);
        const auto glitch = static_cast<std::uint64_t>(wear.glitch);
        if (wear.glitchEvery > 0 && ++n % wear.glitchEvery == 0 && remaining > 8 * glitch) {
            const std::uint64_t at = wear.spikes ? remaining / 2 : glitch;
            decoder.Edge(at);
            for (int i = 0; i < (wear.spikes ? 1 : 3); ++i) {
                decoder.Edge(glitch);
            }
            remaining -= at + (wear.spikes ? 1 : 3) * glitch;
        }
        decoder.Edge(remaining);
        high = !high;
    }
    decoder.Finish();
    return decoder.TakeBlocks();
}

TEST(PulseDecoderTest, ReadsRomTimingWhenFastSlowOffsetOrGlitchy) {
    const std::vector<Bytes> blocks{
        tapebytes::Unframed(testbytes::TapHeader(3, "code", 300, 32768, 0)), DataBlock(300, 5)};
    for (const Wear& wear :
         {Wear{}, Wear{1.03}, Wear{0.95}, Wear{1.0, 250}, Wear{0.97, -200}, Wear{1.0, 0, 7},
          Wear{1.04, 150, 5, 60}, Wear{1.0, 0, 3, 79, true}, Wear{0.97, 100, 11, 158, true}}) {
        const std::vector<tape::DecodedBlock> decoded = Decode(blocks, wear);
        ASSERT_EQ(decoded.size(), 2u) << wear.speed << " " << wear.skew << " " << wear.glitchEvery;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            EXPECT_EQ(decoded[i].bytes, blocks[i]) << wear.speed << " " << wear.skew;
            EXPECT_TRUE(decoded[i].checksumSound);
        }
    }
}

TEST(PulseDecoderTest, AFlippedBitIsReadButMarkedUnsound) {
    Bytes block = DataBlock(40, 1);
    block[10] ^= 0x10;
    const std::vector<tape::DecodedBlock> decoded = Decode({block}, {});
    ASSERT_EQ(decoded.size(), 1u);
    EXPECT_EQ(decoded[0].bytes, block);
    EXPECT_FALSE(decoded[0].checksumSound);
}

TEST(PulseDecoderTest, FindsNothingWithoutALeaderOrOutsideTheRomsWindows) {
    tape::PulseDecoder decoder;
    std::mt19937 random(3);
    std::uniform_int_distribution<int> lengths(1, 6000);
    for (int i = 0; i < 200000; ++i) {
        decoder.Edge(static_cast<std::uint64_t>(lengths(random)));
    }
    decoder.Finish();
    EXPECT_TRUE(decoder.TakeBlocks().empty());

    // A tape a third too slow has a pilot the ROM never locks onto.
    EXPECT_TRUE(Decode({DataBlock(20, 2)}, Wear{1.6}).empty());
    // A leader cut short before its 256 cycles is no leader.
    std::vector<std::uint32_t> pulses = tapebytes::RomPulses(DataBlock(20, 2));
    pulses.erase(pulses.begin(), pulses.begin() + 3223 - 300);
    for (const std::uint32_t pulse : pulses) {
        decoder.Edge(pulse);
    }
    decoder.Finish();
    EXPECT_TRUE(decoder.TakeBlocks().empty());
}

TEST(PulseDecoderTest, ABlockCutOffByTheEndOfTheRecordingEndsThere) {
    const Bytes block = DataBlock(100, 4);
    std::vector<std::uint32_t> pulses = tapebytes::RomPulses(block);
    pulses.resize(3223 + 2 + 16 * 50 + 5);  // pilot, syncs, 50 bytes and a bit more
    tape::PulseDecoder decoder;
    for (const std::uint32_t pulse : pulses) {
        decoder.Edge(pulse);
    }
    decoder.Finish();
    const std::vector<tape::DecodedBlock> decoded = decoder.TakeBlocks();
    ASSERT_EQ(decoded.size(), 1u);
    EXPECT_EQ(decoded[0].bytes, Bytes(block.begin(), block.begin() + 50));
    EXPECT_FALSE(decoded[0].checksumSound);
}

}  // namespace
