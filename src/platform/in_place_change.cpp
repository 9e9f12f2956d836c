#include "platform/in_place_change.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/file_lock.h"
#include "platform/host_file.h"
#include "platform/message_box.h"

namespace platform {

namespace {

constexpr char kMagic[] = "TRWJRNL1";
constexpr std::int64_t kMagicSize = 8;
constexpr std::int64_t kHeaderSize = 24;
constexpr std::int64_t kPlaceHeaderSize = 16;
constexpr std::int64_t kChecksumSize = 8;
constexpr std::int64_t kChunk = 1 << 20;

void PutLe64(unsigned char* p, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        p[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

std::uint64_t GetLe64(const unsigned char* p) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = value << 8 | p[i];
    }
    return value;
}

// 64-bit FNV-1a: enough to tell a journal that was finished from one a crash cut short.
class Checksum {
public:
    void Add(const unsigned char* bytes, std::int64_t size) {
        for (std::int64_t i = 0; i < size; ++i) {
            m_value = (m_value ^ bytes[i]) * 0x100000001B3ULL;
        }
    }
    [[nodiscard]] std::uint64_t Value() const { return m_value; }

private:
    std::uint64_t m_value = 0xCBF29CE484222325ULL;
};

std::string Reason() {
    return std::strerror(errno);
}

std::string Folder(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The journal's own name lives in the folder: syncing the folder makes its creation or its
// removal durable.
bool SyncFolder(const std::string& path) {
    const int folder = ::open(Folder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        return false;
    }
    const bool synced = ::fsync(folder) == 0;
    ::close(folder);
    return synced;
}

// Moves size bytes a chunk at a time through one buffer: move(done, chunk, step) handles the
// step bytes from done on.
template <typename Move>
bool InChunks(std::int64_t size, Move move) {
    std::vector<unsigned char> chunk(static_cast<std::size_t>(std::min(kChunk, size)));
    for (std::int64_t done = 0; done < size;) {
        const std::int64_t step = std::min(kChunk, size - done);
        if (!move(done, chunk.data(), step)) {
            return false;
        }
        done += step;
    }
    return true;
}

// A journal as read back: the file's old length and where each place's old bytes lie.
struct JournalContents {
    std::int64_t oldLength = 0;
    std::vector<JournalEntry> entries;
};

// Reads a journal through; false when it is not whole.
bool ReadJournal(int fd, std::int64_t size, JournalContents* contents) {
    unsigned char header[kHeaderSize];
    if (size < kHeaderSize + kChecksumSize || !ReadAt(fd, header, kHeaderSize, 0) ||
        std::memcmp(header, kMagic, kMagicSize) != 0) {
        return false;
    }
    Checksum sum;
    sum.Add(header, kHeaderSize);
    const std::uint64_t oldLength = GetLe64(header + 8);
    const std::uint64_t count = GetLe64(header + 16);
    const std::int64_t end = size - kChecksumSize;
    if (oldLength > static_cast<std::uint64_t>(INT64_MAX) ||
        count > static_cast<std::uint64_t>(end / kPlaceHeaderSize)) {
        return false;
    }
    contents->oldLength = static_cast<std::int64_t>(oldLength);
    std::int64_t at = kHeaderSize;
    for (std::uint64_t i = 0; i < count; ++i) {
        unsigned char placeHeader[kPlaceHeaderSize];
        if (end - at < kPlaceHeaderSize || !ReadAt(fd, placeHeader, kPlaceHeaderSize, at)) {
            return false;
        }
        sum.Add(placeHeader, kPlaceHeaderSize);
        at += kPlaceHeaderSize;
        const std::uint64_t offset = GetLe64(placeHeader);
        const std::uint64_t length = GetLe64(placeHeader + 8);
        if (offset > oldLength || length > oldLength - offset ||
            length > static_cast<std::uint64_t>(end - at)) {
            return false;
        }
        const auto place =
            FilePlace{static_cast<std::int64_t>(offset), static_cast<std::int64_t>(length)};
        contents->entries.push_back({place, at});
        const bool read =
            InChunks(place.size, [&](std::int64_t done, unsigned char* chunk, std::int64_t step) {
                if (!ReadAt(fd, chunk, step, at + done)) {
                    return false;
                }
                sum.Add(chunk, step);
                return true;
            });
        if (!read) {
            return false;
        }
        at += place.size;
    }
    unsigned char stored[kChecksumSize];
    return at == end && ReadAt(fd, stored, kChecksumSize, at) && GetLe64(stored) == sum.Value();
}

// Copies the old bytes of every place from the journal back into the file and gives it its old
// length; synced.
bool Restore(int journal, int file, std::int64_t oldLength,
             const std::vector<JournalEntry>& entries) {
    for (const JournalEntry& entry : entries) {
        const bool copied = InChunks(
            entry.place.size, [&](std::int64_t done, unsigned char* chunk, std::int64_t step) {
                return ReadAt(journal, chunk, step, entry.at + done) &&
                       WriteAt(file, chunk, step, entry.place.offset + done);
            });
        if (!copied) {
            return false;
        }
    }
    return ::ftruncate(file, static_cast<off_t>(oldLength)) == 0 && ::fsync(file) == 0;
}

}  // namespace

std::uint64_t JournalChecksum(const unsigned char* bytes, std::int64_t size) {
    Checksum sum;
    sum.Add(bytes, size);
    return sum.Value();
}

std::string JournalPath(const std::string& path) {
    // Two programs that reach the file through different links find the same journal.
    std::string target = path;
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        target = real;
        std::free(real);
    }
    return target + "-journal";
}

bool HasJournal(const std::string& path) {
    struct stat status {};
    return ::lstat(JournalPath(path).c_str(), &status) == 0;
}

InPlaceChange::~InPlaceChange() {
    if (m_begun) {
        RollBack();
    }
    Close();
}

void InPlaceChange::Close() {
    if (m_file >= 0) {
        ::close(m_file);
        m_file = -1;
    }
    if (m_journal >= 0) {
        ::close(m_journal);
        m_journal = -1;
    }
}

bool InPlaceChange::Begin(const std::string& path, std::uint64_t device, std::uint64_t inode,
                          std::vector<FilePlace> places, std::string* error) {
    m_path = path;
    m_journalPath = JournalPath(path);
    m_file = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    struct stat status {};
    if (m_file < 0 || ::fstat(m_file, &status) != 0) {
        *error = Reason();
        Close();
        return false;
    }
    if (static_cast<std::uint64_t>(status.st_dev) != device ||
        static_cast<std::uint64_t>(status.st_ino) != inode || !S_ISREG(status.st_mode)) {
        *error = "it was replaced by another file";
        Close();
        return false;
    }
    m_oldLength = status.st_size;
    std::sort(places.begin(), places.end(),
              [](const FilePlace& a, const FilePlace& b) { return a.offset < b.offset; });
    m_journal =
        ::open(m_journalPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, status.st_mode & 0666);
    if (m_journal < 0) {
        *error = "cannot start " + m_journalPath + ": " + Reason();
        Close();
        return false;
    }
    // Only the bytes the file has now need keeping; what lies past its end goes with the length.
    std::vector<FilePlace> kept;
    for (const FilePlace& place : places) {
        const std::int64_t end = std::min(place.offset + place.size, m_oldLength);
        if (place.offset < end) {
            kept.push_back({place.offset, end - place.offset});
        }
    }
    Checksum sum;
    std::int64_t at = 0;
    const auto append = [&](const unsigned char* bytes, std::int64_t size) {
        sum.Add(bytes, size);
        const bool written = WriteAt(m_journal, bytes, size, at);
        at += size;
        return written;
    };
    unsigned char header[kHeaderSize];
    std::memcpy(header, kMagic, kMagicSize);
    PutLe64(header + 8, static_cast<std::uint64_t>(m_oldLength));
    PutLe64(header + 16, kept.size());
    bool written = append(header, kHeaderSize);
    for (const FilePlace& place : kept) {
        if (!written) {
            break;
        }
        unsigned char placeHeader[kPlaceHeaderSize];
        PutLe64(placeHeader, static_cast<std::uint64_t>(place.offset));
        PutLe64(placeHeader + 8, static_cast<std::uint64_t>(place.size));
        written = append(placeHeader, kPlaceHeaderSize);
        m_saved.push_back({place, at});
        written =
            written &&
            InChunks(place.size, [&](std::int64_t done, unsigned char* chunk, std::int64_t step) {
                return ReadAt(m_file, chunk, step, place.offset + done) && append(chunk, step);
            });
    }
    if (written) {
        unsigned char stored[kChecksumSize];
        PutLe64(stored, sum.Value());
        written = WriteAt(m_journal, stored, kChecksumSize, at) && ::fsync(m_journal) == 0 &&
                  SyncFolder(m_journalPath);
    }
    if (!written) {
        *error = "cannot write " + m_journalPath + ": " + Reason();
        ::unlink(m_journalPath.c_str());
        Close();
        m_saved.clear();
        return false;
    }
    m_begun = true;
    return true;
}

bool InPlaceChange::ReadOld(std::int64_t offset, void* dst, std::int64_t size) const {
    if (offset < 0 || size < 0 || offset + size > m_oldLength ||
        !ReadAt(m_file, dst, size, offset)) {
        return false;
    }
    // Where the change has written already, the journal holds the old bytes.
    auto* out = static_cast<unsigned char*>(dst);
    for (const JournalEntry& saved : m_saved) {
        const std::int64_t from = std::max(offset, saved.place.offset);
        const std::int64_t to = std::min(offset + size, saved.place.offset + saved.place.size);
        if (from < to && !ReadAt(m_journal, out + (from - offset), to - from,
                                 saved.at + (from - saved.place.offset))) {
            return false;
        }
    }
    return true;
}

bool InPlaceChange::Write(std::int64_t offset, const void* src, std::int64_t size,
                          std::string* error) {
    if (!WriteAt(m_file, src, size, offset)) {
        *error = Reason();
        return false;
    }
    return true;
}

bool InPlaceChange::Commit(std::int64_t length, std::string* error) {
    if (::ftruncate(m_file, static_cast<off_t>(length)) != 0 || ::fsync(m_file) != 0) {
        *error = Reason();
        RollBack();
        Close();
        return false;
    }
    // The file holds the change on the disk: the journal goes, and with it the way back. A
    // journal that can't be removed is spoiled instead, so that nobody rolls the change back.
    if (::unlink(m_journalPath.c_str()) != 0 &&
        !(::ftruncate(m_journal, 0) == 0 && ::fsync(m_journal) == 0)) {
        *error = "cannot remove " + m_journalPath + ": " + Reason();
        RollBack();
        Close();
        return false;
    }
    SyncFolder(m_journalPath);
    m_begun = false;
    Close();
    return true;
}

bool InPlaceChange::RollBack() {
    m_begun = false;
    // When even this fails, the journal stays for the next program that opens the file.
    if (!Restore(m_journal, m_file, m_oldLength, m_saved)) {
        return false;
    }
    ::unlink(m_journalPath.c_str());
    SyncFolder(m_journalPath);
    return true;
}

Recovery RecoverFile(const std::string& path, std::string* error) {
    const std::string journalPath = JournalPath(path);
    const int journal = ::open(journalPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (journal < 0) {
        if (errno == ENOENT) {
            return Recovery::Nothing;
        }
        *error = "cannot read " + journalPath + ": " + Reason();
        return Recovery::Failed;
    }
    struct stat status {};
    ::fstat(journal, &status);
    JournalContents contents;
    Recovery result = Recovery::Failed;
    unsigned char magic[kMagicSize] = {};
    const std::int64_t size = status.st_size;
    const std::int64_t seen = std::min<std::int64_t>(size, kMagicSize);
    if (!S_ISREG(status.st_mode) || !ReadAt(journal, magic, seen, 0) ||
        std::memcmp(magic, kMagic, static_cast<std::size_t>(seen)) != 0) {
        // Not a journal this program writes: it is left alone, and so is the file.
        *error = journalPath + " is not a journal of an image change";
    } else if (!ReadJournal(journal, size, &contents)) {
        // Cut short or spoiled: the change never reached the file.
        result = ::unlink(journalPath.c_str()) == 0 ? Recovery::Discarded : Recovery::Failed;
        if (result == Recovery::Failed) {
            *error = "cannot remove " + journalPath + ": " + Reason();
        }
    } else {
        const int file = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        if (file >= 0 && Restore(journal, file, contents.oldLength, contents.entries) &&
            ::unlink(journalPath.c_str()) == 0) {
            SyncFolder(journalPath);
            result = Recovery::RolledBack;
        } else {
            *error =
                "cannot undo the unfinished change recorded in " + journalPath + ": " + Reason();
        }
        if (file >= 0) {
            ::close(file);
        }
    }
    ::close(journal);
    return result;
}

bool UndoUnfinishedChange(const std::string& path, bool lockHeld, int waitMs, std::string* error) {
    if (!HasJournal(path)) {
        return true;
    }
    FileLock lock;
    if (!lockHeld) {
        switch (lock.Acquire(path, waitMs)) {
            case FileLock::Result::Locked:
                break;
            case FileLock::Result::Busy:
                *error = "another program is changing it";
                return false;
            case FileLock::Result::Missing:
            case FileLock::Result::NotRegular:
            case FileLock::Result::Failed:
                return true;  // whoever opens the file next says why it can't
        }
    }
    switch (RecoverFile(path, error)) {
        case Recovery::Nothing:
        case Recovery::Discarded:
            return true;
        case Recovery::RolledBack:
            ShowMessage(MessageKind::Information,
                        path +
                            " was left half changed by a program that stopped while saving "
                            "it; that change was undone.");
            return true;
        case Recovery::Failed:
            break;
    }
    return false;
}

}  // namespace platform
