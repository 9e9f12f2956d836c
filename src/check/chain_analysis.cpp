#include "check/chain_analysis.h"

#include <algorithm>
#include <bitset>

#include "disk/mdos_disk.h"
#include "disk/mdos_format.h"

namespace check {

namespace {

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

FileChain ReadEntry(CMdosDisk& disk, const VolumeAnalysis& volume,
                    const std::vector<ChainTail>& tails, unsigned char* e, int slot) {
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
    return file;
}

// Finds every pair of files whose chains meet, and gives each sector to the first file in
// directory order that reaches it. Chains that meet stay together, so a three-way join is three
// pairs. Each walk stops at a sector it has passed, so it takes at most one step per data
// sector and the whole pass at most that per file.
void FollowFiles(VolumeAnalysis& volume) {
    volume.owner.assign(volume.fat.size(), -1);
    std::vector<std::bitset<CMdosDisk::kDirEntryCount>> reachedBy(volume.fat.size());
    std::vector<int> passed(volume.fat.size(), -1);
    for (std::size_t i = 0; i < volume.files.size(); ++i) {
        std::bitset<CMdosDisk::kDirEntryCount> met;
        met.set(i);
        for (int n = volume.files[i].first;
             volume.IsDataSector(n) &&
             passed[static_cast<std::size_t>(n)] != static_cast<int>(i);) {
            const auto at = static_cast<std::size_t>(n);
            passed[at] = static_cast<int>(i);
            const auto joined = reachedBy[at] & ~met;
            for (std::size_t earlier = 0; joined.any() && earlier < i; ++earlier) {
                if (!joined.test(earlier)) {
                    continue;
                }
                volume.crossLinks.push_back({static_cast<int>(earlier), static_cast<int>(i), n});
                volume.files[earlier].shared = true;
                volume.files[i].shared = true;
            }
            met |= joined;
            reachedBy[at].set(i);
            if (volume.owner[at] < 0) {
                volume.owner[at] = static_cast<int>(i);
            }
            const int next = volume.fat[at];
            n = next == CMdosDisk::kFatFree ? -1 : next;
        }
    }
}

// A free entry whose other 31 bytes still describe a sound chain is a file that lost its type
// byte (the program's own delete overwrites all 32 bytes). Its sectors are kept for it unless a
// used file reaches them: then they have been handed out again and the entry is only a trace.
void FindRecoverable(CMdosDisk& disk, VolumeAnalysis& volume, const std::vector<ChainTail>& tails) {
    volume.keeper.assign(volume.fat.size(), -1);
    int slot = 0;
    for (unsigned char* e = disk.FirstDirEntry(); e != nullptr; disk.NextDirEntry(&e), ++slot) {
        FileChain file = ReadEntry(disk, volume, tails, e, slot);
        if (e[CMdosDisk::kEntryType] != CMdosDisk::kFreeEntry || !volume.IsSound(file)) {
            continue;
        }
        bool reused = false;
        for (int n = file.first, left = file.tail.count; left > 0 && !reused; --left) {
            reused = volume.owner[static_cast<std::size_t>(n)] >= 0;
            n = volume.fat[static_cast<std::size_t>(n)];
        }
        if (reused) {
            continue;
        }
        const auto index = static_cast<int>(volume.recoverable.size());
        for (int n = file.first, left = file.tail.count; left > 0; --left) {
            int& keeper = volume.keeper[static_cast<std::size_t>(n)];
            file.shared = file.shared || keeper >= 0;
            keeper = keeper >= 0 ? keeper : index;
            n = volume.fat[static_cast<std::size_t>(n)];
        }
        volume.recoverable.push_back(file);
    }
}

// The boot sector's geometry is believed unless it can't be a volume's, or it disagrees with
// the FAT while the copy at 0xB6/0xB7 agrees: one flipped byte must not move the data area. A
// geometry that can't be believed leaves the data area to the best witness, the copy when the
// FAT agrees with it, else where the FAT's reservations start.
void SettleGeometry(VolumeAnalysis& volume) {
    int reservedFrom = CMdosDisk::kFatEntryCount;
    while (reservedFrom > CMdosDisk::kFirstDataSector &&
           volume.fat[static_cast<std::size_t>(reservedFrom - 1)] == CMdosDisk::kFatReserved) {
        --reservedFrom;
    }
    volume.reservedFrom = reservedFrom;
    const int fatEnd = std::min(reservedFrom, static_cast<int>(CMdosDisk::kSectorCount));
    const auto end = [](int tracks, int sectors) {
        return std::max(disk::GeometrySectors(tracks, sectors),
                        static_cast<int>(CMdosDisk::kFirstDataSector));
    };
    const int copyEnd = end(volume.copyTracks, volume.copySectorsPerTrack);
    const bool copyAgrees =
        disk::GeometryFitsRecord(volume.copyTracks, volume.copySectorsPerTrack) &&
        copyEnd == fatEnd;
    if (!disk::GeometryInRange(volume.tracks, volume.sectorsPerTrack)) {
        volume.geometry = GeometryState::Invalid;
    } else if (!disk::GeometryFitsRecord(volume.tracks, volume.sectorsPerTrack)) {
        volume.geometry = GeometryState::TooLarge;
    } else {
        volume.dataEnd = end(volume.tracks, volume.sectorsPerTrack);
        const bool copyDiffers = volume.copyTracks != volume.tracks ||
                                 volume.copySectorsPerTrack != volume.sectorsPerTrack;
        if (volume.dataEnd != fatEnd && copyDiffers && copyAgrees) {
            volume.geometry = GeometryState::Mismatch;
            volume.dataEnd = copyEnd;
        }
        return;
    }
    volume.dataEnd = copyAgrees ? copyEnd : fatEnd;
}

}  // namespace

bool VolumeAnalysis::IsDataSector(int n) const {
    return n >= CMdosDisk::kFirstDataSector && n < dataEnd;
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

bool VolumeAnalysis::IsSound(const FileChain& file) const {
    return HasRightLength(file) &&
           fat[static_cast<std::size_t>(file.tail.at)] == ExpectedMarker(file);
}

VolumeAnalysis AnalyseVolume(CMdosDisk& disk) {
    VolumeAnalysis volume;
    const unsigned char* boot = disk.GetSector(CMdosDisk::kBootSector);
    volume.tracks = boot[CMdosDisk::kBootTracks];
    volume.sectorsPerTrack = boot[CMdosDisk::kBootSectorsPerTrack];
    volume.copyTracks = boot[disk::kBootTracksCopy];
    volume.copySectorsPerTrack = boot[disk::kBootSectorsPerTrackCopy];

    const unsigned char* fat = disk.GetSector(CMdosDisk::kFirstFatSector);
    volume.fat.resize(CMdosDisk::kFatEntryCount);
    for (int i = 0; i < CMdosDisk::kFatEntryCount; ++i) {
        volume.fat[static_cast<std::size_t>(i)] = disk.GetFatEntry(fat, i);
    }
    SettleGeometry(volume);

    const std::vector<ChainTail> tails = FollowAllChains(volume);
    int slot = 0;
    for (unsigned char* e = disk.FirstDirEntry(); e != nullptr; disk.NextDirEntry(&e), ++slot) {
        if (e[CMdosDisk::kEntryType] != CMdosDisk::kFreeEntry) {
            volume.files.push_back(ReadEntry(disk, volume, tails, e, slot));
        }
    }
    FollowFiles(volume);
    FindRecoverable(disk, volume, tails);
    return volume;
}

}  // namespace check
