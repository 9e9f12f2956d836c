// Which data sectors the chains of a disk's files reach. Our own allocator gives every sector to
// one file at most, but a FAT written elsewhere may let two directory entries reach the same
// sector (a cross-link): freeing one of those files must leave the shared sectors to the other.
#pragma once

#include <vector>

class CMdosDisk;

namespace disk {

// One flag per stored sector, set where the chain of a used entry other than except passes.
// A walk stops at a sector outside the data sectors 14..1691 (which covers end marks and links
// below 14) and at a sector already flagged, so every walk ends on any FAT, however garbled,
// and all of them together take no more steps than there are data sectors.
// The flags are closed under following links: the data sector a flagged sector links to is
// flagged too. A chain that meets a flagged sector therefore stays on flagged sectors after it.
[[nodiscard]] std::vector<bool> SectorsReachedByOthers(CMdosDisk& disk,
                                                       const unsigned char* except);

}  // namespace disk
