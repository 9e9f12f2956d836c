// Random access to the records of a ".trw" file without loading the image: a tool that needs
// one disk seeks to its record instead of reading every disk before it. The reader holds the
// file's shared lock while it is open, so no change made in place is seen half done, and any
// change a program left unfinished is undone first.
#pragma once

#include <QFile>
#include <QString>
#include <cstdint>

#include "platform/file_lock.h"

class CMdosDisk;

class CImageFile {
public:
    enum class Status { Ok, CannotOpen, Busy, NotWholeRecords };

    // The number of records in a file of size bytes, or -1 when the size is not a whole
    // number of records (a truncated or foreign file).
    [[nodiscard]] static std::int64_t RecordCountOf(std::int64_t size);

    // Whether the file at path is a whole number of records; else *error says why.
    [[nodiscard]] static bool HasWholeRecords(const QString& path, QString* error);

    // Opens the file for reading and counts its records, waiting up to waitMs for a program
    // that changes it. A file whose size is not a whole number of records is refused, so no
    // record is ever read from a torn file.
    [[nodiscard]] Status Open(const QString& path, int waitMs = kLockWaitMs);
    static constexpr int kLockWaitMs = 30000;
    [[nodiscard]] std::int64_t RecordCount() const { return m_count; }
    // Why Open failed, for the user.
    [[nodiscard]] QString ErrorText() const { return m_error; }

    // Reads the first size bytes of record index (0 .. RecordCount() - 1) into dst (at most a
    // whole record); false when the index is out of range or the read came short.
    [[nodiscard]] bool ReadRecordPart(std::int64_t index, unsigned char* dst, int size);

private:
    [[nodiscard]] static QString NotWholeText(const QString& path, std::int64_t size);

    platform::FileLock m_lock;
    QFile m_file;
    std::int64_t m_count = 0;
    QString m_error;
};
