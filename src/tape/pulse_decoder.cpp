#include "tape/pulse_decoder.h"

#include <utility>

#include "disk/tap_blocks.h"

namespace tape {

namespace {

// An edge and its return closer than this (about three samples of a 44.1 kHz recording) are
// noise: no pulse of any loader's timing is that short.
constexpr std::uint64_t kSpike = 300;
// After each edge the loader spends this long in a delay loop before it samples again.
constexpr std::uint64_t kBlind = 358;
// A pilot cycle (two pulses, 4336 nominal) counts while the loader's counter neither stays
// too low nor runs out; 256 cycles in a row make a leader.
constexpr std::uint64_t kPilotCycleMin = 3250;
constexpr std::uint64_t kPilotCycleMax = 6650;
constexpr int kPilotPulsesNeeded = 2 * 256;
// After the leader, the first pulse shorter than this is the first sync pulse (667 nominal);
// a pulse longer than kLeaderPulseMax ends the wait for it.
constexpr std::uint64_t kSync1Max = 1000;
constexpr std::uint64_t kLeaderPulseMax = 3600;
// The second sync pulse (735 nominal) must come before the loader's counter runs out.
constexpr std::uint64_t kSync2Max = 3000;
// A bit is a cycle of two pulses: 1710 nominal for 0, 3420 for 1. Longer than kBitThreshold
// reads as 1; a cycle longer than kBitCycleMax is the end of the block.
constexpr std::uint64_t kBitThreshold = 2400;
constexpr std::uint64_t kBitCycleMax = 5500;
constexpr unsigned kBitsPerByte = 8;

}  // namespace

void PulseDecoder::Edge(std::uint64_t length) {
    m_now += length;
    if (m_edgeWaiting && m_now - m_edgeAt < kSpike) {
        m_edgeWaiting = false;
        return;
    }
    if (m_edgeWaiting) {
        Seen(m_edgeAt);
    }
    m_edgeWaiting = true;
    m_edgeAt = m_now;
}

void PulseDecoder::Advance(std::uint64_t length) {
    m_now += length;
}

void PulseDecoder::Finish() {
    if (m_edgeWaiting) {
        Seen(m_edgeAt);
    }
    if (m_state == State::Bits) {
        EndBlock();
    }
    m_edgeWaiting = false;
    m_levelChanged = false;
    m_lastSeen = m_now;
    m_state = State::Search;
    m_previous = 0;
    m_pilotPulses = 0;
}

// An edge at time at, as the loader sees it after its blind time.
void PulseDecoder::Seen(std::uint64_t at) {
    if (m_levelChanged) {
        if (at < m_lastSeen + kBlind) {
            // A change and its return both fall in the blind time: the loader sees neither.
            m_levelChanged = false;
            return;
        }
        // The level changed during the blind time; the loader sees it as soon as it looks.
        Pulse(kBlind);
        m_lastSeen += kBlind;
        m_levelChanged = false;
    }
    if (at - m_lastSeen >= kBlind) {
        Pulse(at - m_lastSeen);
        m_lastSeen = at;
    } else {
        m_levelChanged = true;
    }
}

std::vector<DecodedBlock> PulseDecoder::TakeBlocks() {
    return std::exchange(m_blocks, {});
}

void PulseDecoder::Pulse(std::uint64_t length) {
    switch (m_state) {
        case State::Search: {
            const std::uint64_t cycle = m_previous + length;
            const bool pilot =
                m_previous != 0 && cycle >= kPilotCycleMin && cycle <= kPilotCycleMax;
            m_pilotPulses = pilot ? m_pilotPulses + 1 : 0;
            m_previous = length;
            if (m_pilotPulses >= kPilotPulsesNeeded) {
                m_state = State::Leader;
            }
            return;
        }
        case State::Leader:
            if (length < kSync1Max) {
                m_state = State::Sync2;
            } else if (length > kLeaderPulseMax) {
                m_state = State::Search;
                m_pilotPulses = 0;
                m_previous = length;
            }
            return;
        case State::Sync2:
            if (length > kSync2Max) {
                m_state = State::Search;
                m_pilotPulses = 0;
                m_previous = length;
                return;
            }
            m_state = State::Bits;
            m_secondHalf = false;
            m_bitCount = 0;
            m_byte = 0;
            m_bytes.clear();
            return;
        case State::Bits: {
            const std::uint64_t cycle = m_secondHalf ? m_previous + length : length;
            if (cycle > kBitCycleMax) {
                EndBlock();
                m_previous = length;
                return;
            }
            if (!m_secondHalf) {
                m_previous = length;
                m_secondHalf = true;
                return;
            }
            m_secondHalf = false;
            m_byte = static_cast<unsigned char>(m_byte << 1 | (cycle > kBitThreshold ? 1 : 0));
            if (++m_bitCount == kBitsPerByte) {
                m_bytes.push_back(m_byte);
                m_bitCount = 0;
                m_byte = 0;
            }
            return;
        }
    }
}

// The block ends where the bits stop; bits short of a whole byte are the edge of the tail or
// of the pause, not data.
void PulseDecoder::EndBlock() {
    m_state = State::Search;
    m_pilotPulses = 0;
    if (m_bytes.empty()) {
        return;
    }
    DecodedBlock block;
    block.checksumSound = disk::HasSoundChecksum(m_bytes.data(), m_bytes.size());
    block.bytes = std::exchange(m_bytes, {});
    m_blocks.push_back(std::move(block));
}

}  // namespace tape
