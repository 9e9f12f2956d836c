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

// Creates a file that did not exist, named after the target in the target's folder.
int CreateTemporary(const std::string& target, std::string& name) {
    const std::filesystem::path path(target);
    const std::filesystem::path folder = path.parent_path();
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string leaf = "." + path.filename().string() + "." + std::to_string(::getpid()) +
                                 "." + std::to_string(attempt) + ".tmp";
        name = (folder / leaf).string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// A replaced file keeps its permissions.
void KeepMode(int fd, const std::string& target) {
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        ::fchmod(fd, old.st_mode & 07777);
    }
}

// Makes the rename itself survive a crash.
void SyncFolder(const std::string& target) {
    std::string folder = std::filesystem::path(target).parent_path().string();
    if (folder.empty()) {
        folder = ".";
    }
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
        m_temporary.clear();
        return Fail();
    }
    KeepMode(fd, m_final);
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
    const bool flushed = std::fflush(m_file) == 0 && ::fsync(::fileno(m_file)) == 0;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!flushed || !closed || std::rename(m_temporary.c_str(), m_final.c_str()) != 0) {
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
