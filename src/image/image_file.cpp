#include "image/image_file.h"

#include <unistd.h>

#include <string>

#include "disk/mdos_disk.h"
#include "platform/host_file.h"

std::int64_t CImageFile::RecordCountOf(std::int64_t size) {
    if (size < 0 || size % CMdosDisk::kRecordSize != 0) {
        return -1;
    }
    return size / CMdosDisk::kRecordSize;
}

CImageFile::Status CImageFile::Open(const QString& path) {
    m_count = 0;
    m_file.close();
    // Pipes and devices have no size to count records by.
    std::string error;
    const int fd = platform::OpenRegularFile(QFile::encodeName(path).constData(), &error);
    if (fd < 0 || !m_file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0) {
            ::close(fd);
            error = m_file.errorString().toStdString();
        }
        m_error = QStringLiteral("cannot read %1: %2").arg(path, QString::fromLocal8Bit(error));
        return Status::CannotOpen;
    }
    const std::int64_t size = m_file.size();
    const std::int64_t count = RecordCountOf(size);
    if (count < 0) {
        m_error = QStringLiteral(
                      "%1 is not an image: its size of %2 bytes is not a whole number "
                      "of %3-byte disk records")
                      .arg(path)
                      .arg(size)
                      .arg(CMdosDisk::kRecordSize);
        m_file.close();
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
