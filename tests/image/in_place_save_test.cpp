// An opened image reads a disk's record only when something needs it, and a save over the same
// file writes only what changed, in place; opening undoes a change a program left unfinished.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <string>
#include <vector>

#include "disk/mdos_disk.h"
#include "image/brindle_doc.h"
#include "platform/in_place_change.h"
#include "support/file_bytes.h"
#include "support/scripted_messages.h"
#include "support/temp_settings.h"

namespace {

using platform::Answer;
using platform::MessageKind;
using testsupport::ReadAll;
using testsupport::WriteAll;

constexpr int kRecord = CMdosDisk::kRecordSize;

QByteArray PatternRecord(int seed) {
    QByteArray record(kRecord, '\0');
    unsigned state = 2166136261u ^ static_cast<unsigned>(seed);
    for (char& byte : record) {
        state = state * 16777619u + 1u;
        byte = static_cast<char>(state >> 24);
    }
    return record;
}

QByteArray Records(std::initializer_list<int> seeds) {
    QByteArray bytes;
    for (const int seed : seeds) {
        bytes += PatternRecord(seed);
    }
    return bytes;
}

QByteArray RecordOf(const CMdosDisk& disk) {
    return QByteArray(reinterpret_cast<const char*>(disk.Record()), kRecord);
}

ino_t InodeOf(const QString& path) {
    struct stat status {};
    ::stat(QFile::encodeName(path).constData(), &status);
    return status.st_ino;
}

class InPlaceSaveTest : public ::testing::Test {
protected:
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    void Open(std::initializer_list<int> seeds) {
        WriteAll(Path("img.trw"), Records(seeds));
        ASSERT_TRUE(doc.OpenDocumentFile(Path("img.trw")));
    }

    void SetUp() override { doc.SetDeferredReading(true); }

