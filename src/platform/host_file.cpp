#include "platform/host_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace platform {

namespace {

// Larger moves are made in steps of this size, which every system takes in one call.
constexpr std::int64_t kLargestMove = 1 << 30;

// Moves size bytes at offset with move (pread or pwrite), as many calls as it takes.
template <typename Bytes, typename Move>
bool MoveAt(int fd, Bytes* bytes, std::int64_t size, std::int64_t offset, Move move) {
    while (size > 0) {
        const ssize_t moved =
            move(fd, bytes, static_cast<std::size_t>(std::min(size, kLargestMove)),
                 static_cast<off_t>(offset));
        if (moved < 0 && errno == EINTR) {
            continue;
        }
        if (moved <= 0) {
            if (moved == 0) {
                errno = EIO;  // the file ended early, or took nothing
            }
            return false;
        }
        bytes += moved;
        size -= moved;
        offset += moved;
    }
    return true;
}

}  // namespace

// Only regular files are host files. Opening a pipe blocks until its other end appears, and a
// device such as /dev/zero never ends: a tape import over it would read empty blocks forever.
// A directory "opens" for reading and then reads nothing.
int OpenRegularFile(const char* path, std::string* error) {
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = std::strerror(errno);
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        *error = "not a regular file";
        return -1;
    }
    // Reads of a regular file never block anyway; the flag only kept the open from waiting.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool ReadAt(int fd, void* dst, std::int64_t size, std::int64_t offset) {
    return MoveAt(fd, static_cast<unsigned char*>(dst), size, offset, ::pread);
}

bool WriteAt(int fd, const void* src, std::int64_t size, std::int64_t offset) {
    return MoveAt(fd, static_cast<const unsigned char*>(src), size, offset, ::pwrite);
}

HostFile::~HostFile() {
    Close();
}

bool HostFile::OpenForReading(const char* path) {
    Close();
    std::string error;
    const int fd = path != nullptr ? OpenRegularFile(path, &error) : -1;
    if (fd >= 0) {
        m_file = ::fdopen(fd, "rb");
        if (m_file == nullptr) {
            ::close(fd);
        }
    }
    return m_file != nullptr;
}

std::size_t HostFile::Read(void* dst, std::size_t size) {
    if (m_file == nullptr || size == 0) {
        return 0;
    }
    return std::fread(dst, 1, size, m_file);
}

void HostFile::Close() {
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

}  // namespace platform
