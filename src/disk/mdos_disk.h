// One disk of a Tarrow image: a fixed 866,816-byte record holding a 512-byte record header and
// the 1692 sectors of an MDOS floppy, with every operation the program performs on it.
//
// Record layout (little-endian throughout):
//   0     4       system mark ("SDOS" in records we create; never checked)
//   4     32      disk name, blank-padded, no terminator
//   36    1       write-protect byte (shown, never enforced)
//   37    475     comment, NUL-padded
//   512   866304  sector data: logical sector n at 512 * n
//
// MDOS volume inside the sector data:
//   sector 0       boot sector (geometry at 0xB2/0xB3, volume name at 0xC0, identifier at 0xCA)
//   sectors 1..5   FAT: 341 twelve-bit entries per sector, indices 0..1704
//   sectors 6..13  directory: 128 entries of 32 bytes, walked 6, 8, 10, 12, 7, 9, 11, 13
//   sectors 14..   file data
//
// Invariants:
//   - FAT entry n describes sector n: 0 free, 14..0xBFF the next sector of a chain, 0xC00 and
//     above the end of a chain (0xDDD reserved, 0xE00 + L % 512 the last sector of L bytes).
//     1..13 are never valid links: meeting one while freeing means the FAT is corrupted.
//   - Our own operations give a sector to one chain at most. A foreign FAT may let two entries
//     reach the same sector; freeing a file then frees only the sectors no other file reaches.
//   - A file of L bytes owns exactly L / 512 + 1 sectors, taken lowest first.
//   - The allocator only ever hands out sectors 14..1691, whatever a foreign FAT claims.
//   - A directory entry whose first byte is 0xE5 is free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "disk/record_source.h"

class CMdosDisk final {
public:
    static constexpr int kHeaderSize = 512;
    static constexpr int kSectorSize = 512;
    static constexpr int kSectorCount = 1692;
    static constexpr int kSectorDataSize = kSectorCount * kSectorSize;  // 866304
    static constexpr int kRecordSize = kHeaderSize + kSectorDataSize;   // 866816

    // Record header fields.
    static constexpr int kSystemMarkOffset = 0;
    static constexpr int kSystemMarkSize = 4;
    static constexpr int kDiskNameOffset = 4;
    static constexpr int kDiskNameSize = 32;
    static constexpr int kWriteProtectOffset = 36;
    static constexpr int kWriteProtectSize = 1;
    static constexpr int kCommentOffset = 37;
    static constexpr int kCommentSize = 475;

    // Volume areas.
    static constexpr int kBootSector = 0;
    static constexpr int kFirstFatSector = 1;
    static constexpr int kFatSectorCount = 5;
    static constexpr int kFirstDirSector = 6;
    static constexpr int kDirSectorCount = 8;
    static constexpr int kFirstDataSector = 14;
    static constexpr int kFatEntriesPerSector = 341;
    static constexpr int kFatEntryCount = kFatSectorCount * kFatEntriesPerSector;  // 1705
    static constexpr int kDirEntrySize = 32;
    static constexpr int kDirEntryCount = 128;

    // FAT values.
    static constexpr int kFatFree = 0x000;
    static constexpr int kFatReserved = 0xDDD;
    static constexpr int kFatChainEnd = 0xC00;  // this and above end a chain
    static constexpr int kFatLastSector = 0xE00;

    // Boot sector fields.
    static constexpr int kBootTracks = 0xB2;
    static constexpr int kBootSectorsPerTrack = 0xB3;
    static constexpr int kBootVolumeName = 0xC0;
    static constexpr int kVolumeNameSize = 10;
    static constexpr int kBootRandomId = 0xCA;
    static constexpr int kBootSystemMark = 0xCC;

    // Directory entry fields.
    static constexpr int kEntryType = 0;
    static constexpr int kEntryName = 1;
    static constexpr int kEntryNameSize = 10;
    static constexpr int kEntryLengthLow = 11;
    static constexpr int kEntryStart = 13;
    static constexpr int kEntryBasic = 15;
    static constexpr int kEntryFirstSector = 17;
    static constexpr int kEntryReserved = 19;
    static constexpr int kEntryAttributes = 20;
    static constexpr int kEntryLengthHigh = 21;
    static constexpr unsigned char kFreeEntry = 0xE5;
    // Binary imports of up to this many bytes become type 'B', longer ones type 'Q'.
    static constexpr int kLargestTypeB = 0xFFFF;
    static constexpr unsigned char kTypeBinary = 'B';
    static constexpr unsigned char kTypeLargeBinary = 'Q';
    [[nodiscard]] static constexpr unsigned char BinaryTypeFor(long long length) {
        return length > kLargestTypeB ? kTypeLargeBinary : kTypeBinary;
    }

