#include "disk/mdos_disk.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "disk/chain_reach.h"
#include "disk/le_bytes.h"
#include "disk/mdos_format.h"
#include "disk/tap_blocks.h"
#include "platform/crt_random.h"
#include "platform/host_file.h"
#include "platform/message_box.h"
#include "platform/record_pool.h"
#include "platform/replacing_file.h"

using disk::EntryLength;
using disk::ReadLe16;
using disk::SetEntryLength;
using disk::WriteLe16;

namespace {

// The allocator hands out only the data sectors the record can hold, whatever the FAT of a foreign
// volume says about the system sectors or about the entries 1692..1704 that have no storage.
constexpr int kLastDataSector = CMdosDisk::kSectorCount - 1;

constexpr unsigned kLow16Bits = 0xFFFF;

// Attribute letters from bit 7 down to bit 0.
constexpr char kAttributeLetters[] = "HSPARWED";
constexpr int kAttributeCount = 8;

// Boot sector marks written by formatting and never read back.
constexpr int kBootFormatTag = 0xB0;     // 0x81 0x18
constexpr int kBootGeometryCopy = 0xB4;  // 0x00 0x18, then the geometry's copy
constexpr unsigned char kFormatTag[] = {0x81, 0x18};
constexpr unsigned char kGeometryCopyTag[] = {0x00, 0x18};
constexpr char kVolumeMark[] = "SDOS";
constexpr int kVolumeMarkSize = 4;
// Byte 511 of a FAT sector: its upper nibble belongs to entry 340, its lower one is filler.
constexpr int kFatSectorTail = CMdosDisk::kSectorSize - 1;
constexpr unsigned char kFatTailFill = 0x0D;

constexpr int kD80Tracks = 80;
constexpr int kD80SectorsPerTrack = 9;

const char* const kNoDirEntryText = "No dir item available.";
const char* const kNoSpaceText = "No space available.";
const char* const kFatCorruptedText = "FAT is corrupted.";
const char* const kTooLongQuestion = "File is too long. Use all disk free space and cut the file ?";

// FAT entries are packed in pairs into three bytes, sector by sector (341 entries, the last one
// using the upper nibble of byte 511): an even entry j puts its low byte first and its high nibble
// in the upper half of the middle byte; the odd entry j + 1 keeps its high nibble in the lower
// half of the middle byte and its low byte in the third.
[[nodiscard]] int FatByteOffset(int index) {
    const int j = index % CMdosDisk::kFatEntriesPerSector;
    return index / CMdosDisk::kFatEntriesPerSector * CMdosDisk::kSectorSize + 3 * j / 2;
}

[[nodiscard]] bool IsEvenInSector(int index) {
    return index % CMdosDisk::kFatEntriesPerSector % 2 == 0;
}

[[nodiscard]] bool IsStoredSector(int n) {
    return n >= 0 && n < CMdosDisk::kSectorCount;
}

[[nodiscard]] bool IsDataSector(int n) {
    return n >= CMdosDisk::kFirstDataSector && n <= kLastDataSector;
}

// A file of L bytes owns L / 512 + 1 sectors; the last holds L % 512 bytes, possibly none.
[[nodiscard]] int SectorsFor(int length) {
    return length / CMdosDisk::kSectorSize + 1;
}

// Whether the free sectors hold a file of length bytes. Counting stops at the sectors the file
// needs, so a small file never costs a walk over the whole FAT.
[[nodiscard]] bool HasRoomFor(CMdosDisk& disk, int length) {
    const int needed = SectorsFor(std::max(length, 0));
    int available = 0;
    for (int s = disk.FirstFreeSector(); s >= 0 && available < needed; disk.NextFreeSector(&s)) {
        ++available;
    }
    return available >= needed;
}

// Copies min(cap, width) bytes of a fixed field and terminates at min(cap - 1, width).
char* CopyField(char* buf, int cap, const unsigned char* field, int width) {
    if (cap <= 0) {
        return buf;
    }
    std::memcpy(buf, field, static_cast<std::size_t>(std::min(cap, width)));
    buf[std::min(cap - 1, width)] = '\0';
    return buf;
}

template <typename... Args>
char* PrintTo(char* buf, int cap, const char* format, Args... args) {
    if (cap > 0) {
        std::snprintf(buf, static_cast<std::size_t>(cap), format, args...);
    }
    return buf;
}

// Stores at most size characters of text, stopping at its end.
void CopyText(unsigned char* dst, int size, const char* text) {
    if (text == nullptr) {
        return;
    }
    for (int i = 0; i < size && text[i] != '\0'; ++i) {
        dst[i] = static_cast<unsigned char>(text[i]);
    }
}

// Shows the message of a refused AddFile; true when the caller must stop.
bool ReportAddFailure(int result) {
    if (result == CMdosDisk::kAddNoDirEntry) {
        platform::ShowMessage(platform::MessageKind::Stop, kNoDirEntryText);
    } else if (result == CMdosDisk::kAddNoSpace) {
        platform::ShowMessage(platform::MessageKind::Stop, kNoSpaceText);
    }
    return result != CMdosDisk::kAddDone;
}

// Reads at most limit bytes of a host file. The buffer grows with what arrives, so a small file
// costs a small buffer however much room the disk has.
std::vector<unsigned char> ReadUpTo(platform::HostFile& file, std::size_t limit) {
    constexpr std::size_t kFirstBuffer = 64 * 1024;
    std::vector<unsigned char> data;
    std::size_t length = 0;
    while (length < limit) {
        data.resize(std::min(limit, std::max(kFirstBuffer, 2 * data.size())));
        const std::size_t asked = data.size() - length;
        const std::size_t arrived = file.Read(data.data() + length, asked);
        length += arrived;
        if (arrived < asked) {
            break;
        }
    }
    data.resize(length);
    return data;
}

// Copies a file of source into target with the source entry as template. A file that can't fit
// is refused before its data is read, so a garbage length never costs a large buffer: AddFile
// refuses without touching the data.
int AddFileFrom(CMdosDisk& target, CMdosDisk& source, unsigned char* entry) {
    const int length = EntryLength(entry);
    if (!HasRoomFor(target, length)) {
        return target.AddFile(nullptr, entry, nullptr, length);
    }
    std::vector<unsigned char> data(static_cast<std::size_t>(length));
    source.ReadFileData(entry, data.data(), length);
    return target.AddFile(nullptr, entry, data.data(), length);
}

// The files an export takes: the listed entries in list order, or the directory in walk order;
// free entries are skipped either way.
std::vector<unsigned char*> FilesToExport(CMdosDisk& disk, unsigned char** list) {
    std::vector<unsigned char*> files;
    if (list != nullptr) {
        for (; *list != nullptr; ++list) {
            files.push_back(*list);
        }
    } else {
        for (unsigned char* e = disk.FirstDirEntry(); e != nullptr; disk.NextDirEntry(&e)) {
            files.push_back(e);
        }
    }
    std::erase_if(files, [](const unsigned char* e) { return e[0] == CMdosDisk::kFreeEntry; });
    return files;
}

void WriteTapHeader(platform::ReplacingFile& file, const unsigned char* entry) {
    unsigned char bytes[disk::kTapLengthSize + disk::kTapHeaderBlockSize] = {};
    WriteLe16(bytes, disk::kTapHeaderBlockSize);
    disk::BuildTapHeader(bytes + disk::kTapLengthSize, entry);
    file.Write(bytes, sizeof bytes);
}

}  // namespace

