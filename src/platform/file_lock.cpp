#include "platform/file_lock.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/host_file.h"

namespace platform {

namespace {

// Short enough that a waiting writer follows soon after the holder's save, long enough that a
// wait of many seconds costs next to nothing.
constexpr auto kPollInterval = std::chrono::milliseconds(20);

FileIdentity IdentityOf(const struct stat& status) {
    FileIdentity identity;
    identity.device = static_cast<std::uint64_t>(status.st_dev);
    identity.inode = static_cast<std::uint64_t>(status.st_ino);
    identity.size = static_cast<std::int64_t>(status.st_size);
    identity.modifiedNs =
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    return identity;
}

// Whether path still names the file whose status this is.
bool StillNamed(const std::string& path, const struct stat& status) {
    struct stat now {};
    return ::stat(path.c_str(), &now) == 0 && now.st_dev == status.st_dev &&
           now.st_ino == status.st_ino;
}

}  // namespace

FileKind InspectFile(const char* path, FileIdentity* identity) {
    struct stat status {};
    if (::stat(path, &status) != 0) {
        return FileKind::Missing;
    }
    if (identity != nullptr) {
        *identity = IdentityOf(status);
    }
    return S_ISREG(status.st_mode) ? FileKind::Regular : FileKind::Other;
}

bool IdentifyOpenFile(int fd, FileIdentity* identity) {
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        return false;
    }
    *identity = IdentityOf(status);
    return true;
}

FileLock::~FileLock() {
    Release();
}

FileLock::Result FileLock::Acquire(const std::string& path, int waitMs, Mode mode) {
    Release();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        std::string why;
        const int fd = OpenRegularFile(path.c_str(), &why);
        if (fd < 0) {
            switch (InspectFile(path.c_str(), nullptr)) {
                case FileKind::Missing:
                    return Result::Missing;
                case FileKind::Other:
                    return Result::NotRegular;
                case FileKind::Regular:
                    return Result::Failed;
            }
        }
        struct stat status {};
        ::fstat(fd, &status);
        int error = 0;
        for (;;) {
            const int operation = mode == Mode::Shared ? LOCK_SH : LOCK_EX;
            error = ::flock(fd, operation | LOCK_NB) == 0 ? 0 : errno;
            if ((error != EWOULDBLOCK && error != EINTR) ||
                std::chrono::steady_clock::now() >= deadline || !StillNamed(path, status)) {
                break;
            }
            std::this_thread::sleep_for(kPollInterval);
        }
        // The holder before us may have renamed a new image over the path: then the lock we won,
        // or waited for, guards a file nobody will read again, and the new one is tried instead.
        if (StillNamed(path, status)) {
            if (error == 0) {
                m_fd = fd;
                m_path = path;
                IdentifyOpenFile(fd, &m_identity);
                return Result::Locked;
            }
            ::close(fd);
            errno = error;
            return error == EWOULDBLOCK ? Result::Busy : Result::Failed;
        }
        ::close(fd);
        if (std::chrono::steady_clock::now() >= deadline) {
            return Result::Busy;
        }
    }
}

bool LockDescriptor(int fd, FileLock::Mode mode, int waitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    const int operation = mode == FileLock::Mode::Shared ? LOCK_SH : LOCK_EX;
    while (::flock(fd, operation | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) ||
            std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

void UnlockDescriptor(int fd) {
    ::flock(fd, LOCK_UN);
}

void FileLock::Release() {
    if (m_fd >= 0) {
        ::close(m_fd);  // closing the last descriptor of the open file lets go of the lock
        m_fd = -1;
    }
    m_path.clear();
    m_identity = FileIdentity();
}

}  // namespace platform
