// Image files made by the tests: records of zeros that differ in their disk names, so a test
// can tell which file's disks are open and in what order.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cstring>

#include "disk/mdos_disk.h"
#include "image/brindle_doc.h"

inline void WriteImageFile(const QString& path, const QStringList& diskNames) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (const QString& name : diskNames) {
        QByteArray record(CMdosDisk::kRecordSize, '\0');
        record.replace(CMdosDisk::kSystemMarkOffset, 4, "SDOS");
        record.replace(CMdosDisk::kDiskNameOffset, name.size(), name.toLatin1());
        ASSERT_EQ(file.write(record), record.size());
    }
}

// The disk names of the open image, in order.
inline QStringList DiskNames(const CBrindleDoc& doc) {
    QStringList names;
    for (const auto& disk : doc.m_disks) {
        const char* name =
            reinterpret_cast<const char*>(disk->Record()) + CMdosDisk::kDiskNameOffset;
        names << QString::fromLatin1(
                     name, static_cast<qsizetype>(strnlen(name, CMdosDisk::kDiskNameSize)))
                     .trimmed();
    }
    return names;
}