    // Results of AddFile (and of CopyFileTo, which passes the target's on).
    static constexpr int kAddDone = 0;
    static constexpr int kAddNoDirEntry = 1;
    static constexpr int kAddNoSpace = 2;
    // CopyFileTo refuses to move a file whose chain is broken; nothing changes.
    static constexpr int kMoveFatCorrupted = 3;

    // The record is zero-filled: no byte of a disk is ever undefined. Throws std::bad_alloc
    // when the memory for the record can't be had.
    CMdosDisk();
    // A disk of an image that is read when first needed: from source (record index), its
    // header the first time the header is asked for, its whole record the first time anything
    // else is. What can't be read then is left zero-filled and the disk marked LoadFailed.
    CMdosDisk(std::shared_ptr<disk::RecordSource> source, std::int64_t index);
    CMdosDisk(const CMdosDisk&) = delete;
    CMdosDisk& operator=(const CMdosDisk&) = delete;
    ~CMdosDisk();

    // The whole record, header then sector data, for the image document. Reads a deferred
    // disk's record first.
    [[nodiscard]] unsigned char* Record();
    [[nodiscard]] const unsigned char* Record() const;
    // The 512-byte record header alone, which never needs the whole record to be read.
    [[nodiscard]] unsigned char* Header();
    [[nodiscard]] const unsigned char* Header() const;

    // Deferred records: whether the record is in memory, and where it is read from until then.
    [[nodiscard]] bool IsLoaded() const { return m_record != nullptr; }
    // Whether the header of a disk whose record is not in memory differs from what its source
    // holds.
    [[nodiscard]] bool HeaderChanged() const;
    [[nodiscard]] bool LoadFailed() const { return m_loadFailed; }
    [[nodiscard]] const std::shared_ptr<disk::RecordSource>& Source() const { return m_source; }
    [[nodiscard]] std::int64_t SourceIndex() const { return m_sourceIndex; }
    // Names another place that holds this disk's record as it is now (after the image was
    // saved, say); a disk in memory drops its source.
    void Rebind(std::shared_ptr<disk::RecordSource> source, std::int64_t index);

    // Record header. Getters copy the field into buf (never past cap) and return buf.
    char* GetSystemMark(char* buf, int cap);
    char* GetDiskName(char* buf, int cap);  // trailing blanks removed
    void SetDiskName(const char* text);     // blank-padded, cut to 32
    char* GetWriteProtect(char* buf, int cap);
    char* GetComment(char* buf, int cap);

    // Sector store and boot sector.
    [[nodiscard]] unsigned char* GetSector(int n);  // no range check: callers pass 0..1691
    char* GetRandomIdText(char* buf, int cap);
    char* GetVolumeName(char* buf, int cap);
    void SetVolumeName(const char* text);  // NUL-padded, cut to 10
    char* GetGeometryText(char* buf, int cap);
    char* GetDiskSizeText(char* buf, int cap);
    char* GetFilesSizeText(char* buf, int cap);
    [[nodiscard]] int GetFilesCount();
    char* GetFilesCountText(char* buf, int cap);
    [[nodiscard]] int GetFreeFiles();
    char* GetFreeFilesText(char* buf, int cap);
    [[nodiscard]] int GetFreeSpace();
    char* GetFreeSpaceText(char* buf, int cap);

    // Directory walk in MDOS order; NextDirEntry returns null after the last entry of sector 13.
    [[nodiscard]] unsigned char* FirstDirEntry();
    unsigned char* NextDirEntry(unsigned char** cursor);

