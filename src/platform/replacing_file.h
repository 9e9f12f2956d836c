// A host file written whole or not at all. The bytes go to a temporary file in the target's
// folder, which is flushed to the disk and renamed over the target only once every byte is
// there: a full disk or a size limit leaves the old file exactly as it was, and no temporary
// file behind. The temporary file has no name until Commit, so not even a program killed
// midway leaves one; only a file system that can't hold a nameless file gets a named one
// (.NAME.PID.N.tmp) from the start. A replaced file keeps its permissions and, where the user
// may give it, its group. Every failure is reported once, as "Cannot write file %s." with the
// path.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace platform {

class ReplacingFile {
public:
    ReplacingFile() = default;
    // Discards the temporary file when Commit was never reached: the folder is as before.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Starts the temporary file beside path. A path that is not a regular file (a folder, a
    // pipe, a device) or a folder that refuses the temporary file shows the message; false.
    [[nodiscard]] bool Open(const char* path);
    // Appends size bytes. A failure is remembered; Commit reports it.
    void Write(const void* src, std::size_t size);
    // Moves the temporary file into place after flushing it to the disk. On any failure of this
    // or an earlier Write the temporary file goes, the target stays and the message shows.
    bool Commit();

private:
    void Discard();
    bool Fail();

    std::string m_target;     // the path as given, for the message
    std::string m_final;      // where the file lands: the target, through any symbolic link
    std::string m_temporary;  // the temporary file's name; empty while it has none
    std::FILE* m_file = nullptr;
    bool m_failed = false;    // a write fell short
    bool m_reported = false;  // the message has been shown for this file
};

}  // namespace platform
