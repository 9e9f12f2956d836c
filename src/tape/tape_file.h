// Tapes of every format libspectrum reads (TAP, TZX, PZX, CSW, WAV and the rarer ones), plain
// or inside a zip, gzip or bzip2 file, as the data blocks they play in tape order. Blocks stored
// as bytes give their bytes; blocks that are only pulses (recordings, CSW, direct recording,
// pulse sequences) are read by the ROM loader's rules (pulse_decoder.h). Loops, calls and jumps
// are followed as the tape plays. A plain TAP file is split by the disk engine's own rules, so
// it gives exactly what ImportTap gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tape {

struct Block {
    std::string kind;                  // what the tape calls it: "Standard Speed Data", ...
    bool fromPulses = false;           // read out of pulses rather than stored as bytes
    std::vector<unsigned char> bytes;  // flag, payload, checksum; empty when it holds no data
    bool checksumSound = false;        // the XOR of its bytes is zero
};

struct Tape {
    std::string format;  // "TZX", "WAV", "TAP in gzip", ...
    std::vector<Block> blocks;
    // The file is for the disk engine's ImportTap to read as it stands: a plain TAP, a file no
    // tape format claims (TAP files have no signature), or one that can't be read at all
    // (ImportTap then changes nothing and says nothing). Set whether or not the read succeeded.
    bool plainTap = false;
};

// Bounds that keep a hostile tape from playing for ever: a jump back to itself, or loops of
// tiny pulses that add up to years.
struct ReadLimits {
    std::size_t maxFileSize = std::size_t{1} << 30;
    std::size_t maxUnpackedSize = std::size_t{256} << 20;  // what a gzip or bzip2 file unpacks to
    std::uint64_t maxEdges = 400'000'000;  // a 90-minute recording sampled at 44.1 kHz
    std::uint64_t maxBlocksPlayed = 1'000'000;
    int maxSeconds = 120;  // the reading process is stopped after that
};

// Whether a block is taken by an import: every block with bytes, except one read from pulses
// whose checksum fails (the loader would have reported a tape error).
[[nodiscard]] bool IsImported(const Block& block);

// Reads the tape at path. False, with the reason in *error, when the file can't be read, is
// no tape (or a snapshot, a disk, ... that libspectrum recognises), is broken, or ends inside a
// block.
bool ReadTape(const std::string& path, Tape* tape, std::string* error,
              const ReadLimits& limits = {});
// The same for bytes in memory; name tells the format by its extension. A WAV recording is the
// exception: the audio library reads it from the file name names, which must hold the bytes.
bool ReadTapeBytes(const unsigned char* data, std::size_t size, const std::string& name, Tape* tape,
                   std::string* error, const ReadLimits& limits = {});

// The file dialog's filter for opening a tape: TAP files first, then every format and archive
// a tape comes in, then all files.
[[nodiscard]] const char* TapeOpenFilter();

}  // namespace tape
