// Disks and documents built in memory for the view tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "disk/mdos_disk.h"
#include "image/brindle_doc.h"
#include "support/test_bytes.h"

namespace testing_disks {

inline std::unique_ptr<CMdosDisk> MakeDisk(const char* name, int tracks = 94,
                                           int sectorsPerTrack = 9) {
    auto disk = std::make_unique<CMdosDisk>();
    disk->Format(tracks, sectorsPerTrack, "VOLUME");
    disk->SetDiskName(name);
    return disk;
}

// Appends disks named "Disk 0", "Disk 1", ... to the document.
inline void AddDisks(CBrindleDoc& doc, int count) {
    for (int i = 0; i < count; ++i) {
        const std::string name = "Disk " + std::to_string(doc.m_disks.size());
        doc.m_disks.push_back(MakeDisk(name.c_str()));
    }
}

// Creates a file through the disk's allocator and returns its directory entry.
inline unsigned char* AddFile(CMdosDisk& disk, unsigned char type, const char* name,
                              const std::vector<unsigned char>& data, int start = 0,
                              int basic = 32767, unsigned char attributes = 0x0F) {
    const int length = static_cast<int>(data.size());
    const testbytes::Bytes entry = testbytes::DirEntry(
        type, name, length, static_cast<unsigned>(start), static_cast<unsigned>(basic), attributes);
    unsigned char* stored = nullptr;
    disk.AddFile(&stored, entry.data(), data.data(), length);
    return stored;
}

}  // namespace testing_disks
