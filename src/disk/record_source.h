// Where the records of a disk image can be read again. A disk opened from an image holds only
// its 512-byte header until something needs its sectors; it then reads its whole record from
// the source it came from.
#pragma once

#include <cstdint>

namespace disk {

class RecordSource {
public:
    virtual ~RecordSource() = default;
    // Reads the whole record at index (866,816 bytes) into dst. False when the record can't be
    // had as it was when the disk was opened; the source reports why to the user itself.
    virtual bool ReadRecord(std::int64_t index, unsigned char* dst) = 0;
};

}  // namespace disk