    testsupport::TempSettings settings;
    QTemporaryDir dir;
    testsupport::ScriptedMessages messages;
    CBrindleDoc doc;
};

TEST_F(InPlaceSaveTest, ASaveWritesOnlyTheDisksThatChanged) {
    Open({0, 1, 2, 3, 4});
    const ino_t inode = InodeOf(Path("img.trw"));
    doc.m_disks[1]->SetDiskName("renamed");
    doc.m_disks[3]->Format(80, 9, "fresh");
    QByteArray expected = ReadAll(Path("img.trw"));
    expected.replace(3 * kRecord, kRecord, RecordOf(*doc.m_disks[3]));
    expected.replace(kRecord + CMdosDisk::kDiskNameOffset, CMdosDisk::kDiskNameSize,
                     QByteArray("renamed").leftJustified(CMdosDisk::kDiskNameSize, ' '));

    // Another program's change of disk 0 shows that the disks nobody touched are not written:
    // asked whether to save over it, the user says yes, and that disk stays as the other
    // program left it.
    QByteArray theirs = PatternRecord(9);
    {
        QFile file(Path("img.trw"));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_EQ(file.write(theirs), kRecord);
    }
    expected.replace(0, kRecord, theirs);
    messages.AnswerNext(Answer::Yes);
    ASSERT_TRUE(doc.DoSave(Path("img.trw")));
    EXPECT_EQ(ReadAll(Path("img.trw")), expected);
    EXPECT_EQ(InodeOf(Path("img.trw")), inode);
    EXPECT_FALSE(QFile::exists(Path("img.trw-journal")));
    EXPECT_FALSE(doc.m_disks[0]->IsLoaded());
    EXPECT_FALSE(doc.m_disks[1]->IsLoaded());
    EXPECT_FALSE(doc.m_disks[4]->IsLoaded());
}

TEST_F(InPlaceSaveTest, RemovedDisksMoveTheRecordsAfterThemAndStillReadRight) {
    Open({0, 1, 2, 3, 4, 5});
    doc.RemoveDisk(4);  // record 5 moves up: one record and the cut end, so in place
    ASSERT_TRUE(doc.DoSave(Path("img.trw")));
    EXPECT_EQ(ReadAll(Path("img.trw")), Records({0, 1, 2, 3, 5}));
    EXPECT_FALSE(doc.m_disks[4]->IsLoaded());
    EXPECT_EQ(RecordOf(*doc.m_disks[4]), PatternRecord(5));

    doc.RemoveDisk(0);  // every record moves: the whole file is written
    ASSERT_TRUE(doc.DoSave(Path("img.trw")));
    EXPECT_EQ(ReadAll(Path("img.trw")), Records({1, 2, 3, 5}));
    EXPECT_EQ(RecordOf(*doc.m_disks[1]), PatternRecord(2));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(InPlaceSaveTest, SaveAsLeavesTheOpenedFileAndReadsFromTheNewOne) {
    Open({0, 1, 2});
    doc.m_disks[2]->SetDiskName("copy");
    ASSERT_TRUE(doc.DoSave(Path("copy.trw")));
    EXPECT_EQ(ReadAll(Path("img.trw")), Records({0, 1, 2}));
    WriteAll(Path("img.trw"), Records({7, 8, 9}));  // the disks now read from the new file
    EXPECT_EQ(RecordOf(*doc.m_disks[1]), PatternRecord(1));
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(ReadAll(Path("copy.trw")).mid(2 * kRecord + 4, 4), QByteArray("copy"));
}

TEST_F(InPlaceSaveTest, AnUnfinishedChangeIsUndoneWhenTheImageOpens) {
    WriteAll(Path("img.trw"), Records({0, 1}));
    // A program that stops in the middle of a change: its journal is on the disk and half of
    // the new bytes are written, past the old end too.
    const pid_t child = ::fork();
    if (child == 0) {
        platform::InPlaceChange change;
        std::string error;
        struct stat status {};
        ::stat(QFile::encodeName(Path("img.trw")).constData(), &status);
        const QByteArray garbage = PatternRecord(7);
        const bool begun =
            change.Begin(QFile::encodeName(Path("img.trw")).toStdString(), status.st_dev,
                         status.st_ino, {{kRecord, kRecord}, {2 * kRecord, kRecord}}, &error);
        change.Write(kRecord + 1000, garbage.constData(), 5000, &error);
        change.Write(2 * kRecord, garbage.constData(), kRecord, &error);
        ::_exit(begun ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_TRUE(platform::HasJournal(QFile::encodeName(Path("img.trw")).toStdString()));

    ASSERT_TRUE(doc.OpenDocumentFile(Path("img.trw")));
    EXPECT_EQ(ReadAll(Path("img.trw")), Records({0, 1}));
    ASSERT_EQ(doc.m_disks.size(), 2u);
    EXPECT_EQ(RecordOf(*doc.m_disks[1]), PatternRecord(1));
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Kinds()[0], MessageKind::Information);
    EXPECT_NE(messages.Texts()[0].find("change was undone"), std::string::npos);
}

TEST_F(InPlaceSaveTest, ADiskThatCantBeReadAsItWasIsNeverSavedAsZeros) {
    Open({0, 1, 2});
    EXPECT_EQ(RecordOf(*doc.m_disks[0]), PatternRecord(0));
    WriteAll(Path("img.trw"), Records({5, 6}));  // another program rewrites the file in place
    doc.m_disks[1]->SetDiskName("x");
    EXPECT_TRUE(doc.m_disks[1]->LoadFailed());
    EXPECT_FALSE(doc.m_disks[2]->Header() == nullptr);
    ASSERT_EQ(messages.Shown().size(), 1u);  // said once, however many disks it hides
    EXPECT_EQ(messages.Kinds()[0], MessageKind::Stop);

    messages.AnswerNext(Answer::Yes);  // save over the other program's change
    EXPECT_FALSE(doc.DoSave(Path("img.trw")));
    EXPECT_FALSE(doc.DoSave(Path("elsewhere.trw")));
    EXPECT_EQ(ReadAll(Path("img.trw")), Records({5, 6}));
    EXPECT_FALSE(QFile::exists(Path("elsewhere.trw")));
}

}  // namespace
