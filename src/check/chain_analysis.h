// What the FAT and the directory of one volume say, worked out once for the checks and the
// repairs: the geometry's data sectors, where every chain ends, and which file owns which sector.
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
    int joinSector = -1;  // first sector this chain shares with an earlier file
    int joinedFile = -1;  // index of that file in the list
    bool shared = false;  // some sector of this chain belongs to another file too
};

struct VolumeAnalysis {
    int tracks = 0;
    int sectorsPerTrack = 0;
    int declaredSectors = 0;       // tracks x sectors per track x 2 sides
    int dataEnd = 0;               // data sectors are 14 .. dataEnd - 1
    std::vector<int> fat;          // every FAT entry, indices 0..1704
    std::vector<FileChain> files;  // used entries in directory order
    std::vector<int> owner;        // per sector: index of the file whose chain holds it, or -1

    [[nodiscard]] bool IsDataSector(int n) const;
    [[nodiscard]] bool GeometryValid() const;
    [[nodiscard]] int NeededSectors(const FileChain& file) const;
    [[nodiscard]] int ExpectedMarker(const FileChain& file) const;
    // The chain ends with a marker after exactly the sectors the length needs.
    [[nodiscard]] bool HasRightLength(const FileChain& file) const;
};

[[nodiscard]] VolumeAnalysis AnalyseVolume(CMdosDisk& disk);

}  // namespace check
