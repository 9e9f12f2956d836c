#include "disk/chain_reach.h"

#include <cstddef>

#include "disk/mdos_disk.h"

namespace disk {

namespace {

[[nodiscard]] bool IsDataSector(int n) {
    return n >= CMdosDisk::kFirstDataSector && n < CMdosDisk::kSectorCount;
}

}  // namespace

std::vector<bool> SectorsReachedByOthers(CMdosDisk& disk, const unsigned char* except) {
    const unsigned char* fat = disk.GetSector(CMdosDisk::kFirstFatSector);
    std::vector<bool> reached(CMdosDisk::kSectorCount, false);
    for (unsigned char* e = disk.FirstDirEntry(); e != nullptr; disk.NextDirEntry(&e)) {
        if (e == except || e[0] == CMdosDisk::kFreeEntry) {
            continue;
        }
        // A flagged sector ends the walk: it closes a loop, or another walk already went on
        // from there.
        for (int s = disk.GetEntryFirstSector(e);
             IsDataSector(s) && !reached[static_cast<std::size_t>(s)];
             s = disk.GetFatEntry(fat, s)) {
            reached[static_cast<std::size_t>(s)] = true;
        }
    }
    return reached;
}

}  // namespace disk
