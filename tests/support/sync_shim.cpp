// Preloaded into brindle-cli by the durability tests: it writes down every sync to the disk and
// every rename or link that puts a file in place, and on request makes every sync fail, so a
// test sees whether a file's bytes reach the disk before its name does, and what a failed sync
// leaves behind. The log names files by device and inode, which a rename keeps. It can also
// fail one call of those that change files (a write at an offset, a cut, a sync, a removal),
// counted from the start, as a full or failing disk would.
//
//   BRINDLE_SYNC_LOG=<file>   append "sync DEV:INO" and "place DEV:INO PATH" lines
//   BRINDLE_SYNC_FAIL=1       fsync and fdatasync fail with EIO
//   BRINDLE_FAIL_CALL=<n>     the n-th such call (1 is the first) fails with EIO, and
//   BRINDLE_FAIL_MARK=<file>  is created when it does
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

template <typename Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

void Log(const char* event, const struct stat& file, const char* path) {
    const char* log = std::getenv("BRINDLE_SYNC_LOG");
    if (log == nullptr) {
        return;
    }
    if (std::FILE* out = std::fopen(log, "a")) {
        std::fprintf(out, "%s %lu:%lu %s\n", event, static_cast<unsigned long>(file.st_dev),
                     static_cast<unsigned long>(file.st_ino), path != nullptr ? path : "");
        std::fclose(out);
    }
}

// Whether this call is the one BRINDLE_FAIL_CALL names.
bool FailThisCall() {
    static long calls = 0;
    const char* wanted = std::getenv("BRINDLE_FAIL_CALL");
    if (wanted == nullptr || ++calls != std::atol(wanted)) {
        return false;
    }
    if (const char* mark = std::getenv("BRINDLE_FAIL_MARK")) {
        if (std::FILE* out = std::fopen(mark, "w")) {
            std::fclose(out);
        }
    }
    errno = EIO;
    return true;
}

bool IsRegular(int fd) {
    struct stat file {};
    return ::fstat(fd, &file) == 0 && S_ISREG(file.st_mode);
}

int Sync(int fd, const char* name) {
    struct stat file {};
    ::fstat(fd, &file);
    Log("sync", file, nullptr);
    if (S_ISREG(file.st_mode) && FailThisCall()) {
        return -1;
    }
    const char* fail = std::getenv("BRINDLE_SYNC_FAIL");
    if (fail != nullptr && std::strcmp(fail, "1") == 0) {
        errno = EIO;
        return -1;
    }
    return Next<int (*)(int)>(name)(fd);
}

void LogPlaced(const char* from, const char* to) {
    struct stat file {};
    if (::stat(from, &file) == 0) {
        Log("place", file, to);
    }
}

}  // namespace

extern "C" {

int fsync(int fd) {
    return Sync(fd, "fsync");
}

int fdatasync(int fd) {
    return Sync(fd, "fdatasync");
}

ssize_t pwrite(int fd, const void* src, size_t size, off_t offset) {
    if (IsRegular(fd) && FailThisCall()) {
        return -1;
    }
    return Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite")(fd, src, size, offset);
}

ssize_t pwrite64(int fd, const void* src, size_t size, off_t offset) {
    if (IsRegular(fd) && FailThisCall()) {
        return -1;
    }
    return Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite64")(fd, src, size, offset);
}

int ftruncate(int fd, off_t length) {
    if (FailThisCall()) {
        return -1;
    }
    return Next<int (*)(int, off_t)>("ftruncate")(fd, length);
}

int ftruncate64(int fd, off_t length) {
    if (FailThisCall()) {
        return -1;
    }
    return Next<int (*)(int, off_t)>("ftruncate64")(fd, length);
}

int unlink(const char* path) {
    if (FailThisCall()) {
        return -1;
    }
    return Next<int (*)(const char*)>("unlink")(path);
}

int rename(const char* from, const char* to) {
    LogPlaced(from, to);
    return Next<int (*)(const char*, const char*)>("rename")(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    LogPlaced(from, to);
    return Next<int (*)(int, const char*, int, const char*)>("renameat")(fromDir, from, toDir, to);
}

int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) {
    LogPlaced(from, to);
    return Next<int (*)(int, const char*, int, const char*, int)>("linkat")(fromDir, from, toDir,
                                                                            to, flags);
}

}  // extern "C"
