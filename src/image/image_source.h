// The image file that the disks of an opened image read their records from when first needed.
// It keeps the file open, so a save by another program that renames a new file over the path
// takes nothing away from it; a change made in the file itself is seen by its identity (size
// and modification time), and then no record is read from it any more: the disks that weren't
// read yet can't be had as they were.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "disk/record_source.h"
#include "platform/file_lock.h"

class CImageSource : public disk::RecordSource {
public:
    // Takes over fd, the file at path open for reading. ownLock tells whether the document
    // holds the file's exclusive lock at the moment; readers otherwise hold a shared lock
    // while they read, so that no change in place is seen half done.
    CImageSource(int fd, QString path, std::function<bool()> ownLock);
    ~CImageSource() override;
    CImageSource(const CImageSource&) = delete;
    CImageSource& operator=(const CImageSource&) = delete;

    bool ReadRecord(std::int64_t index, unsigned char* dst, int size) override;

    // A read of several records under one lock: Begin, then ReadPart (or ReadRecord) as often
    // as needed, End. Begin and End pairs may nest.
    bool BeginReading();
    bool ReadPart(std::int64_t index, unsigned char* dst, int size);
    void EndReading();

    [[nodiscard]] const platform::FileIdentity& Identity() const { return m_identity; }
    // The document changed the file itself: what it holds now is what it is.
    void Refresh();

private:
    // Tells the user text (with %1 for the path) once, until the next Refresh.
    void Report(const QString& text);

    int m_fd;
    QString m_path;
    std::function<bool()> m_ownLock;
    platform::FileIdentity m_identity;
    bool m_locked = false;
    int m_depth = 0;          // BeginReading calls not ended yet
    bool m_readable = false;  // what the outermost BeginReading found
    bool m_reported = false;  // the user was told the file changed
};
