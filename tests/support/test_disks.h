// Disks and documents built in memory for the view tests.
#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "disk/mdos_disk.h"
#include "image/brindle_doc.h"

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
    unsigned char entry[CMdosDisk::kDirEntrySize];
    std::memset(entry, 0xE5, sizeof entry);
    const int length = static_cast<int>(data.size());
    entry[CMdosDisk::kEntryType] = type;
    std::memset(entry + CMdosDisk::kEntryName, 0, CMdosDisk::kEntryNameSize);
    std::memcpy(entry + CMdosDisk::kEntryName, name,
                std::min<size_t>(std::strlen(name), CMdosDisk::kEntryNameSize));
    entry[CMdosDisk::kEntryLengthLow] = static_cast<unsigned char>(length & 0xFF);
    entry[CMdosDisk::kEntryLengthLow + 1] = static_cast<unsigned char>((length >> 8) & 0xFF);
    entry[CMdosDisk::kEntryLengthHigh] = static_cast<unsigned char>((length >> 16) & 0xFF);
    entry[CMdosDisk::kEntryStart] = static_cast<unsigned char>(start & 0xFF);
    entry[CMdosDisk::kEntryStart + 1] = static_cast<unsigned char>((start >> 8) & 0xFF);
    entry[CMdosDisk::kEntryBasic] = static_cast<unsigned char>(basic & 0xFF);
    entry[CMdosDisk::kEntryBasic + 1] = static_cast<unsigned char>((basic >> 8) & 0xFF);
    entry[CMdosDisk::kEntryReserved] = 0;
    entry[CMdosDisk::kEntryAttributes] = attributes;
    unsigned char* stored = nullptr;
    disk.AddFile(&stored, entry, data.data(), length);
    return stored;
}

}  // namespace testing_disks
