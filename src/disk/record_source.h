// Where the records of a disk image can be read again. A disk opened from an image holds
// nothing of its record until something needs it: the 512-byte header when it is first asked
// for, the whole record when anything else is.
#pragma once

#include <cstdint>

namespace disk {

class RecordSource {
public:
    virtual ~RecordSource() = default;
    // Reads the first size bytes (at most 866,816) of the record at index into dst. False when
    // the record can't be had as it was when the disk was opened; the source reports why to
    // the user itself.
    virtual bool ReadRecord(std::int64_t index, unsigned char* dst, int size) = 0;
};

}  // namespace disk
