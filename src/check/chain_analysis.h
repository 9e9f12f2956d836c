// What the boot sector, the FAT and the directory of one volume say, worked out once for the
// checks and the repairs: the geometry to judge by, the data sectors, where every chain ends,
// which files share sectors, and which free entries still describe a whole file.
#pragma once

#include <string>
#include <vector>

class CMdosDisk;

namespace check {

// How a chain followed from some sector ends.
enum class ChainEnd {
    Marker,   // an entry of 0xC00 or more: a proper end
    Free,     // a link into a free sector
    Outside,  // a link that is not a data sector of the volume
    Loop,     // the chain comes back to a sector it has passed
};

struct ChainTail {
    ChainEnd end = ChainEnd::Marker;
    int count = 0;  // sectors from here to the end marker or the bad link, both included
    int at = -1;    // Marker: the last sector; Free: the free sector; Outside: the sector that
                    // holds the bad link; Loop: the first sector met twice
};

struct FileChain {
    int slot = 0;
    unsigned char* entry = nullptr;
    std::string name;  // the name bytes without their padding
    int length = 0;
    int first = 0;
    bool startsInside = false;
    ChainTail tail;       // valid when startsInside
    bool shared = false;  // some sector of this chain belongs to another file too
};

// Two files whose chains reach one sector: from there on they are the same chain.
struct CrossLink {
    int first = 0;   // index in the file list of the earlier file
    int second = 0;  // index of the later one
    int sector = 0;  // the first sector of the later file's chain that the earlier one reaches
};

// What the boot sector's geometry is worth.
enum class GeometryState {
    Sound,     // in range, fits the record, and the FAT agrees
    Invalid,   // tracks or sectors per track out of range
    TooLarge,  // in range, but more sectors than the record holds
    Mismatch,  // sound on its face, but the copy at 0xB6 and the FAT's reservations say otherwise
};

struct VolumeAnalysis {
    int tracks = 0;
    int sectorsPerTrack = 0;
    int copyTracks = 0;  // the copy at 0xB6/0xB7
    int copySectorsPerTrack = 0;
    GeometryState geometry = GeometryState::Sound;
    int reservedFrom = 0;               // start of the run of 0xDDD entries that ends the FAT
    int dataEnd = 0;                    // data sectors are 14 .. dataEnd - 1
    std::vector<int> fat;               // every FAT entry, indices 0..1704
    std::vector<FileChain> files;       // used entries in directory order
    std::vector<CrossLink> crossLinks;  // every pair of files that share a sector
    std::vector<int> owner;  // per sector: index of the first file whose chain holds it, or -1
    // Free entries (type byte 0xE5) whose other bytes still describe a sound chain that no used
    // file reaches: a file that lost its type byte. Their sectors are never lost sectors.
    std::vector<FileChain> recoverable;  // shared: reaches an earlier recoverable entry's sector
    std::vector<int> keeper;             // per sector: index of the recoverable entry, or -1

    [[nodiscard]] bool IsDataSector(int n) const;
    [[nodiscard]] int NeededSectors(const FileChain& file) const;
    [[nodiscard]] int ExpectedMarker(const FileChain& file) const;
    // The chain ends with a marker after exactly the sectors the length needs.
    [[nodiscard]] bool HasRightLength(const FileChain& file) const;
    // As HasRightLength, and the marker is the one the length gives.
    [[nodiscard]] bool IsSound(const FileChain& file) const;
};

[[nodiscard]] VolumeAnalysis AnalyseVolume(CMdosDisk& disk);

}  // namespace check
