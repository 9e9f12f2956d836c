// A change of a few places of a large file, made in the file itself and safe against a crash
// at any moment: a rollback journal beside the file keeps the old bytes of every place the
// change writes and the file's old length, and is on the disk before the first byte of the file
// changes. The change is done once the file is synced and the journal is gone; until then,
// whoever opens the file next finds the journal and puts the old bytes back (RecoverFile).
//
// The journal ("NAME-journal" beside the file the path leads to), little-endian throughout:
//   0   8   "TRWJRNL1"
//   8   8   the file's old length
//   16  8   the number of places
//   24      each place: its offset (8), its length (8), then its old bytes
//   end 8   a checksum of every byte before it
// A journal that is cut short or fails its checksum was never finished, so the file was never
// touched: it is removed. The caller holds the file's exclusive lock throughout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct FilePlace {
    std::int64_t offset = 0;
    std::int64_t size = 0;
};

// A place of the file and where its old bytes lie in the journal.
struct JournalEntry {
    FilePlace place;
    std::int64_t at = 0;
};

// The journal's path for the file at path.
[[nodiscard]] std::string JournalPath(const std::string& path);
// The checksum that ends a journal of these bytes (64-bit FNV-1a).
[[nodiscard]] std::uint64_t JournalChecksum(const unsigned char* bytes, std::int64_t size);

class InPlaceChange {
public:
    InPlaceChange() = default;
    // A change begun and never committed is rolled back here.
    ~InPlaceChange();
    InPlaceChange(const InPlaceChange&) = delete;
    InPlaceChange& operator=(const InPlaceChange&) = delete;

    // Opens the file at path for writing (it must be the file identified by device and inode)
    // and writes and syncs the journal of the places about to be written; places past the old
    // end need no old bytes. False with *error when nothing was changed.
    bool Begin(const std::string& path, std::uint64_t device, std::uint64_t inode,
               std::vector<FilePlace> places, std::string* error);
    // The bytes the file held at [offset, offset + size) before the change, wherever the change
    // has written since. False on a read error or a range past the old end.
    bool ReadOld(std::int64_t offset, void* dst, std::int64_t size) const;
    // Writes into the file; only the places given to Begin, or past the old end.
    bool Write(std::int64_t offset, const void* src, std::int64_t size, std::string* error);
    // Cuts or extends the file to length, syncs it and removes the journal: the change is done.
    // On failure the old bytes go back and the journal goes (or stays for RecoverFile when even
    // that failed).
    bool Commit(std::int64_t length, std::string* error);

private:
    bool RollBack();
    void Close();

    std::string m_path;
    std::string m_journalPath;
    int m_file = -1;
    int m_journal = -1;
    std::int64_t m_oldLength = 0;
    std::vector<JournalEntry> m_saved;
    bool m_begun = false;
};

enum class Recovery {
    Nothing,     // no journal: the file is as its last change left it
    RolledBack,  // an unfinished change was undone
    Discarded,   // a journal that was never finished was removed; the file was never touched
    Failed,      // the journal is there but could not be applied or removed; *error tells why
};

// Undoes an unfinished change of the file at path, whose exclusive lock the caller holds.
Recovery RecoverFile(const std::string& path, std::string* error);
// What opening a file begins with: undoes an unfinished change of the file at path and tells
// the user so. The caller holds the file's exclusive lock, or it is taken here, waiting up to
// waitMs. False with *error when the file can't be brought back to a whole state.
bool UndoUnfinishedChange(const std::string& path, bool lockHeld, int waitMs, std::string* error);
// Whether an unfinished change's journal lies beside the file at path.
[[nodiscard]] bool HasJournal(const std::string& path);

}  // namespace platform
