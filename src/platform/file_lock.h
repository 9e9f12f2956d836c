// Two programs on one image: a writer holds an exclusive advisory lock on the image file for the
// whole of its load, change and save, and a program that remembers what it read can tell when
// somebody else has replaced or rewritten the file since.
//
// Saves never write into the image file: they write a new file and rename it over the old one.
// So a lock held on the old file says nothing about the path once the holder has saved; whoever
// wins the lock next checks that the path still names the file it locked, and starts over on the
// new file when it doesn't. Readers take no lock: a rename shows them a whole old or a whole new
// image.
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

    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the exclusive lock on the regular file at path, waiting up to waitMs milliseconds
    // for another holder to let go (0: one attempt). A file found replaced under the path after
    // the lock was won is dropped and the new one locked instead, within the same wait.
    Result Acquire(const std::string& path, int waitMs);
    void Release();

    [[nodiscard]] bool Held() const { return m_fd >= 0; }
    // The path given to Acquire and the file that was locked under it.
    [[nodiscard]] const std::string& Path() const { return m_path; }
    [[nodiscard]] const FileIdentity& Identity() const { return m_identity; }

private:
    int m_fd = -1;
    std::string m_path;
    FileIdentity m_identity;
};

}  // namespace platform
