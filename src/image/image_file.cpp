#include "image/image_file.h"

#include "disk/mdos_disk.h"

std::int64_t CImageFile::RecordCountOf(std::int64_t size) {
    if (size < 0 || size % CMdosDisk::kRecordSize != 0) {
        return -1;
    }
    return size / CMdosDisk::kRecordSize;
}

CImageFile::Status CImageFile::Open(const QString& path) {
    m_count = 0;
    m_file.close();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("cannot read %1: %2").arg(path, m_file.errorString());
        return Status::CannotOpen;
    }
    // Pipes and devices have no size to count records by.
    if (m_file.isSequential()) {
        m_error = QStringLiteral("cannot read %1: not a regular file").arg(path);
        m_file.close();
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

bool CImageFile::ReadRecord(std::int64_t index, CMdosDisk& disk) {
    return ReadRecordPart(index, disk.Record(), CMdosDisk::kRecordSize);
}
