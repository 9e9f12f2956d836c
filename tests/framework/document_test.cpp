#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "framework/archive.h"
#include "framework/document.h"
#include "framework/wait_cursor.h"
#include "support/fail_device.h"
#include "support/file_bytes.h"
#include "support/file_size_limit.h"
#include "support/scripted_messages.h"

namespace {

using platform::MessageKind;
using testsupport::ReadAll;
using testsupport::WriteAll;

// A document whose contents are the file's bytes.
class CBytesDoc : public framework::CDocument {
public:
    void Serialize(framework::CArchive& ar) override {
        ++serializeCalls;
        modifiedWhileSerializing = IsModified();
        if (ar.IsStoring()) {
            ar.Write(data.constData(), data.size());
            if (failStoringWithoutText) {
                ar.Fail();
            }
        } else {
            QByteArray read(static_cast<qsizetype>(ar.GetLength()), '\0');
            ar.Read(read.data(), read.size());
            if (!ar.Failed()) {
                data = read;
            }
        }
    }
    bool OnNewDocument() override {
        ++newCalls;
        data = "new";
        return CDocument::OnNewDocument();
    }

    QByteArray data;
    int serializeCalls = 0;
    int newCalls = 0;
    int emptyFileCalls = 0;
    bool modifiedWhileSerializing = false;
    bool failStoringWithoutText = false;
    qint64 failAfterBytes = -1;  // >= 0: a failing device sits between file and archive

protected:
    void OnOpenEmptyFile() override { ++emptyFileCalls; }
    bool ReadFromDevice(QIODevice* device, QString* error) override {
        if (failAfterBytes < 0) {
            return CDocument::ReadFromDevice(device, error);
        }
        testsupport::FailDevice failing(device, failAfterBytes);
        failing.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        return CDocument::ReadFromDevice(&failing, error);
    }
    bool WriteToDevice(QIODevice* device, QString* error) override {
        if (failAfterBytes < 0) {
            return CDocument::WriteToDevice(device, error);
        }
        testsupport::FailDevice failing(device, failAfterBytes);
        failing.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        return CDocument::WriteToDevice(&failing, error);
    }
};

QByteArray Pattern(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i * 7 + 3);
    }
    return bytes;
}

class DocumentTest : public ::testing::Test {
protected:
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QStringList FolderEntries() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir dir;
    testsupport::ScriptedMessages messages;
    CBytesDoc doc;
};

TEST_F(DocumentTest, ANewDocumentIsUntitledWithoutPathAndUnmodified) {
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("Untitled"));
    doc.SetPathName(Path("a.trw"));
    doc.SetModifiedFlag(true);
    EXPECT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("Untitled"));
    EXPECT_TRUE(doc.GetPathName().isEmpty());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(DocumentTest, OpenReadsTheFileWhileMarkedModifiedThenTakesItsPathAndTitle) {
    WriteAll(Path("disk.trw"), "hello");
    doc.SetModifiedFlag(true);
    ASSERT_TRUE(doc.OpenDocumentFile(Path("disk.trw")));
    EXPECT_EQ(doc.data, QByteArray("hello"));
    EXPECT_TRUE(doc.modifiedWhileSerializing);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetPathName(), QFileInfo(Path("disk.trw")).absoluteFilePath());
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("disk.trw"));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(DocumentTest, AnEmptyFileIsNotSerializedButStillTakesTheName) {
    WriteAll(Path("empty.trw"), QByteArray());
    doc.data = "kept";
    ASSERT_TRUE(doc.OpenDocumentFile(Path("empty.trw")));
    EXPECT_EQ(doc.serializeCalls, 0);
    EXPECT_EQ(doc.emptyFileCalls, 1);
    EXPECT_EQ(doc.data, QByteArray("kept"));
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("empty.trw"));
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(DocumentTest, AFileThatCannotBeOpenedLeavesTheDocumentAsItWas) {
    doc.data = "mine";
    doc.SetPathName(Path("mine.trw"));
    doc.SetModifiedFlag(true);
    EXPECT_FALSE(doc.OpenDocumentFile(Path("missing.trw")));
    EXPECT_EQ(doc.data, QByteArray("mine"));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("mine.trw"));
    EXPECT_EQ(doc.newCalls, 0);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Kinds()[0], MessageKind::Stop);
    EXPECT_NE(messages.Texts()[0].find(Path("missing.trw").toStdString()), std::string::npos);

    doc.SetModifiedFlag(false);
    EXPECT_FALSE(doc.OpenDocumentFile(dir.path()));  // a folder is no file
    EXPECT_FALSE(doc.IsModified());
}

// A read that fails half way leaves a half-read document: the flow replaces it with a new one.
TEST_F(DocumentTest, AFailedReadReportsAndMakesANewDocument) {
    WriteAll(Path("broken.trw"), Pattern(1000));
    doc.SetPathName(Path("old.trw"));
    doc.failAfterBytes = 100;
    EXPECT_FALSE(doc.OpenDocumentFile(Path("broken.trw")));
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Kinds()[0], MessageKind::Stop);
    EXPECT_EQ(messages.Texts()[0], "Failed to open document.");
    EXPECT_EQ(doc.newCalls, 1);
    EXPECT_EQ(doc.data, QByteArray("new"));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("Untitled"));
    EXPECT_TRUE(doc.GetPathName().isEmpty());
}