    // Directory entries: the entry is the address of its 32 bytes in this disk's sector data.
    char* GetEntryName(unsigned char* entry, char* buf, int cap);
    char* GetEntryType(unsigned char* entry, char* buf, int cap);
    char* GetEntryStartText(unsigned char* entry, char* buf, int cap);
    char* GetEntryLengthText(unsigned char* entry, char* buf, int cap);
    char* GetEntryBasicText(unsigned char* entry, char* buf, int cap);
    char* GetEntryAttributesText(unsigned char* entry, char* buf, int cap);
    [[nodiscard]] unsigned short GetEntryFirstSector(unsigned char* entry);
    // The setters touch only the entry's 32 bytes, wherever they are.
    static void SetEntryName(unsigned char* entry, const char* text);
    static void SetEntryAttributes(unsigned char* entry, const char* letters);
    static void SetEntryFirstSector(unsigned char* entry, unsigned value);

    // Single-disk files, D80 raw images and TAP tape images. A host file that can't be opened
    // makes a read return silently with the disk unchanged. Every written host file replaces
    // the old one only when all its bytes are written; otherwise the old file stays and
    // "Cannot write file %s." names it.
    void LoadRecord(const char* path);
    void SaveRecord(const char* path);
    void LoadRawImage(const char* path);
    void ImportD80(const char* path);
    void ExportD80(const char* path,
                   unsigned char** list);  // list: null-terminated, or null for all
    void ImportTap(const char* path);
    // The import of ImportTap over blocks from any source, each as a TAP file holds it (flag,
    // payload, checksum), in tape order; next returns false after the last block.
    using TapBlockSource = std::function<bool(std::vector<unsigned char>* block)>;
    void ImportTapBlocks(const TapBlockSource& next);
    // A file too long for a tape block is named and left out; when that leaves out every file
    // asked for, no tape is written at all (an empty disk still gives an empty tape).
    void ExportTap(const char* path, unsigned char** list);
    void ImportBinary(unsigned char** out, const char* name, const char* path);
    void ExportBinary(unsigned char* entry, const char* path);

    // Helpers that use nothing of the disk.
    static char* ReplaceChar(char* buf, int len, char from, char to);  // position 0 never changes
    [[nodiscard]] static unsigned char XorChecksum(const unsigned char* buf, int len);

    // 12-bit FAT access; fat is the address of sector 1. Indices outside 0..1704 give -1.
    int SetFatEntry(unsigned char* fat, int index, int value);
    [[nodiscard]] int GetFatEntry(const unsigned char* fat, int index);
    [[nodiscard]] int FirstFreeSector();
    int NextFreeSector(int* sector);

    // Writes an empty volume of the geometry; the record header is not touched.
    void Format(int tracks, int sectorsPerTrack, const char* name);
    void WriteSector(int n, const void* src, int size);  // ignores n outside 0..1691
    void ReadSector(int n, void* dst, int size);         // ignores n outside 0..1691

    // Files: AddFile returns kAddDone, kAddNoDirEntry or kAddNoSpace and shows nothing.
    int AddFile(unsigned char** out, const unsigned char* entryTemplate, const unsigned char* data,
                int size);
    int ReadFileData(unsigned char* entry, unsigned char* dst, int size);
    // Frees the entry and the sectors of its chain that no other file's chain reaches.
    int RemoveFile(unsigned char* entry);
    // A move (keep 0) first checks the source chain and returns kMoveFatCorrupted, with the
    // message, when it is broken.
    int CopyFileTo(CMdosDisk* target, unsigned char* entry, int keep);

private:
    // The chain from the entry's first sector stays in the data sectors, never loops and never
    // meets a free sector before its end.
    bool IsChainSound(unsigned char* entry);

    void Load() const;
    void LoadHeader() const;

    // kRecordSize bytes from the record pool; null while the record is deferred.
    mutable unsigned char* m_record = nullptr;
    mutable bool m_loadFailed = false;
    std::shared_ptr<disk::RecordSource> m_source;
    std::int64_t m_sourceIndex = -1;
    // Once read while the record is deferred: the header, then the header as the source gave
    // it (2 x 512 bytes). Null before, so a disk nobody looked at costs a few dozen bytes.
    mutable std::unique_ptr<unsigned char[]> m_headers;
};

namespace disk {

// A new zero-filled disk, or null when the memory for its record can't be had.
[[nodiscard]] std::unique_ptr<CMdosDisk> TryNewDisk() noexcept;

}  // namespace disk
