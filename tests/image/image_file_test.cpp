#include <gtest/gtest.h>

#include <QByteArray>
#include <QTemporaryDir>
#include <memory>

#include "disk/mdos_disk.h"
#include "image/image_file.h"
#include "support/file_bytes.h"

namespace {

constexpr int kRecord = CMdosDisk::kRecordSize;

// Three records whose bytes say which record they belong to.
QByteArray ThreeRecords() {
    QByteArray bytes;
    for (char fill : {'a', 'b', 'c'}) {
        bytes.append(QByteArray(kRecord, fill));
    }
    return bytes;
}

TEST(ImageFileTest, CountsOnlyWholeRecords) {
    EXPECT_EQ(CImageFile::RecordCountOf(0), 0);
    EXPECT_EQ(CImageFile::RecordCountOf(kRecord), 1);
    EXPECT_EQ(CImageFile::RecordCountOf(std::int64_t{300000} * kRecord), 300000);
    EXPECT_EQ(CImageFile::RecordCountOf(kRecord - 1), -1);
    EXPECT_EQ(CImageFile::RecordCountOf(2 * kRecord + 100), -1);
    EXPECT_EQ(CImageFile::RecordCountOf(-1), -1);
}

TEST(ImageFileTest, ReadsTheRecordAtAnIndexAndRefusesOthers) {
    QTemporaryDir dir;
    const QString path = dir.filePath("three.trw");
    testsupport::WriteAll(path, ThreeRecords());
    CImageFile file;
    ASSERT_EQ(file.Open(path), CImageFile::Status::Ok);
    EXPECT_EQ(file.RecordCount(), 3);

    auto disk = std::make_unique<CMdosDisk>();
    ASSERT_TRUE(file.ReadRecordPart(2, disk->Record(), kRecord));
    EXPECT_EQ(disk->Record()[0], 'c');
    EXPECT_EQ(disk->Record()[kRecord - 1], 'c');
    ASSERT_TRUE(file.ReadRecordPart(0, disk->Record(), kRecord));
    EXPECT_EQ(disk->Record()[kRecord - 1], 'a');

    unsigned char header[CMdosDisk::kHeaderSize] = {};
    ASSERT_TRUE(file.ReadRecordPart(1, header, sizeof header));
    EXPECT_EQ(header[0], 'b');
    EXPECT_FALSE(file.ReadRecordPart(1, header, kRecord + 1));
    EXPECT_FALSE(file.ReadRecordPart(3, disk->Record(), kRecord));
    EXPECT_FALSE(file.ReadRecordPart(-1, disk->Record(), kRecord));
}

TEST(ImageFileTest, RefusesTornAndMissingFiles) {
    QTemporaryDir dir;
    const QString torn = dir.filePath("torn.trw");
    testsupport::WriteAll(torn, ThreeRecords().left(2 * kRecord + 100));
    CImageFile file;
    EXPECT_EQ(file.Open(torn), CImageFile::Status::NotWholeRecords);
    EXPECT_TRUE(file.ErrorText().contains("not a whole number"));
    EXPECT_EQ(file.RecordCount(), 0);

    EXPECT_EQ(file.Open(dir.filePath("missing.trw")), CImageFile::Status::CannotOpen);
    EXPECT_EQ(file.Open(dir.path()), CImageFile::Status::CannotOpen);

    const QString empty = dir.filePath("empty.trw");
    testsupport::WriteAll(empty, QByteArray());
    ASSERT_EQ(file.Open(empty), CImageFile::Status::Ok);
    EXPECT_EQ(file.RecordCount(), 0);
}

}  // namespace