TEST_F(DocumentTest, SaveWritesTheFileAndClearsTheModifiedFlag) {
    doc.data = Pattern(5000);
    doc.SetModifiedFlag(true);
    ASSERT_TRUE(doc.DoSave(Path("saved.trw")));
    EXPECT_EQ(ReadAll(Path("saved.trw")), Pattern(5000));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("saved.trw"));
    EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("saved.trw")});
}

TEST_F(DocumentTest, AFailedSaveKeepsTheOldFileAndTheModifiedFlag) {
    const QByteArray old = Pattern(3000);
    WriteAll(Path("old.trw"), old);
    doc.data = Pattern(100000);
    doc.SetModifiedFlag(true);
    doc.failAfterBytes = 50000;
    EXPECT_FALSE(doc.DoSave(Path("old.trw")));
    EXPECT_EQ(ReadAll(Path("old.trw")), old);
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Kinds()[0], MessageKind::Stop);
    EXPECT_EQ(messages.Texts()[0], "Failed to save document.");
    EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("old.trw")});  // no temporary left
}

// The file system itself refuses the bytes (a file size cap works as root too): the real
// QSaveFile path fails, names the file, and the old file stays byte for byte.
TEST_F(DocumentTest, AFullDiskDuringSaveKeepsTheOldFile) {
    const QByteArray old = Pattern(3000);
    WriteAll(Path("old.trw"), old);
    doc.data = Pattern(200000);
    doc.SetPathName(Path("old.trw"));
    doc.SetModifiedFlag(true);
    {
        testsupport::FileSizeLimit limit(65536);
        ASSERT_TRUE(limit.Active());
        EXPECT_FALSE(doc.DoSave(Path("old.trw")));
    }
    EXPECT_EQ(ReadAll(Path("old.trw")), old);
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_NE(messages.Texts()[0].find("old.trw"), std::string::npos) << messages.Texts()[0];
    EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("old.trw")});
}

TEST_F(DocumentTest, AFailedSaveAsLeavesNoFileBehind) {
    doc.data = Pattern(200000);
    doc.SetModifiedFlag(true);
    {
        testsupport::FileSizeLimit limit(65536);
        ASSERT_TRUE(limit.Active());
        EXPECT_FALSE(doc.DoSave(Path("new.trw")));
    }
    EXPECT_FALSE(QFileInfo::exists(Path("new.trw")));
    EXPECT_TRUE(FolderEntries().isEmpty());
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("Untitled"));
}

TEST_F(DocumentTest, AnArchiveFailureWithoutTextGivesTheStandardSaveMessage) {
    doc.data = "abc";
    doc.failStoringWithoutText = true;
    doc.SetModifiedFlag(true);
    EXPECT_FALSE(doc.DoSave(Path("x.trw")));
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0], "Failed to save document.");
    EXPECT_FALSE(QFileInfo::exists(Path("x.trw")));
}

TEST_F(DocumentTest, SavingIntoAFolderWithoutWritePermissionFails) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes anywhere; AFullDiskDuringSaveKeepsTheOldFile covers root";
    }
    const QByteArray old = Pattern(3000);
    WriteAll(Path("old.trw"), old);
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    doc.data = Pattern(10000);
    doc.SetModifiedFlag(true);
    const bool saved = doc.DoSave(Path("old.trw"));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadAll(Path("old.trw")), old);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(messages.Texts().size(), 1u);
}

// The wait cursor covers reading and writing only: no message box shows under it.
TEST_F(DocumentTest, TheWaitCursorNeverCoversAMessage) {
    std::vector<std::string> events;
    framework::SetWaitCursorHandler(
        [&events](bool shown) { events.emplace_back(shown ? "wait" : "done"); });
    platform::MessageHandler previous =
        platform::SetMessageHandler([&events](MessageKind, const std::string&) {
            events.emplace_back("message");
            return platform::Answer::Ok;
        });
    WriteAll(Path("broken.trw"), Pattern(1000));
    doc.failAfterBytes = 100;
    EXPECT_FALSE(doc.OpenDocumentFile(Path("missing.trw")));
    EXPECT_FALSE(doc.OpenDocumentFile(Path("broken.trw")));
    EXPECT_FALSE(doc.OnSaveDocument(Path("no folder/image.trw")));
    framework::SetWaitCursorHandler(nullptr);
    platform::SetMessageHandler(std::move(previous));

    EXPECT_EQ(doc.serializeCalls, 1);
    EXPECT_EQ(events, (std::vector<std::string>{"wait", "done", "message", "wait", "done",
                                                "message", "wait", "done", "message"}));
}

}  // namespace
