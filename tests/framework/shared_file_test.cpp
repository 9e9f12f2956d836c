// The document and other programs on one file: what another program wrote is never saved over
// without a question, a writer's lock holds a save off, and neither pipes nor devices are ever
// read or replaced.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "framework/archive.h"
#include "framework/document.h"
#include "support/file_bytes.h"
#include "support/scripted_messages.h"

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

class CBytesDoc : public framework::CDocument {
public:
    void Serialize(framework::CArchive& ar) override {
        if (ar.IsStoring()) {
            ar.Write(data.constData(), data.size());
        } else {
            data = QByteArray(static_cast<qsizetype>(ar.GetLength()), '\0');
            ar.Read(data.data(), data.size());
        }
    }
    QByteArray data;
};

class SharedFileTest : public ::testing::Test {
protected:
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    // Another program's save: a new file renamed over the old one, as every careful writer does.
    void ReplaceFromOutside(const char* name, const QByteArray& bytes) const {
        WriteAll(Path("outside.tmp"), bytes);
        ASSERT_EQ(std::rename(QFile::encodeName(Path("outside.tmp")).constData(),
                              QFile::encodeName(Path(name)).constData()),
                  0);
    }

    QTemporaryDir dir;
    testsupport::ScriptedMessages messages;
    CBytesDoc doc;
};

TEST_F(SharedFileTest, AChangeByAnotherProgramIsSavedOverOnlyAfterYes) {
    WriteAll(Path("img"), "mine");
    ASSERT_TRUE(doc.OpenDocumentFile(Path("img")));
    EXPECT_FALSE(doc.IsChangedOnDisk());
    ReplaceFromOutside("img", "theirs");
    EXPECT_TRUE(doc.IsChangedOnDisk());

    doc.data = "edited";
    doc.SetModifiedFlag(true);
    EXPECT_FALSE(doc.DoSave(Path("img")));
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"img was changed by another program after it was opened. "
                                       "Save over those changes?"});
    // No is the default answer: Enter must not throw the other program's work away.
    EXPECT_EQ(messages.Kinds(),
              std::vector<platform::MessageKind>{platform::MessageKind::CautiousQuestion});
    EXPECT_EQ(ReadAll(Path("img")), "theirs");
    EXPECT_TRUE(doc.IsModified());

    messages.Clear();
    messages.AnswerNext(platform::Answer::Yes);
    ASSERT_TRUE(doc.DoSave(Path("img")));
    EXPECT_EQ(ReadAll(Path("img")), "edited");
    EXPECT_FALSE(doc.IsChangedOnDisk());

    // What the document wrote itself is no other program's change.
    messages.Clear();
    ASSERT_TRUE(doc.DoSave(Path("img")));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(SharedFileTest, ARewriteInPlaceCountsAsAChangeToo) {
    WriteAll(Path("img"), "mine");
    ASSERT_TRUE(doc.OpenDocumentFile(Path("img")));
    WriteAll(Path("img"), "theirs, longer");  // same file, new size and time
    EXPECT_TRUE(doc.IsChangedOnDisk());
    EXPECT_FALSE(doc.DoSave(Path("img")));
    EXPECT_EQ(ReadAll(Path("img")), "theirs, longer");
}

TEST_F(SharedFileTest, ASaveWaitsForAnotherWritersLockAndGivesUpWithAMessage) {
    WriteAll(Path("img"), "mine");
    ASSERT_TRUE(doc.OpenDocumentFile(Path("img")));
    const int holder = ::open(QFile::encodeName(Path("img")).constData(), O_RDONLY);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    doc.SetLockWait(0);
    doc.data = "edited";
    EXPECT_FALSE(doc.DoSave(Path("img")));
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"Cannot save \"" + Path("img").toStdString() +
                                       "\": another program is changing it."});
    EXPECT_EQ(ReadAll(Path("img")), "mine");

    // A holder that lets go within the wait: the save follows it.
    doc.SetLockWait(10000);
    std::thread release([holder] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ::close(holder);
    });
    EXPECT_TRUE(doc.DoSave(Path("img")));
    release.join();
    EXPECT_EQ(ReadAll(Path("img")), "edited");
}

TEST_F(SharedFileTest, PipesAreNeitherReadNorReplaced) {
    const QByteArray fifo = QFile::encodeName(Path("fifo"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    // Opening a pipe for reading would wait for a writer forever.
    EXPECT_FALSE(doc.OpenDocumentFile(Path("fifo")));
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"Cannot open \"" + Path("fifo").toStdString() +
                                       "\": not a regular file."});
    messages.Clear();
    EXPECT_FALSE(doc.DoSave(Path("fifo")));
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"Cannot save \"" + Path("fifo").toStdString() +
                                       "\": not a regular file."});
    struct stat status {};
    ASSERT_EQ(::stat(fifo.constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
}

TEST_F(SharedFileTest, ASaveKeepsTheFilesPermissionsAndGroup) {
    const QByteArray path = QFile::encodeName(Path("img"));
    for (const mode_t mode : {mode_t{0640}, mode_t{0600}, mode_t{0664}}) {
        WriteAll(Path("img"), "old");
        ASSERT_EQ(::chmod(path.constData(), mode), 0);
        struct stat before {};
        ASSERT_EQ(::stat(path.constData(), &before), 0);
        ASSERT_TRUE(doc.OpenDocumentFile(Path("img")));
        doc.data = "new";
        ASSERT_TRUE(doc.DoSave(Path("img")));
        struct stat after {};
        ASSERT_EQ(::stat(path.constData(), &after), 0);
        EXPECT_EQ(after.st_mode & 07777, mode);
        EXPECT_EQ(after.st_gid, before.st_gid);
        EXPECT_EQ(ReadAll(Path("img")), "new");
    }
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"img"});
}

}  // namespace
