#include "image/image_file.h"

#include <unistd.h>

#include <string>

#include "disk/mdos_disk.h"
#include "platform/host_file.h"
#include "platform/in_place_change.h"

std::int64_t CImageFile::RecordCountOf(std::int64_t size) {
    if (size < 0 || size % CMdosDisk::kRecordSize != 0) {
        return -1;
    }
    return size / CMdosDisk::kRecordSize;
}

QString CImageFile::NotWholeText(const QString& path, std::int64_t size) {
    return QStringLiteral(
               "%1 is not an image: its size of %2 bytes is not a whole number of %3-byte disk "
               "records")
        .arg(path)
        .arg(size)
        .arg(CMdosDisk::kRecordSize);
}

bool CImageFile::HasWholeRecords(const QString& path, QString* error) {
    platform::FileIdentity identity;
    if (platform::InspectFile(QFile::encodeName(path).constData(), &identity) !=
            platform::FileKind::Regular ||
        RecordCountOf(identity.size) >= 0) {
        return true;  // whoever reads it says what else is wrong
    }
    *error = NotWholeText(path, identity.size);
    return false;
}

CImageFile::Status CImageFile::Open(const QString& path, int waitMs) {
    m_count = 0;
    m_file.close();
    m_lock.Release();
    const std::string name = QFile::encodeName(path).toStdString();
    std::string error;
    // A program may stop in the middle of a change at any moment: its journal is looked for
    // again once the lock is held, and the change undone before anything is read.
    for (int attempt = 0; attempt < 3 && !m_lock.Held(); ++attempt) {
        if (!platform::UndoUnfinishedChange(name, false, waitMs, &error)) {
            m_error = QStringLiteral("cannot read %1: %2")
                          .arg(path, QString::fromLocal8Bit(error.c_str()));
            return Status::CannotOpen;
        }
        if (m_lock.Acquire(name, waitMs, platform::FileLock::Mode::Shared) ==
            platform::FileLock::Result::Busy) {
            m_error = QStringLiteral(
                          "%1 is being changed by another program; gave up after "
                          "waiting %2 s")
                          .arg(path)
                          .arg(waitMs / 1000);
            return Status::Busy;
        }
        if (m_lock.Held() && platform::HasJournal(name)) {
            m_lock.Release();
        } else {
            break;
        }
    }
    // Pipes and devices have no size to count records by.
    const int fd = m_lock.Held() ? ::dup(m_lock.Descriptor())
                                 : platform::OpenRegularFile(name.c_str(), &error);
    if (fd < 0 || !m_file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0) {
            ::close(fd);
            error = m_file.errorString().toStdString();
        }
        m_error = QStringLiteral("cannot read %1: %2").arg(path, QString::fromLocal8Bit(error));
        m_lock.Release();
        return Status::CannotOpen;
    }
    const std::int64_t size = m_file.size();
    const std::int64_t count = RecordCountOf(size);
    if (count < 0) {
        m_error = NotWholeText(path, size);
        m_file.close();
        m_lock.Release();
        return Status::NotWholeRecords;
    }
    m_count = count;
    m_error.clear();
    return Status::Ok;
}

bool CImageFile::ReadRecordPart(std::int64_t index, unsigned char* dst, int size) {
    if (index < 0 || index >= m_count || size < 0 || size > CMdosDisk::kRecordSize) {
        return false;
    }
    if (!m_file.seek(index * CMdosDisk::kRecordSize)) {
        return false;
    }
    return m_file.read(reinterpret_cast<char*>(dst), size) == size;
}
