// Host files as the disk engine reads them: opened for reading (the file must exist). Reads move
// whole buffers and report what arrived, so a short file is never an error at this level.
// Host files are written through ReplacingFile, whole or not at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

// Opens an existing regular file for reading and returns its descriptor, or -1 with the reason
// in *error. Pipes, devices and folders are refused without waiting: opening a pipe for reading
// would block until a writer came.
int OpenRegularFile(const char* path, std::string* error);

// Reads exactly size bytes at offset of an open file, or writes them; false (errno set, EIO for
// a file that ends early) when not all of them could be moved.
bool ReadAt(int fd, void* dst, std::int64_t size, std::int64_t offset);
bool WriteAt(int fd, const void* src, std::int64_t size, std::int64_t offset);

class HostFile {
public:
    HostFile() = default;
    ~HostFile();
    HostFile(const HostFile&) = delete;
    HostFile& operator=(const HostFile&) = delete;

    // Opens an existing regular file for reading; other readers are not locked out. Pipes,
    // devices and directories are refused.
    [[nodiscard]] bool OpenForReading(const char* path);

    // Reads up to size bytes; returns how many arrived (0 at the end of the file or on error).
    std::size_t Read(void* dst, std::size_t size);
    void Close();

private:
    std::FILE* m_file = nullptr;
};

}  // namespace platform
