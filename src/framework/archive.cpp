#include "framework/archive.h"

#include <QFileDevice>

namespace framework {

namespace {
// The file's name for messages; devices that are no files have none.
QString DeviceName(const QIODevice* device) {
    if (const auto* file = qobject_cast<const QFileDevice*>(device)) {
        return file->fileName();
    }
    return QString();
}
}  // namespace

std::uint64_t CArchive::GetLength() const {
    const qint64 size = m_device->size();
    return size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

// QIODevice::read may deliver less than asked for without being at the end, so read until the
// request is met; 0 bytes is the end of the file, which is a short read here.
void CArchive::Read(void* dst, std::int64_t size) {
    if (m_failed) {
        return;
    }
    if (!IsLoading()) {
        Fail();
        return;
    }
    auto* at = static_cast<char*>(dst);
    while (size > 0) {
        const qint64 got = m_device->read(at, size);
        if (got < 0) {
            const QString name = DeviceName(m_device);
            Fail(name.isEmpty() ? QString()
                                : QStringLiteral("Error reading \"%1\": %2.")
                                      .arg(name, m_device->errorString()));
            return;
        }
        if (got == 0) {
            const QString name = DeviceName(m_device);
            Fail(name.isEmpty() ? QString()
                                : QStringLiteral("Unexpected end of file \"%1\".").arg(name));
            return;
        }
        at += got;
        size -= got;
    }
}

void CArchive::Write(const void* src, std::int64_t size) {
    if (m_failed) {
        return;
    }
    if (!IsStoring()) {
        Fail();
        return;
    }
    const auto* at = static_cast<const char*>(src);
    while (size > 0) {
        const qint64 put = m_device->write(at, size);
        if (put <= 0) {
            const QString name = DeviceName(m_device);
            Fail(name.isEmpty() ? QString()
                                : QStringLiteral("Error writing \"%1\": %2.")
                                      .arg(name, m_device->errorString()));
            return;
        }
        at += put;
        size -= put;
    }
}

void CArchive::Fail(const QString& text) {
    if (m_failed) {
        return;  // the first failure is the one to report
    }
    m_failed = true;
    m_error = text;
}

}  // namespace framework
