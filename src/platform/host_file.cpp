#include "platform/host_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

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