namespace {

// Records come from a pool of huge-page chunks rather than one heap mapping each, so loading
// hundreds of disks faults in memory by the 2 MiB page instead of by the 4 KiB one. Never
// destroyed: disks released while the program exits still find their pool.
platform::RecordPool& Records() {
    static auto* pool = new platform::RecordPool(CMdosDisk::kRecordSize);
    return *pool;
}

// A slot reused from the pool still holds the bytes of the disk that had it: the zero-fill is
// what keeps every record defined.
unsigned char* NewRecord() {
    auto* record = static_cast<unsigned char*>(Records().Allocate());
    std::memset(record, 0, CMdosDisk::kRecordSize);
    return record;
}

}  // namespace

CMdosDisk::CMdosDisk() : m_record(NewRecord()) {}

std::unique_ptr<CMdosDisk> disk::TryNewDisk() noexcept {
    try {
        return std::make_unique<CMdosDisk>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

CMdosDisk::CMdosDisk(std::shared_ptr<disk::RecordSource> source, std::int64_t index)
    : m_source(std::move(source)), m_sourceIndex(index) {}

CMdosDisk::~CMdosDisk() {
    if (m_record != nullptr) {
        Records().Release(m_record);
    }
}

unsigned char* CMdosDisk::Record() {
    Load();
    return m_record;
}

const unsigned char* CMdosDisk::Record() const {
    Load();
    return m_record;
}

unsigned char* CMdosDisk::Header() {
    LoadHeader();
    return m_record != nullptr ? m_record : m_headers.get();
}

const unsigned char* CMdosDisk::Header() const {
    LoadHeader();
    return m_record != nullptr ? m_record : m_headers.get();
}

bool CMdosDisk::HeaderChanged() const {
    return m_record == nullptr && m_headers != nullptr &&
           std::memcmp(m_headers.get(), m_headers.get() + kHeaderSize, kHeaderSize) != 0;
}

void CMdosDisk::LoadHeader() const {
    if (m_record != nullptr || m_headers != nullptr) {
        return;
    }
    auto headers = std::make_unique<unsigned char[]>(2 * kHeaderSize);
    if (!m_source->ReadRecord(m_sourceIndex, headers.get(), kHeaderSize)) {
        std::memset(headers.get(), 0, kHeaderSize);
        m_loadFailed = true;
    }
    std::memcpy(headers.get() + kHeaderSize, headers.get(), kHeaderSize);
    m_headers = std::move(headers);
}

// The header in memory wins over the one in the source: the disk may have been renamed before
// its sectors were first needed.
void CMdosDisk::Load() const {
    if (m_record != nullptr) {
        return;
    }
    unsigned char* record = NewRecord();
    if (!m_source->ReadRecord(m_sourceIndex, record, kRecordSize)) {
        std::memset(record, 0, kRecordSize);
        m_loadFailed = true;
    }
    if (m_headers != nullptr) {
        std::memcpy(record, m_headers.get(), kHeaderSize);
    }
    m_record = record;
}

void CMdosDisk::Rebind(std::shared_ptr<disk::RecordSource> source, std::int64_t index) {
    if (m_record != nullptr) {
        m_source.reset();
        m_sourceIndex = -1;
        return;
    }
    m_source = std::move(source);
    m_sourceIndex = index;
    // The header, changed or not, is now what the new place holds.
    if (m_headers != nullptr) {
        std::memcpy(m_headers.get() + kHeaderSize, m_headers.get(), kHeaderSize);
    }
}

char* CMdosDisk::GetSystemMark(char* buf, int cap) {
    return CopyField(buf, cap, Header() + kSystemMarkOffset, kSystemMarkSize);
}

char* CMdosDisk::GetDiskName(char* buf, int cap) {
    if (cap <= 0) {
        return buf;
    }
    const std::string label = disk::DiskLabel(Header());
    const std::size_t size = std::min(label.size(), static_cast<std::size_t>(cap - 1));
    std::memcpy(buf, label.data(), size);
    buf[size] = '\0';
    return buf;
}

void CMdosDisk::SetDiskName(const char* text) {
    std::fill_n(Header() + kDiskNameOffset, kDiskNameSize, ' ');
    CopyText(Header() + kDiskNameOffset, kDiskNameSize, text);
}

char* CMdosDisk::GetWriteProtect(char* buf, int cap) {
    return CopyField(buf, cap, Header() + kWriteProtectOffset, kWriteProtectSize);
}

char* CMdosDisk::GetComment(char* buf, int cap) {
    return CopyField(buf, cap, Header() + kCommentOffset, kCommentSize);
}

unsigned char* CMdosDisk::GetSector(int n) {
    return Record() + kHeaderSize + n * kSectorSize;
}

void CMdosDisk::WriteSector(int n, const void* src, int size) {
    if (IsStoredSector(n) && size > 0) {
        std::memcpy(GetSector(n), src, static_cast<std::size_t>(std::min(size, kSectorSize)));
    }
}

void CMdosDisk::ReadSector(int n, void* dst, int size) {
    if (IsStoredSector(n) && size > 0) {
        std::memcpy(dst, GetSector(n), static_cast<std::size_t>(std::min(size, kSectorSize)));
    }
}

char* CMdosDisk::GetRandomIdText(char* buf, int cap) {
    return PrintTo(buf, cap, "%u", ReadLe16(GetSector(kBootSector) + kBootRandomId));
}

char* CMdosDisk::GetVolumeName(char* buf, int cap) {
    return CopyField(buf, cap, GetSector(kBootSector) + kBootVolumeName, kVolumeNameSize);
}

void CMdosDisk::SetVolumeName(const char* text) {
    unsigned char* name = GetSector(kBootSector) + kBootVolumeName;
    std::fill_n(name, kVolumeNameSize, 0);
    CopyText(name, kVolumeNameSize, text);
}

char* CMdosDisk::GetGeometryText(char* buf, int cap) {
    const unsigned char* boot = GetSector(kBootSector);
    return PrintTo(buf, cap, "%dx%d", boot[kBootTracks], boot[kBootSectorsPerTrack]);
}

char* CMdosDisk::GetDiskSizeText(char* buf, int cap) {
    const unsigned char* boot = GetSector(kBootSector);
    // Two sides of tracks x sectors, 512 bytes each.
    const int size = boot[kBootTracks] * boot[kBootSectorsPerTrack] * 2 * kSectorSize;
    return PrintTo(buf, cap, "%d bytes", size);
}

char* CMdosDisk::GetFilesSizeText(char* buf, int cap) {
    long long total = 0;
    for (unsigned char* e = FirstDirEntry(); e != nullptr; NextDirEntry(&e)) {
        if (e[0] != kFreeEntry) {
            total += EntryLength(e);
        }
    }
    return PrintTo(buf, cap, "%lld bytes", total);
}

int CMdosDisk::GetFilesCount() {
    int count = 0;
    for (unsigned char* e = FirstDirEntry(); e != nullptr; NextDirEntry(&e)) {
        count += e[0] != kFreeEntry ? 1 : 0;
    }
    return count;
}

char* CMdosDisk::GetFilesCountText(char* buf, int cap) {
    return PrintTo(buf, cap, "%d", GetFilesCount());
}

int CMdosDisk::GetFreeFiles() {
    return kDirEntryCount - GetFilesCount();
}

char* CMdosDisk::GetFreeFilesText(char* buf, int cap) {
    return PrintTo(buf, cap, "%d", GetFreeFiles());
}

int CMdosDisk::GetFreeSpace() {
    int count = 0;
    for (int s = FirstFreeSector(); s >= 0; NextFreeSector(&s)) {
        ++count;
    }
    return count * kSectorSize;
}

char* CMdosDisk::GetFreeSpaceText(char* buf, int cap) {
    return PrintTo(buf, cap, "%d bytes", GetFreeSpace());
}

unsigned char* CMdosDisk::FirstDirEntry() {
    return GetSector(kFirstDirSector);
}

// The walk takes every second directory sector (6, 8, 10, 12) and then the ones between
// (7, 9, 11, 13): the MDOS directory order, also the order in which free entries are taken.
unsigned char* CMdosDisk::NextDirEntry(unsigned char** cursor) {
    if (cursor == nullptr || *cursor == nullptr) {
        return nullptr;
    }
    constexpr int kDirSize = kDirSectorCount * kSectorSize;
    unsigned char* dir = GetSector(kFirstDirSector);
    auto offset = (*cursor - dir) + kDirEntrySize;
    if (offset % kSectorSize == 0) {
        offset += kSectorSize;
    }
    if (offset == kDirSize) {
        offset = kSectorSize;
    }
    *cursor = offset > kDirSize ? nullptr : dir + offset;
    return *cursor;
}

char* CMdosDisk::GetEntryName(unsigned char* entry, char* buf, int cap) {
    return CopyField(buf, cap, entry + kEntryName, kEntryNameSize);
}

char* CMdosDisk::GetEntryType(unsigned char* entry, char* buf, int cap) {
    return CopyField(buf, cap, entry + kEntryType, 1);
}

char* CMdosDisk::GetEntryStartText(unsigned char* entry, char* buf, int cap) {
    return PrintTo(buf, cap, "%5u", ReadLe16(entry + kEntryStart));
}

char* CMdosDisk::GetEntryLengthText(unsigned char* entry, char* buf, int cap) {
    return PrintTo(buf, cap, "%6d", EntryLength(entry));
}

char* CMdosDisk::GetEntryBasicText(unsigned char* entry, char* buf, int cap) {
    return PrintTo(buf, cap, "%5u", ReadLe16(entry + kEntryBasic));
}

char* CMdosDisk::GetEntryAttributesText(unsigned char* entry, char* buf, int cap) {
    char text[kAttributeCount + 1] = {};
    for (int i = 0; i < kAttributeCount; ++i) {
        const bool set = (entry[kEntryAttributes] & (0x80 >> i)) != 0;
        text[i] = set ? kAttributeLetters[i] : '-';
    }
    return PrintTo(buf, cap, "%s", text);
}

unsigned short CMdosDisk::GetEntryFirstSector(unsigned char* entry) {
    return static_cast<unsigned short>(ReadLe16(entry + kEntryFirstSector));
}

void CMdosDisk::SetEntryName(unsigned char* entry, const char* text) {
    std::fill_n(entry + kEntryName, kEntryNameSize, 0);
    CopyText(entry + kEntryName, kEntryNameSize, text);
}

void CMdosDisk::SetEntryAttributes(unsigned char* entry, const char* letters) {
    unsigned bits = 0;
    for (const char* c = letters; c != nullptr && *c != '\0'; ++c) {
        const char* found = std::strchr(kAttributeLetters, *c);
        if (found != nullptr) {
            bits |= 0x80u >> (found - kAttributeLetters);
        }
    }
    entry[kEntryAttributes] = static_cast<unsigned char>(bits);
}

void CMdosDisk::SetEntryFirstSector(unsigned char* entry, unsigned value) {
    WriteLe16(entry + kEntryFirstSector, value & kLow16Bits);
}

char* CMdosDisk::ReplaceChar(char* buf, int len, char from, char to) {
    for (int i = 1; i < len; ++i) {
        if (buf[i] == from) {
            buf[i] = to;
        }
    }
    return buf;
}

unsigned char CMdosDisk::XorChecksum(const unsigned char* buf, int len) {
    unsigned char sum = 0;
    for (int i = 0; i < len; ++i) {
        sum ^= buf[i];
    }
    return sum;
}

int CMdosDisk::SetFatEntry(unsigned char* fat, int index, int value) {
    if (fat == nullptr || index < 0 || index >= kFatEntryCount) {
        return -1;
    }
    unsigned char* p = fat + FatByteOffset(index);
    const auto v = static_cast<unsigned>(value);
    if (IsEvenInSector(index)) {
        p[0] = static_cast<unsigned char>(v & 0xFF);
        p[1] = static_cast<unsigned char>((p[1] & 0x0F) | ((v >> 8) & 0x0F) << 4);
    } else {
        p[0] = static_cast<unsigned char>((p[0] & 0xF0) | ((v >> 8) & 0x0F));
        p[1] = static_cast<unsigned char>(v & 0xFF);
    }
    return 0;
}

int CMdosDisk::GetFatEntry(const unsigned char* fat, int index) {
    if (fat == nullptr || index < 0 || index >= kFatEntryCount) {
        return -1;
    }
    const unsigned char* p = fat + FatByteOffset(index);
    if (IsEvenInSector(index)) {
        return p[0] | (p[1] >> 4) << 8;
    }
    return p[1] | (p[0] & 0x0F) << 8;
}

int CMdosDisk::FirstFreeSector() {
    int sector = kFirstDataSector - 1;
    return NextFreeSector(&sector);
}

int CMdosDisk::NextFreeSector(int* sector) {
    if (sector == nullptr) {
        return -1;
    }
    const unsigned char* fat = GetSector(kFirstFatSector);
    int next = std::clamp(*sector, kFirstDataSector - 1, kLastDataSector) + 1;
    while (next <= kLastDataSector && GetFatEntry(fat, next) != kFatFree) {
        ++next;
    }
    *sector = next <= kLastDataSector ? next : -1;
    return *sector;
}

void CMdosDisk::Format(int tracks, int sectorsPerTrack, const char* name) {
    const auto trackByte = static_cast<unsigned char>(tracks & 0xFF);
    const auto sectorByte = static_cast<unsigned char>(sectorsPerTrack & 0xFF);

    unsigned char* boot = GetSector(kBootSector);
    std::fill_n(boot, kSectorSize, 0);
    std::copy_n(kFormatTag, std::size(kFormatTag), boot + kBootFormatTag);
    boot[kBootTracks] = trackByte;
    boot[kBootSectorsPerTrack] = sectorByte;
    std::copy_n(kGeometryCopyTag, std::size(kGeometryCopyTag), boot + kBootGeometryCopy);
    boot[disk::kBootTracksCopy] = trackByte;
    boot[disk::kBootSectorsPerTrackCopy] = sectorByte;
    std::fill_n(boot + kBootVolumeName, kVolumeNameSize, ' ');
    CopyText(boot + kBootVolumeName, kVolumeNameSize, name);
    WriteLe16(boot + kBootRandomId, static_cast<unsigned>(platform::Rand()));
    std::copy_n(kVolumeMark, kVolumeMarkSize, boot + kBootSystemMark);

    unsigned char* fat = GetSector(kFirstFatSector);
    for (int s = 0; s < kFatSectorCount; ++s) {
        fat[s * kSectorSize + kFatSectorTail] = kFatTailFill;
    }
    // Sectors the geometry lacks stay reserved, and so do those beyond the store of the record
    // when the geometry declares more than it can hold.
    const int volumeSectors = std::min(trackByte * sectorByte * 2, kSectorCount);
    for (int i = 0; i < kFatEntryCount; ++i) {
        const bool usable = i >= kFirstDataSector && i < volumeSectors;
        SetFatEntry(fat, i, usable ? kFatFree : kFatReserved);
    }

    std::fill_n(GetSector(kFirstDirSector), kDirSectorCount * kSectorSize, kFreeEntry);
    std::fill_n(GetSector(kFirstDataSector), (kSectorCount - kFirstDataSector) * kSectorSize, 0);
}

int CMdosDisk::AddFile(unsigned char** out, const unsigned char* entryTemplate,
                       const unsigned char* data, int size) {
    unsigned char* entry = FirstDirEntry();
    while (entry != nullptr && entry[0] != kFreeEntry) {
        NextDirEntry(&entry);
    }
    if (entry == nullptr) {
        return kAddNoDirEntry;
    }
    const int length = std::max(size, 0);
    if (!HasRoomFor(*this, length)) {
        return kAddNoSpace;
    }

    std::memmove(entry, entryTemplate, kDirEntrySize);
    unsigned char* fat = GetSector(kFirstFatSector);
    int sector = FirstFreeSector();
    SetEntryFirstSector(entry, static_cast<unsigned>(sector));
    for (int done = 0;; done += kSectorSize) {
        const int chunk = std::min(length - done, kSectorSize);
        WriteSector(sector, chunk > 0 ? data + done : nullptr, chunk);
        if (done + kSectorSize > length) {
            SetFatEntry(fat, sector, kFatLastSector + length % kSectorSize);
            break;
        }
        int next = sector;
        NextFreeSector(&next);
        SetFatEntry(fat, sector, next);
        sector = next;
    }
    if (out != nullptr) {
        *out = entry;
    }
    return kAddDone;
}

// Follows the chain for as many sectors as the length asks, whatever the links say. Where the
// chain leaves the stored sectors the file reads as zeros.
int CMdosDisk::ReadFileData(unsigned char* entry, unsigned char* dst, int size) {
    const unsigned char* fat = GetSector(kFirstFatSector);
    int sector = GetEntryFirstSector(entry);
    for (int remaining = size; remaining > 0; remaining -= kSectorSize) {
        const int chunk = std::min(remaining, kSectorSize);
        if (IsStoredSector(sector)) {
            ReadSector(sector, dst, chunk);
        } else {
            std::fill_n(dst, chunk, 0);
        }
        dst += chunk;
        sector = GetFatEntry(fat, sector);
    }
    return 0;
}

bool CMdosDisk::IsChainSound(unsigned char* entry) {
    const unsigned char* fat = GetSector(kFirstFatSector);
    std::vector<bool> visited(kSectorCount, false);
    for (int sector = GetEntryFirstSector(entry);;) {
        if (!IsDataSector(sector) || visited[static_cast<std::size_t>(sector)]) {
            return false;
        }
        visited[static_cast<std::size_t>(sector)] = true;
        const int next = GetFatEntry(fat, sector);
        if (next >= kFatChainEnd) {
            return true;
        }
        if (next < kFirstDataSector) {
            return false;
        }
        sector = next;
    }
}

// Frees the chain and the entry. A link below 14, or to a sector the record doesn't hold, means
// the FAT is corrupted: what was freed so far stays free, the rest stays allocated, and no
// system sector or reserved entry is ever marked free. A sector another file's chain reaches
// belongs to that file as well, and so does every sector after it: freeing stops there, quietly,
// for a cross-link is no broken chain.
int CMdosDisk::RemoveFile(unsigned char* entry) {
    unsigned char* fat = GetSector(kFirstFatSector);
    const std::vector<bool> shared = disk::SectorsReachedByOthers(*this, entry);
    int sector = GetEntryFirstSector(entry);
    // Freeing zeroes every visited entry, so a cycle ends at a free link anyway; the bound keeps
    // termination independent of that: no chain is longer than the FAT.
    for (int steps = 0; sector < kFatChainEnd; ++steps) {
        if (IsDataSector(sector) && shared[static_cast<std::size_t>(sector)]) {
            break;
        }
        const bool valid = IsDataSector(sector) && steps < kFatEntryCount;
        const int next = valid ? GetFatEntry(fat, sector) : -1;
        if (next < kFirstDataSector) {
            platform::ShowMessage(platform::MessageKind::Stop, kFatCorruptedText);
            break;
        }
        SetFatEntry(fat, sector, kFatFree);
        sector = next;
    }
    std::fill_n(entry, kDirEntrySize, kFreeEntry);
    return 0;
}

int CMdosDisk::CopyFileTo(CMdosDisk* target, unsigned char* entry, int keep) {
    // A move frees the source chain after the copy took the lowest free sectors. A chain that
    // runs into a free sector could lead into those very sectors and free the copy, so a move
    // over a broken chain is refused before anything changes.
    if (keep == 0 && !IsChainSound(entry)) {
        platform::ShowMessage(platform::MessageKind::Stop, kFatCorruptedText);
        return kMoveFatCorrupted;
    }
    const int result = AddFileFrom(*target, *this, entry);
    if (!ReportAddFailure(result) && keep == 0) {
        RemoveFile(entry);
    }
    return result;
}

void CMdosDisk::ImportBinary(unsigned char** out, const char* name, const char* path) {
    if (out != nullptr) {
        *out = nullptr;
    }
    platform::HostFile file;
    if (!file.OpenForReading(path)) {
        return;
    }
    // Never more than the free space is read: a longer file can't be stored anyway.
    const int freeSpace = GetFreeSpace();
    const std::vector<unsigned char> data = ReadUpTo(file, static_cast<std::size_t>(freeSpace));
    int length = static_cast<int>(data.size());
    if (freeSpace > 0 && length >= freeSpace) {
        if (platform::ShowMessage(platform::MessageKind::Question, kTooLongQuestion) !=
            platform::Answer::Yes) {
            return;
        }
        // L bytes need L / 512 + 1 sectors, so the free sectors hold one byte less than their size.
        length = freeSpace - 1;
    }
    unsigned char entry[kDirEntrySize];
    disk::BuildPlainEntry(entry, BinaryTypeFor(length), name, length);
    ReportAddFailure(AddFile(out, entry, data.data(), length));
}

void CMdosDisk::ExportBinary(unsigned char* entry, const char* path) {
    platform::ReplacingFile file;
    if (!file.Open(path)) {
        return;
    }
    const int length = EntryLength(entry);
    std::vector<unsigned char> data(static_cast<std::size_t>(length));
    ReadFileData(entry, data.data(), length);
    file.Write(data.data(), data.size());
    file.Commit();
}

void CMdosDisk::ImportTap(const char* path) {
    platform::HostFile file;
    if (!file.OpenForReading(path)) {
        return;
    }
    ImportTapBlocks([&file](std::vector<unsigned char>* block) {
        return disk::ReadTapBlock(
            [&file](unsigned char* buffer, std::size_t size) { return file.Read(buffer, size); },
            block);
    });
}

void CMdosDisk::ImportTapBlocks(const TapBlockSource& next) {
    disk::TapPairing pairing;
    std::vector<unsigned char> block;
    while (next(&block)) {
        unsigned char entry[kDirEntrySize];
        const disk::TapPairing::Role role = pairing.Take(block.data(), block.size(), entry);
        if (role != disk::TapPairing::Role::File && role != disk::TapPairing::Role::Headless) {
            continue;
        }
        const auto payloadSize = static_cast<int>(block.size()) - disk::kTapBlockOverhead;
        if (ReportAddFailure(AddFile(nullptr, entry, block.data() + 1, payloadSize))) {
            break;
        }
    }
}

void CMdosDisk::ExportTap(const char* path, unsigned char** list) {
    platform::ReplacingFile file;
    if (!file.Open(path)) {
        return;
    }
    const std::vector<unsigned char*> files = FilesToExport(*this, list);
    int written = 0;
    for (unsigned char* entry : files) {
        const int length = EntryLength(entry);
        if (length > disk::kTapMaxPayload) {
            // Cutting it would silently lose data: the file is left out and named instead.
            char name[kEntryNameSize + 1];
            GetEntryName(entry, name, sizeof name);
            platform::ShowMessage(platform::MessageKind::Stop,
                                  std::string("File ") + name +
                                      " is too long for a tape block and was not exported.");
            continue;
        }
        if (entry[kEntryType] != disk::kTypeHeadless) {
            WriteTapHeader(file, entry);
        }
        std::vector<unsigned char> bytes(
            static_cast<std::size_t>(disk::kTapLengthSize + length + disk::kTapBlockOverhead));
        unsigned char* block = bytes.data() + disk::kTapLengthSize;
        WriteLe16(bytes.data(), static_cast<unsigned>(length + disk::kTapBlockOverhead));
        block[0] = disk::kTapDataFlag;
        ReadFileData(entry, block + 1, length);
        block[1 + length] = XorChecksum(block, 1 + length);
        file.Write(bytes.data(), bytes.size());
        ++written;
    }
    // An empty tape stands for an empty disk, never for files that were all left out: then no
    // file is written, and one already there stays as it was.
    if (files.empty() || written > 0) {
        file.Commit();
    }
}

void CMdosDisk::LoadRawImage(const char* path) {
    platform::HostFile file;
    if (file.OpenForReading(path)) {
        file.Read(GetSector(0), kSectorDataSize);
    }
}

void CMdosDisk::ImportD80(const char* path) {
    platform::HostFile file;
    if (!file.OpenForReading(path)) {
        return;
    }
    // Sectors a short image doesn't reach stay zero on the fresh disk, except in the directory:
    // there a zero entry would count as a used file of type 0, so every entry the image doesn't
    // hold in full is free.
    auto image = std::make_unique<CMdosDisk>();
    const auto received = static_cast<int>(file.Read(image->GetSector(0), kSectorDataSize));
    file.Close();
    const int dirStart = kFirstDirSector * kSectorSize;
    const int dirEnd = dirStart + kDirSectorCount * kSectorSize;
    const int firstUnread = std::max(dirStart, received / kDirEntrySize * kDirEntrySize);
    if (firstUnread < dirEnd) {
        std::fill(image->GetSector(0) + firstUnread, image->GetSector(0) + dirEnd, kFreeEntry);
    }
    for (unsigned char* e = image->FirstDirEntry(); e != nullptr; image->NextDirEntry(&e)) {
        if (e[0] != kFreeEntry && ReportAddFailure(AddFileFrom(*this, *image, e))) {
            break;
        }
    }
}

void CMdosDisk::ExportD80(const char* path, unsigned char** list) {
    platform::ReplacingFile file;
    if (!file.Open(path)) {
        return;
    }
    char name[kVolumeNameSize + 1];
    GetVolumeName(name, sizeof name);
    auto image = std::make_unique<CMdosDisk>();
    image->Format(kD80Tracks, kD80SectorsPerTrack, name);
    for (unsigned char* entry : FilesToExport(*this, list)) {
        if (ReportAddFailure(AddFileFrom(*image, *this, entry))) {
            break;
        }
    }
    file.Write(image->GetSector(0), kSectorDataSize);
    file.Commit();
}

// The header fields and the sector data lie back to back, so the record is read and written
// whole; a short file leaves what it doesn't reach as it was.
void CMdosDisk::LoadRecord(const char* path) {
    platform::HostFile file;
    if (file.OpenForReading(path)) {
        file.Read(Record(), kRecordSize);
    }
}

void CMdosDisk::SaveRecord(const char* path) {
    platform::ReplacingFile file;
    if (file.Open(path)) {
        file.Write(Record(), kRecordSize);
        file.Commit();
    }
}
