#include "platform/host_file.h"

namespace platform {

HostFile::~HostFile() { Close(); }

bool HostFile::OpenForReading(const char* path) {
    Close();
    if (path != nullptr) {
        m_file = std::fopen(path, "rb");
    }
    return m_file != nullptr;
}

bool HostFile::CreateForWriting(const char* path) {
    Close();
    if (path != nullptr) {
        m_file = std::fopen(path, "wb");
    }
    return m_file != nullptr;
}

std::size_t HostFile::Read(void* dst, std::size_t size) {
    if (m_file == nullptr || size == 0) {
        return 0;
    }
    return std::fread(dst, 1, size, m_file);
}

bool HostFile::Write(const void* src, std::size_t size) {
    if (m_file == nullptr) {
        return false;
    }
    return size == 0 || std::fwrite(src, 1, size, m_file) == size;
}

void HostFile::Close() {
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

}  // namespace platform
