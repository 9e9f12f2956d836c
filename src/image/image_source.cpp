#include "image/image_source.h"

#include <unistd.h>

#include <utility>

#include "disk/mdos_disk.h"
#include "framework/document.h"
#include "platform/host_file.h"
#include "platform/message_box.h"

CImageSource::CImageSource(int fd, QString path, std::function<bool()> ownLock)
    : m_fd(fd), m_path(std::move(path)), m_ownLock(std::move(ownLock)) {
    platform::IdentifyOpenFile(m_fd, &m_identity);
}

CImageSource::~CImageSource() {
    ::close(m_fd);
}

void CImageSource::Refresh() {
    platform::IdentifyOpenFile(m_fd, &m_identity);
    m_reported = false;
}

bool CImageSource::BeginReading() {
    if (m_depth++ > 0) {
        return m_readable;
    }
    m_readable = false;
    if (!m_ownLock()) {
        if (!platform::LockDescriptor(m_fd, platform::FileLock::Mode::Shared,
                                      framework::kDefaultLockWaitMs)) {
            Report(QStringLiteral("Cannot read \"%1\": another program is changing it."));
            return false;
        }
        m_locked = true;
    }
    platform::FileIdentity now;
    if (platform::IdentifyOpenFile(m_fd, &now) && now == m_identity) {
        m_readable = true;
        return true;
    }
    Report(
        QStringLiteral("Another program changed \"%1\" after it was opened, so the disks "
                       "not shown yet can't be read as they were. Open it again to see them."));
    return false;
}

void CImageSource::EndReading() {
    if (--m_depth > 0) {
        return;
    }
    if (m_locked) {
        platform::UnlockDescriptor(m_fd);
        m_locked = false;
    }
}

void CImageSource::Report(const QString& text) {
    if (!m_reported) {
        m_reported = true;
        platform::ShowMessage(platform::MessageKind::Stop, text.arg(m_path).toStdString());
    }
}

bool CImageSource::ReadPart(std::int64_t index, unsigned char* dst, int size) {
    return platform::ReadAt(m_fd, dst, size, index * CMdosDisk::kRecordSize);
}

bool CImageSource::ReadRecord(std::int64_t index, unsigned char* dst, int size) {
    const bool read = BeginReading() && ReadPart(index, dst, size);
    EndReading();
    return read;
}
