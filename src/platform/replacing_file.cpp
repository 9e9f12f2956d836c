#include "platform/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/message_box.h"

namespace platform {

namespace {

constexpr int kNameAttempts = 100;
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as for any new file

// The file the bytes belong to: a symbolic link is followed, so the link stays and its target
// is replaced. Pipes, devices and folders are no host files, and a file the user may not write
// is not replaced behind its back.
bool ResolveTarget(const std::string& path, std::string& resolved) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) {
        resolved = path;
        return true;
    }
    if (status.type() != fs::file_type::regular) {
        return false;
    }
    const fs::path real = fs::canonical(path, error);
    resolved = error ? path : real.string();
    return ::access(resolved.c_str(), W_OK) == 0;
}

std::string FolderOf(const std::string& target) {
    const std::string folder = std::filesystem::path(target).parent_path().string();
    return folder.empty() ? "." : folder;
}

// Gives the temporary file a name beside the target, .NAME.PID.N.tmp, through make, which
// returns false with errno set. A name someone else holds is skipped; any other failure ends the
// attempts. name is empty unless make succeeded.
template <typename Make>
bool MakeNamed(const std::string& target, std::string& name, Make make) {
    const std::filesystem::path path(target);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string leaf = "." + path.filename().string() + "." + std::to_string(::getpid()) +
                                 "." + std::to_string(attempt) + ".tmp";
        name = (path.parent_path() / leaf).string();
        if (make(name.c_str())) {
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    name.clear();
    return false;
}

// The bytes go to a file without a name, so a program killed before Commit leaves nothing in
// the folder. File systems that can't hold such a file get a named one instead, which then is
// visible until Commit or Discard. name stays empty for the unnamed file.
int CreateTemporary(const std::string& target, std::string& name) {
    name.clear();
    const int fd = ::open(FolderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, kNewFileMode);
    if (fd >= 0 || errno == EACCES || errno == EPERM) {
        return fd;
    }
    int named = -1;
    MakeNamed(target, name, [&named](const char* candidate) {
        named = ::open(candidate, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        return named >= 0;
    });
    return named;
}

// Names the unnamed file so that it can be renamed over the target.
bool LinkTemporary(int fd, const std::string& target, std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return MakeNamed(target, name, [&self](const char* candidate) {
        return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate, AT_SYMLINK_FOLLOW) == 0;
    });
}

// A replaced file keeps its permissions and its group. Only a member of the group may hand the
// file to it; otherwise the new file stays in the user's group, as any file the user creates.
// The group comes first: a change of group may drop the set-id bits, which the mode restores.
void KeepOwnership(int fd, const std::string& target) {
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        [[maybe_unused]] const bool regrouped =
            ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0;
        ::fchmod(fd, old.st_mode & 07777);
    }
}

// Makes the rename itself survive a crash.
void SyncFolder(const std::string& target) {
    const int fd = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

ReplacingFile::~ReplacingFile() {
    Discard();
}

bool ReplacingFile::Open(const char* path) {
    Discard();
    m_failed = false;
    m_reported = false;
    m_target = path != nullptr ? path : "";
    if (path == nullptr || !ResolveTarget(m_target, m_final)) {
        return Fail();
    }
    const int fd = CreateTemporary(m_final, m_temporary);
    if (fd < 0) {
        return Fail();
    }
    KeepOwnership(fd, m_final);
    m_file = ::fdopen(fd, "wb");
    if (m_file == nullptr) {
        ::close(fd);
        return Fail();
    }
    return true;
}

void ReplacingFile::Write(const void* src, std::size_t size) {
    if (m_file == nullptr || m_failed || size == 0) {
        return;
    }
    m_failed = std::fwrite(src, 1, size, m_file) != size;
}

bool ReplacingFile::Commit() {
    if (m_file == nullptr || m_failed) {
        return Fail();
    }
    // The unnamed file is named while it is still open: closing it first would destroy it.
    const int fd = ::fileno(m_file);
    const bool flushed = std::fflush(m_file) == 0 && ::fsync(fd) == 0;
    if (!flushed || (m_temporary.empty() && !LinkTemporary(fd, m_final, m_temporary))) {
        return Fail();
    }
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!closed || std::rename(m_temporary.c_str(), m_final.c_str()) != 0) {
        return Fail();
    }
    m_temporary.clear();
    SyncFolder(m_final);
    return true;
}

void ReplacingFile::Discard() {
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_temporary.empty()) {
        std::remove(m_temporary.c_str());
        m_temporary.clear();
    }
}

bool ReplacingFile::Fail() {
    Discard();
    m_failed = true;
    if (!m_reported) {
        m_reported = true;
        ShowMessage(MessageKind::Stop, "Cannot write file " + m_target + ".");
    }
    return false;
}

}  // namespace platform
