// Saving an image over the file it was read from by changing only the records that differ,
// under a rollback journal (platform/in_place_change.h), and reading a disk's record for a
// whole-file save without keeping it in memory.
#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "disk/mdos_disk.h"
#include "image/image_source.h"

namespace image {

// The disks, in file order, saved over the file at path, whose exclusive lock the caller holds.
// Disks not read yet that still lie where source holds them cost nothing; a disk that moved
// is copied from its old place. Returns nothing when most records would be written anyway (the
// whole file is then the better write), else the failure's text, empty when the file holds the
// disks. On success the disks not read yet read from their new places.
std::optional<QString> SaveInPlace(std::vector<std::unique_ptr<CMdosDisk>>& disks,
                                   const std::shared_ptr<CImageSource>& source,
                                   const QString& path);

// The whole record of disk (index: its place in the image, for the message) into dst, read
// from its source when it isn't in memory; false with *error when it can't be had.
bool CopyRecord(const CMdosDisk& disk, int index, unsigned char* dst, QString* error);

}  // namespace image
