// Reads blocks out of a recording's edges the way the ROM loader does: a pilot tone, two sync
// pulses, then two pulses a bit, short for 0 and long for 1, most significant bit first. Times
// are T-states of the 3.5 MHz clock.
//
// Noise around a crossing makes extra edges. A spike (an edge and its return within a few
// samples) is dropped before anything else looks at it; what is left near an edge falls into
// the loader's blindness after every edge it sees, which is modelled too. Pilot tone and bits
// are timed by whole cycles (two pulses), so a DC offset that lengthens one half of each cycle
// and shortens the other changes nothing; the windows are the ROM's, wide enough for a tape a
// few per cent fast or slow.
#pragma once

#include <cstdint>
#include <vector>

namespace tape {

struct DecodedBlock {
    std::vector<unsigned char> bytes;  // flag, payload, checksum: as a TAP block holds them
    bool checksumSound = false;        // the XOR of every byte is zero
};

class PulseDecoder {
public:
    // Time passes: length T-states until an edge, or until the next event without one.
    void Edge(std::uint64_t length);
    void Advance(std::uint64_t length);
    // The recording ends (or a block with bytes of its own comes): a block being read ends here.
    void Finish();
    // The blocks found so far, in tape order; taking them clears the list.
    std::vector<DecodedBlock> TakeBlocks();

private:
    enum class State { Search, Leader, Sync2, Bits };
    void Seen(std::uint64_t at);
    void Pulse(std::uint64_t length);
    void EndBlock();

    std::uint64_t m_now = 0;     // T-states since the decoder started
    bool m_edgeWaiting = false;  // an edge not yet known to be more than a spike
    std::uint64_t m_edgeAt = 0;
    std::uint64_t m_lastSeen = 0;  // the last edge the loader saw
    bool m_levelChanged = false;   // the level differs from the one the loader last saw
    State m_state = State::Search;
    std::uint64_t m_previous = 0;  // the pulse before this one, for timing whole cycles
    int m_pilotPulses = 0;
    bool m_secondHalf = false;  // in Bits: the next pulse ends a bit
    unsigned m_bitCount = 0;
    unsigned char m_byte = 0;
    std::vector<unsigned char> m_bytes;
    std::vector<DecodedBlock> m_blocks;
};

}  // namespace tape
