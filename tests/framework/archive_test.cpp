#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include "framework/archive.h"

namespace {

using framework::CArchive;

TEST(Archive, ReadsExactlyAndReportsTheLength) {
    QByteArray bytes("0123456789");
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    CArchive ar(&buffer, CArchive::load);
    EXPECT_TRUE(ar.IsLoading());
    EXPECT_EQ(ar.GetLength(), 10u);
    char got[4] = {};
    ar.Read(got, 4);
    EXPECT_FALSE(ar.Failed());
    EXPECT_EQ(QByteArray(got, 4), QByteArray("0123"));
}

// Guards against a Read that returns what arrived and lets the caller use a half-filled record.
TEST(Archive, ShortReadFailsAndNamesTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("short.trw"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("abc", 3);
    out.close();

    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    CArchive ar(&in, CArchive::load);
    char got[8];
    ar.Read(got, 8);
    EXPECT_TRUE(ar.Failed());
    EXPECT_TRUE(ar.ErrorText().contains(path)) << ar.ErrorText().toStdString();
}

TEST(Archive, ShortReadOnAnUnnamedDeviceLeavesTheStandardMessage) {
    QByteArray bytes("ab");
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    CArchive ar(&buffer, CArchive::load);
    char got[3];
    ar.Read(got, 3);
    EXPECT_TRUE(ar.Failed());
    EXPECT_TRUE(ar.ErrorText().isEmpty());
}

// /dev/full accepts the open and fails every write with "no space left": a full disk.
TEST(Archive, WriteToAFullDeviceFailsAndNamesIt) {
    QFile full(QStringLiteral("/dev/full"));
    if (!full.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        GTEST_SKIP() << "/dev/full is not available";
    }
    CArchive ar(&full, CArchive::store);
    static char block[866816];
    ar.Write(block, sizeof block);
    EXPECT_TRUE(ar.Failed());
    EXPECT_TRUE(ar.ErrorText().contains(QStringLiteral("/dev/full"))) << ar.ErrorText().toStdString();
}

TEST(Archive, KeepsTheFirstErrorAndStopsMoving) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    CArchive ar(&buffer, CArchive::store);
    ar.Fail(QStringLiteral("first"));
    ar.Fail(QStringLiteral("second"));
    ar.Write("xyz", 3);
    EXPECT_EQ(ar.ErrorText(), QStringLiteral("first"));
    EXPECT_TRUE(bytes.isEmpty());
}

TEST(Archive, ReadingFromAStoringArchiveFails) {
    QByteArray bytes("abc");
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadWrite));
    CArchive ar(&buffer, CArchive::store);
    char got[1];
    ar.Read(got, 1);
    EXPECT_TRUE(ar.Failed());
}

}  // namespace
