#include "framework/archive.h"

namespace framework {

std::uint64_t CArchive::GetLength() const {
    return 0;
}

void CArchive::Read(void*, std::int64_t) {}

void CArchive::Write(const void*, std::int64_t) {}

void CArchive::Fail(const QString& text) {
    m_failed = true;
    m_error = text;
}

}  // namespace framework
