// The used directory entries of a disk in walk order, as the unit tests and the fuzz harnesses
// compare them.
#pragma once

#include <vector>

#include "disk/mdos_disk.h"

namespace testing_disks {

inline std::vector<unsigned char*> UsedEntries(CMdosDisk& disk) {
    std::vector<unsigned char*> used;
    for (unsigned char* e = disk.FirstDirEntry(); e != nullptr; disk.NextDirEntry(&e)) {
        if (e[0] != CMdosDisk::kFreeEntry) {
            used.push_back(e);
        }
    }
    return used;
}

}  // namespace testing_disks
