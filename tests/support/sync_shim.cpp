// Preloaded into brindle-cli by the durability tests: it writes down every sync to the disk and
// every rename or link that puts a file in place, and on request makes every sync fail, so a
// test sees whether a file's bytes reach the disk before its name does, and what a failed sync
// leaves behind. The log names files by device and inode, which a rename keeps.
//
//   BRINDLE_SYNC_LOG=<file>   append "sync DEV:INO" and "place DEV:INO PATH" lines
//   BRINDLE_SYNC_FAIL=1       fsync and fdatasync fail with EIO
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

int Sync(int fd, const char* name) {
    struct stat file {};
    ::fstat(fd, &file);
    Log("sync", file, nullptr);
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
