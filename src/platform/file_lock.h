// Two programs on one image. Readers hold a shared advisory lock while they read and writers an
// exclusive one for the whole of their load, change and save, so a reader never sees a record
// half written in place. A program that remembers what it read can tell when somebody else has
// replaced or rewritten the file since.
//
// A save may also write a new file and rename it over the old one. A lock held on the old file
// says nothing about the path once the holder has saved; whoever wins the lock next checks that
// the path still names the file it locked, and starts over on the new file when it doesn't.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// What a path named when it was looked at: the file (device and inode) and its state (size and
// modification time). Equal identities mean nobody has written the file in between, as far as
// the host can tell.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;

    [[nodiscard]] bool SameFile(const FileIdentity& other) const {
        return device == other.device && inode == other.inode;
    }
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

enum class FileKind { Missing, Regular, Other };

// Looks at what path names now, through symbolic links. identity may be null.
FileKind InspectFile(const char* path, FileIdentity* identity);
// The identity of an open file; false (identity untouched) when the host can't tell.
bool IdentifyOpenFile(int fd, FileIdentity* identity);

class FileLock {
public:
    enum class Result {
        Locked,      // held until Release or destruction
        Busy,        // another program held it for the whole wait
        Missing,     // nothing is at the path
        NotRegular,  // a folder, a pipe, a device: never an image
        Failed,      // the file could not be opened; errno tells why
    };

    enum class Mode { Exclusive, Shared };

    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock on the regular file at path, waiting up to waitMs milliseconds for a
    // holder of a lock that excludes it to let go (0: one attempt). A file found replaced under
    // the path after the lock was won is dropped and the new one locked instead, within the
    // same wait.
    Result Acquire(const std::string& path, int waitMs, Mode mode = Mode::Exclusive);
    void Release();

    [[nodiscard]] bool Held() const { return m_fd >= 0; }
    // The locked file, open for reading and, where the user may, for writing; -1 when none.
    [[nodiscard]] int Descriptor() const { return m_fd; }
    // The path given to Acquire and the file that was locked under it.
    [[nodiscard]] const std::string& Path() const { return m_path; }
    [[nodiscard]] const FileIdentity& Identity() const { return m_identity; }

private:
    int m_fd = -1;
    std::string m_path;
    FileIdentity m_identity;
};

// Takes the lock on an open file, waiting up to waitMs milliseconds; false when another program
// held a lock that excludes it for the whole wait. UnlockDescriptor lets go of it.
bool LockDescriptor(int fd, FileLock::Mode mode, int waitMs);
void UnlockDescriptor(int fd);

}  // namespace platform
