#include "platform/host_file.h"

#include <filesystem>
#include <system_error>

namespace platform {

namespace {
// Only regular files are host files. Opening a pipe blocks until its other end appears, and a
// device such as /dev/zero never ends: a tape import over it would read empty blocks forever.
// A directory "opens" for reading and then reads nothing.
bool IsRegularOrMissing(const char* path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    return status.type() == std::filesystem::file_type::regular ||
           status.type() == std::filesystem::file_type::not_found;
}
}  // namespace

HostFile::~HostFile() {
    Close();
}

bool HostFile::OpenForReading(const char* path) {
    Close();
    if (path != nullptr && IsRegularOrMissing(path)) {
        m_file = std::fopen(path, "rb");
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
