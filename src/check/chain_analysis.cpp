#include "check/chain_analysis.h"

#include <algorithm>
#include <cstdio>

#include "disk/mdos_disk.h"
#include "disk/mdos_format.h"

namespace check {

namespace {

constexpr int kSides = 2;

// Where the chain ends at sector n when n's own entry is not a link to a data sector.
[[nodiscard]] ChainTail TerminalTail(const VolumeAnalysis& volume, int n) {
    const int value = volume.fat[static_cast<std::size_t>(n)];
    if (value == CMdosDisk::kFatFree) {
        return {ChainEnd::Free, 0, n};
    }
    return {value >= CMdosDisk::kFatChainEnd ? ChainEnd::Marker : ChainEnd::Outside, 1, n};
}

// The FAT links every data sector to at most one other, so the chains form a graph in which each
// sector has one successor. Following each sector until it reaches a sector already worked out,
// a terminal entry or its own path (a loop) settles every sector once: linear in the FAT size
// however the chains merge or loop.
std::vector<ChainTail> FollowAllChains(const VolumeAnalysis& volume) {
    enum : char { kUnseen, kOnPath, kSettled };
    std::vector<ChainTail> tails(volume.fat.size());
    std::vector<char> state(volume.fat.size(), kUnseen);
    std::vector<int> path;
    for (int start = CMdosDisk::kFirstDataSector; start < volume.dataEnd; ++start) {
        if (state[static_cast<std::size_t>(start)] != kUnseen) {
            continue;
        }
        path.clear();
        int n = start;
        for (;;) {
            state[static_cast<std::size_t>(n)] = kOnPath;
            path.push_back(n);
            const int next = volume.fat[static_cast<std::size_t>(n)];
            if (!volume.IsDataSector(next) || state[static_cast<std::size_t>(next)] != kUnseen) {
                break;
            }
            n = next;
        }
        auto unsettled = path.size();
        const int last = path.back();
        const int next = volume.fat[static_cast<std::size_t>(last)];
        if (!volume.IsDataSector(next)) {
            tails[static_cast<std::size_t>(last)] = TerminalTail(volume, last);
            --unsettled;
        } else if (state[static_cast<std::size_t>(next)] == kOnPath) {
            const auto loopStart =
                static_cast<std::size_t>(std::find(path.begin(), path.end(), next) - path.begin());
            for (std::size_t i = loopStart; i < path.size(); ++i) {
                tails[static_cast<std::size_t>(path[i])] = {ChainEnd::Loop, 0, path[i]};
            }
            unsettled = loopStart;
        }
        while (unsettled > 0) {
            const int sector = path[--unsettled];
            const ChainTail& after =
                tails[static_cast<std::size_t>(volume.fat[static_cast<std::size_t>(sector)])];
            tails[static_cast<std::size_t>(sector)] = {after.end, after.count + 1, after.at};
        }
        for (int sector : path) {
            state[static_cast<std::size_t>(sector)] = kSettled;
        }
    }
    return tails;
}

// Gives each sector to the first file in directory order whose chain reaches it. A later chain
// stops at the first sector that is already taken: from there on it is the earlier chain, so
// every sector is taken once and the pass stays linear.
void AssignOwners(VolumeAnalysis& volume) {
    volume.owner.assign(volume.fat.size(), -1);
    for (std::size_t i = 0; i < volume.files.size(); ++i) {
        FileChain& file = volume.files[i];
        for (int n = file.first; volume.IsDataSector(n);) {
            int& owner = volume.owner[static_cast<std::size_t>(n)];
            if (owner == static_cast<int>(i)) {
                break;
            }
            if (owner >= 0) {
                file.joinSector = n;
                file.joinedFile = owner;
                file.shared = true;
                volume.files[static_cast<std::size_t>(owner)].shared = true;
                break;
            }
            owner = static_cast<int>(i);
            const int next = volume.fat[static_cast<std::size_t>(n)];
            n = next == CMdosDisk::kFatFree ? -1 : next;
        }
    }
}

}  // namespace

bool VolumeAnalysis::IsDataSector(int n) const {
    return n >= CMdosDisk::kFirstDataSector && n < dataEnd;
}

bool VolumeAnalysis::GeometryValid() const {
    return tracks >= disk::kMinTracks && tracks <= disk::kMaxTracks &&
           sectorsPerTrack >= disk::kMinSectorsPerTrack &&
           sectorsPerTrack <= disk::kMaxSectorsPerTrack;
}

int VolumeAnalysis::NeededSectors(const FileChain& file) const {
    return file.length / CMdosDisk::kSectorSize + 1;
}

int VolumeAnalysis::ExpectedMarker(const FileChain& file) const {
    return CMdosDisk::kFatLastSector + file.length % CMdosDisk::kSectorSize;
}

bool VolumeAnalysis::HasRightLength(const FileChain& file) const {
    return file.startsInside && file.tail.end == ChainEnd::Marker &&
           file.tail.count == NeededSectors(file);
}

VolumeAnalysis AnalyseVolume(CMdosDisk& disk) {
    VolumeAnalysis volume;
    const unsigned char* boot = disk.GetSector(CMdosDisk::kBootSector);
    volume.tracks = boot[CMdosDisk::kBootTracks];
    volume.sectorsPerTrack = boot[CMdosDisk::kBootSectorsPerTrack];
    volume.declaredSectors = volume.tracks * volume.sectorsPerTrack * kSides;
    volume.dataEnd =
        std::clamp(volume.declaredSectors, static_cast<int>(CMdosDisk::kFirstDataSector),
                   static_cast<int>(CMdosDisk::kSectorCount));

    const unsigned char* fat = disk.GetSector(CMdosDisk::kFirstFatSector);
    volume.fat.resize(CMdosDisk::kFatEntryCount);
    for (int i = 0; i < CMdosDisk::kFatEntryCount; ++i) {
        volume.fat[static_cast<std::size_t>(i)] = disk.GetFatEntry(fat, i);
    }

    const std::vector<ChainTail> tails = FollowAllChains(volume);
    int slot = 0;
    for (unsigned char* e = disk.FirstDirEntry(); e != nullptr; disk.NextDirEntry(&e), ++slot) {
        if (e[CMdosDisk::kEntryType] == CMdosDisk::kFreeEntry) {
            continue;
        }
        FileChain file;
        file.slot = slot;
        file.entry = e;
        file.name = disk::TrimPadding(e + CMdosDisk::kEntryName, CMdosDisk::kEntryNameSize);
        file.length = disk::EntryLength(e);
        file.first = disk.GetEntryFirstSector(e);
        file.startsInside = volume.IsDataSector(file.first);
        if (file.startsInside) {
            file.tail = tails[static_cast<std::size_t>(file.first)];
        }
        volume.files.push_back(file);
    }
    AssignOwners(volume);
    return volume;
}

}  // namespace check
