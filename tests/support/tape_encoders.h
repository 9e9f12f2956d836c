// Small writers of the tape formats a user brings, so tests and fuzz seeds make their own TZX,
// PZX, CSW and WAV files from the blocks of a TAP: each block is given as it sits in a TAP file
// without its length (flag, payload, checksum). The recordings play the ROM's timing: pilot
// 2168 T-states (8063 pulses before a header, 3223 before data), syncs 667 and 735, bits of
// two 855 or two 1710 pulses, at 3.5 MHz.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "support/test_bytes.h"

namespace tapebytes {

using testbytes::Append;
using testbytes::Bytes;
using testbytes::Le16;

inline Bytes Le32(std::uint32_t value) {
    return {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
            static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
}

inline Bytes Le24(std::uint32_t value) {
    Bytes bytes = Le32(value);
    bytes.pop_back();
    return bytes;
}

inline Bytes Joined(Bytes first, const Bytes& second) {
    return Append(first, second);
}

inline Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// A TAP block without its length: testbytes::TapBlock and TapHeader give them with it.
inline Bytes Unframed(const Bytes& framed) {
    return Bytes(framed.begin() + 2, framed.end());
}

inline Bytes TapFile(const std::vector<Bytes>& blocks) {
    Bytes file;
    for (const Bytes& block : blocks) {
        Append(file, Le16(static_cast<unsigned>(block.size())));
        Append(file, block);
    }
    return file;
}

// ---- TZX: the signature, then one ID byte and its fields per block.
inline Bytes TzxFile(const std::vector<Bytes>& tzxBlocks) {
    Bytes file = Text("ZXTape!\x1A");
    Append(file, {1, 20});
    for (const Bytes& block : tzxBlocks) {
        Append(file, block);
    }
    return file;
}

inline Bytes TzxStandard(const Bytes& block, unsigned pauseMs = 1000) {
    Bytes out{0x10};
    Append(out, Le16(pauseMs));
    Append(out, Le16(static_cast<unsigned>(block.size())));
    return Append(out, block);
}

inline Bytes TzxTurbo(const Bytes& block, unsigned pilotPulses = 3223, unsigned pauseMs = 1000) {
    Bytes out{0x11};
    for (const unsigned t : {2168u, 667u, 735u, 855u, 1710u, pilotPulses}) {
        Append(out, Le16(t));
    }
    out.push_back(8);
    Append(out, Le16(pauseMs));
    Append(out, Le24(static_cast<std::uint32_t>(block.size())));
    return Append(out, block);
}

inline Bytes TzxPureTone(unsigned length, unsigned count) {
    Bytes out{0x12};
    Append(out, Le16(length));
    return Append(out, Le16(count));
}

inline Bytes TzxPulses(const std::vector<unsigned>& lengths) {
    Bytes out{0x13, static_cast<unsigned char>(lengths.size())};
    for (const unsigned t : lengths) {
        Append(out, Le16(t));
    }
    return out;
}

inline Bytes TzxPureData(const Bytes& block, unsigned pauseMs = 1000) {
    Bytes out{0x14};
    Append(out, Le16(855));
    Append(out, Le16(1710));
    out.push_back(8);
    Append(out, Le16(pauseMs));
    Append(out, Le24(static_cast<std::uint32_t>(block.size())));
    return Append(out, block);
}

// A generalised data block of ROM timing: a pilot and sync symbol, then one bit per symbol.
// swapSymbols makes symbol 0 the long one, with the data bits inverted to match.
inline Bytes TzxGeneralised(const Bytes& block, bool swapSymbols = false, unsigned pauseMs = 1000) {
    Bytes body = Le16(pauseMs);
    Append(body, Le32(2));  // pilot stream: pilot tone, then the syncs
    Append(body, {2, 2});   // two pulses a symbol at most, two symbols
    Append(body, Le32(static_cast<std::uint32_t>(block.size() * 8)));
    Append(body, {2, 2});
    Append(body, {0});
    Append(body, Le16(2168));
    Append(body, Le16(0));
    Append(body, {0});
    Append(body, Le16(667));
    Append(body, Le16(735));
    Append(body, {0});
    Append(body, Le16(3223));
    Append(body, {1});
    Append(body, Le16(1));
    const unsigned zero = swapSymbols ? 1710 : 855;
    const unsigned one = swapSymbols ? 855 : 1710;
    for (const unsigned t : {zero, one}) {
        Append(body, {0});
        Append(body, Le16(t));
        Append(body, Le16(t));
    }
    for (const unsigned char byte : block) {
        body.push_back(swapSymbols ? static_cast<unsigned char>(~byte) : byte);
    }
    Bytes out{0x19};
    Append(out, Le32(static_cast<std::uint32_t>(body.size())));
    return Append(out, body);
}

inline Bytes TzxLoopStart(unsigned repetitions) {
    Bytes out{0x24};
    return Append(out, Le16(repetitions));
}

inline Bytes TzxLoopEnd() {
    return {0x25};
}

inline Bytes TzxJump(int relative) {
    Bytes out{0x23};
    return Append(out, Le16(static_cast<unsigned>(relative) & 0xFFFF));
}

inline Bytes TzxText(const std::string& text) {
    Bytes out{0x30, static_cast<unsigned char>(text.size())};
    return Append(out, Text(text));
}

// ---- PZX: tagged blocks; pulses as 16-bit words (a repeat count first when above 0x8000),
// data as bit counts with the pulses of a 0 and a 1.
inline Bytes PzxBlock(const char* tag, const Bytes& body) {
    Bytes out = Text(tag);
    Append(out, Le32(static_cast<std::uint32_t>(body.size())));
    return Append(out, body);
}

inline Bytes PzxFile(const std::vector<Bytes>& blocks) {
    Bytes file = PzxBlock("PZXT", {1, 0});
    for (const Bytes& block : blocks) {
        const unsigned pilot = block.empty() || block[0] < 0x80 ? 8063 : 3223;
        Bytes pulses = Le16(0x8000 | pilot);
        Append(pulses, Le16(2168));
        Append(pulses, Le16(667));
        Append(pulses, Le16(735));
        Append(file, PzxBlock("PULS", pulses));
        Bytes data = Le32(static_cast<std::uint32_t>(block.size() * 8) | 0x80000000u);
        Append(data, Le16(945));
        Append(data, {2, 2});
        for (const unsigned t : {855u, 855u, 1710u, 1710u}) {
            Append(data, Le16(t));
        }
        Append(file, PzxBlock("DATA", Append(data, block)));
        Append(file, PzxBlock("PAUS", Le32(3'500'000)));
    }
    return file;
}

// ---- Recordings: the pulse lengths a block plays, then CSW and WAV of them.
inline std::vector<std::uint32_t> RomPulses(const Bytes& block) {
    const unsigned pilot = block.empty() || block[0] < 0x80 ? 8063 : 3223;
    std::vector<std::uint32_t> pulses(pilot, 2168);
    pulses.push_back(667);
    pulses.push_back(735);
    for (const unsigned char byte : block) {
        for (int bit = 7; bit >= 0; --bit) {
            const std::uint32_t t = (byte >> bit & 1) != 0 ? 1710 : 855;
            pulses.push_back(t);
            pulses.push_back(t);
        }
    }
    pulses.push_back(3'500'000);  // a second's pause
    return pulses;
}

inline std::vector<std::uint32_t> RomPulses(const std::vector<Bytes>& blocks) {
    std::vector<std::uint32_t> pulses{3'500'000};
    for (const Bytes& block : blocks) {
        const std::vector<std::uint32_t> more = RomPulses(block);
        pulses.insert(pulses.end(), more.begin(), more.end());
    }
    return pulses;
}

// CSW 1.01: the signature, rate, RLE compression, then each pulse as a sample count (0 and
// a 32-bit count for long ones).
inline Bytes CswFile(const std::vector<Bytes>& blocks, unsigned rate = 44100) {
    Bytes file = Text("Compressed Square Wave\x1A");
    Append(file, {1, 1});
    Append(file, Le16(rate));
    Append(file, {1, 0, 0, 0, 0});
    double time = 0;
    double sampled = 0;
    for (const std::uint32_t t : RomPulses(blocks)) {
        time += t * rate / 3'500'000.0;
        const auto samples = static_cast<std::uint32_t>(std::lround(time - sampled));
        sampled += samples;
        if (samples > 0 && samples < 256) {
            file.push_back(static_cast<unsigned char>(samples));
        } else if (samples >= 256) {
            file.push_back(0);
            Append(file, Le32(samples));
        }
    }
    return file;
}

// How a cassette wears: played fast or slow, quieter, with hiss and a DC offset. Amplitude,
// noise and offset are fractions of full scale.
struct Wear {
    double speed = 1.0;
    double amplitude = 0.9;
    double noise = 0.0;
    double offset = 0.0;
    unsigned rate = 44100;
};

// An 8-bit mono PCM WAV of the square wave the pulses make, each sample the level at its time.
inline Bytes WavFile(const std::vector<std::uint32_t>& pulses, const Wear& wear = {}) {
    Bytes samples;
    std::mt19937 random(7);
    std::normal_distribution<double> hiss(0.0, wear.noise);
    const double perSample = 3'500'000.0 * wear.speed / wear.rate;
    double edge = 0;
    bool high = false;
    double t = 0;
    for (const std::uint32_t pulse : pulses) {
        edge += pulse;
        for (; t < edge; t += perSample) {
            const double level = (high ? wear.amplitude : -wear.amplitude) + wear.offset +
                                 (wear.noise > 0 ? hiss(random) : 0.0);
            const double clamped = std::fmax(-1.0, std::fmin(1.0, level));
            samples.push_back(static_cast<unsigned char>(std::lround(127.5 + 127.5 * clamped)));
        }
        high = !high;
    }
    Bytes file = Text("RIFF");
    Append(file, Le32(static_cast<std::uint32_t>(36 + samples.size())));
    Append(file, Text("WAVEfmt "));
    Append(file, Le32(16));
    Append(file, Le16(1));  // PCM
    Append(file, Le16(1));  // mono
    Append(file, Le32(wear.rate));
    Append(file, Le32(wear.rate));
    Append(file, Le16(1));
    Append(file, Le16(8));
    Append(file, Text("data"));
    Append(file, Le32(static_cast<std::uint32_t>(samples.size())));
    return Append(file, samples);
}

inline Bytes WavFile(const std::vector<Bytes>& blocks, const Wear& wear = {}) {
    return WavFile(RomPulses(blocks), wear);
}

}  // namespace tapebytes
