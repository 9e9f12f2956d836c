#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstring>
#include <string>
#include <vector>

#include "disk/mdos_disk.h"
#include "framework/progress.h"
#include "image/boot_settings.h"
#include "image/brindle_doc.h"
#include "platform/available_memory.h"
#include "support/fail_device.h"
#include "support/file_bytes.h"
#include "support/file_size_limit.h"
#include "support/recording_progress.h"
#include "support/scripted_messages.h"
#include "support/temp_settings.h"

namespace {

using platform::MessageKind;
using testsupport::ReadAll;
using testsupport::RecordingProgress;
using testsupport::WriteAll;

constexpr int kRecord = CMdosDisk::kRecordSize;

// A record whose every byte depends on the seed, so records are told apart byte for byte.
QByteArray PatternRecord(int seed, const char* mark = "SDOS") {
    QByteArray record(kRecord, '\0');
    unsigned state = 2166136261u ^ static_cast<unsigned>(seed);
    for (int i = 0; i < kRecord; ++i) {
        state = state * 16777619u + 1u;
        record[i] = static_cast<char>(state >> 24);
    }
    std::memcpy(record.data(), mark, 4);
    return record;
}

QByteArray RecordOf(const CMdosDisk& disk) {
    return QByteArray(reinterpret_cast<const char*>(disk.Record()), kRecord);
}

std::string Field(const CMdosDisk& disk, int offset, int size) {
    return std::string(reinterpret_cast<const char*>(disk.Record()) + offset, size);
}
std::string Name(const CMdosDisk& disk) {
    return Field(disk, CMdosDisk::kDiskNameOffset, CMdosDisk::kDiskNameSize);
}
std::string Blanks(int n) {
    return std::string(n, ' ');
}
std::string CreatorComment() {
    std::string comment(CMdosDisk::kCommentSize, '\0');
    std::memcpy(comment.data(), CBrindleDoc::kCreatorText, std::strlen(CBrindleDoc::kCreatorText));
    return comment;
}

// A document whose disk allocations can be made to fail, and whose file reads can break.
class CTestDoc : public CBrindleDoc {
public:
    int failAllocation = -1;  // the 0-based allocation that fails; -1: none
    int allocations = 0;
    qint64 failReadAfterBytes = -1;

protected:
    std::unique_ptr<CMdosDisk> NewDisk() override {
        if (allocations++ == failAllocation) {
            return nullptr;
        }
        return CBrindleDoc::NewDisk();
    }
    bool ReadFromDevice(QIODevice* device, QString* error) override {
        if (failReadAfterBytes < 0) {
            return CBrindleDoc::ReadFromDevice(device, error);
        }
        testsupport::FailDevice failing(device, failReadAfterBytes);
        failing.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        return CBrindleDoc::ReadFromDevice(&failing, error);
    }
};

class BrindleDocTest : public ::testing::Test {
protected:
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // Puts disks with the given records into the document, as if it had been opened.
    void SetDisks(const std::vector<QByteArray>& records) {
        doc.m_disks.clear();
        for (const QByteArray& record : records) {
            auto disk = std::make_unique<CMdosDisk>();
            std::memcpy(disk->Record(), record.constData(), kRecord);
            doc.m_disks.push_back(std::move(disk));
        }
    }
    std::vector<QByteArray> Records() const {
        std::vector<QByteArray> records;
        for (const auto& disk : doc.m_disks) {
            records.push_back(RecordOf(*disk));
        }
        return records;
    }

    testsupport::TempSettings settings;
    QTemporaryDir dir;
    testsupport::ScriptedMessages messages;
    CTestDoc doc;
};

// --- The image file -------------------------------------------------------------------------

TEST_F(BrindleDocTest, AnImageWrittenAndReadBackIsByteIdentical) {
    const std::vector<QByteArray> records{PatternRecord(1), PatternRecord(2), PatternRecord(3)};
    SetDisks(records);
    doc.SetModifiedFlag(true);
    ASSERT_TRUE(doc.DoSave(Path("three.trw")));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(ReadAll(Path("three.trw")), records[0] + records[1] + records[2]);

    CTestDoc other;
    ASSERT_TRUE(other.OpenDocumentFile(Path("three.trw")));
    ASSERT_EQ(other.m_disks.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(RecordOf(*other.m_disks[i]), records[i]) << i;
    }
    ASSERT_TRUE(other.DoSave(Path("again.trw")));
    EXPECT_EQ(ReadAll(Path("again.trw")), ReadAll(Path("three.trw")));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(BrindleDocTest, TrailingBytesAreLostOnSaveOnlyWhenTheUserSaysSo) {
    const QByteArray a = PatternRecord(10), b = PatternRecord(11);
    const QByteArray file = a + b + QByteArray(100, 'T');
    WriteAll(Path("tail.trw"), file);
    ASSERT_TRUE(doc.OpenDocumentFile(Path("tail.trw")));
    ASSERT_EQ(doc.m_disks.size(), 2u);
    EXPECT_EQ(Records(), (std::vector<QByteArray>{a, b}));
    EXPECT_TRUE(messages.Texts().empty());

    // Another file takes the whole records without a question.
    ASSERT_TRUE(doc.DoSave(Path("copy.trw")));
    EXPECT_EQ(ReadAll(Path("copy.trw")), a + b);
    EXPECT_TRUE(messages.Texts().empty());
    ASSERT_TRUE(doc.OpenDocumentFile(Path("tail.trw")));

    doc.SetModifiedFlag(true);
    EXPECT_FALSE(doc.DoSave(Path("tail.trw")));
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"Saving will drop the last 100 bytes of tail.trw, which are "
                                       "not a whole disk record. Save anyway?"});
    EXPECT_EQ(messages.Kinds(), std::vector<MessageKind>{MessageKind::CautiousQuestion});
    EXPECT_EQ(ReadAll(Path("tail.trw")), file);
    EXPECT_TRUE(doc.IsModified());

    messages.AnswerNext(platform::Answer::Yes);
    ASSERT_TRUE(doc.DoSave(Path("tail.trw")));
    EXPECT_EQ(ReadAll(Path("tail.trw")), a + b);
    messages.Clear();
    ASSERT_TRUE(doc.DoSave(Path("tail.trw")));
    EXPECT_TRUE(messages.Texts().empty());
}

// A file that is no image at all opens as an image without disks; saving it would leave an
// empty file where the user's file was.
TEST_F(BrindleDocTest, SavingOverAForeignFileAsksFirst) {
    const QByteArray tape(2204, 'z');
    WriteAll(Path("game.tap"), tape);
    ASSERT_TRUE(doc.OpenDocumentFile(Path("game.tap")));
    EXPECT_TRUE(doc.m_disks.empty());
    EXPECT_FALSE(doc.DoSave(Path("game.tap")));
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"Saving will drop the last 2204 bytes of game.tap, which "
                                       "are not a whole disk record. Save anyway?"});
    EXPECT_EQ(ReadAll(Path("game.tap")), tape);
}

TEST_F(BrindleDocTest, AForeignSystemMarkSurvives) {
    const QByteArray foreign = PatternRecord(20, "XYZW");
    WriteAll(Path("foreign.trw"), foreign);
    ASSERT_TRUE(doc.OpenDocumentFile(Path("foreign.trw")));
    ASSERT_EQ(doc.m_disks.size(), 1u);
    EXPECT_EQ(Field(*doc.m_disks[0], 0, 4), "XYZW");
    ASSERT_TRUE(doc.DoSave(Path("out.trw")));
    EXPECT_EQ(ReadAll(Path("out.trw")), foreign);
}

TEST_F(BrindleDocTest, AFileShorterThanARecordEmptiesTheImage) {
    SetDisks({PatternRecord(1), PatternRecord(2)});
    WriteAll(Path("short.trw"), QByteArray(kRecord - 1, 'x'));
    ASSERT_TRUE(doc.OpenDocumentFile(Path("short.trw")));
    EXPECT_TRUE(doc.m_disks.empty());
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("short.trw"));
    EXPECT_TRUE(messages.Texts().empty());
}

// Decided: outside merge mode an empty file empties the image like any file shorter than a
// record (the framework itself skips Serialize for it); in merge mode the disks stay.
TEST_F(BrindleDocTest, AnEmptyFileEmptiesTheImageOutsideMergeMode) {
    SetDisks({PatternRecord(1), PatternRecord(2)});
    WriteAll(Path("empty.trw"), QByteArray());
    RecordingProgress progress;
    ASSERT_TRUE(doc.OpenDocumentFile(Path("empty.trw")));
    EXPECT_TRUE(doc.m_disks.empty());
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("empty.trw"));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(progress.events, RecordingProgress::Run("Dropping disks ...", {5, 10}));
}

TEST_F(BrindleDocTest, AnEmptyFileKeepsTheDisksInMergeMode) {
    const std::vector<QByteArray> records{PatternRecord(1), PatternRecord(2)};
    SetDisks(records);
    doc.m_bMergeMode = true;
    WriteAll(Path("empty.trw"), QByteArray());
    ASSERT_TRUE(doc.OpenDocumentFile(Path("empty.trw")));
    EXPECT_EQ(Records(), records);
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("empty.trw"));
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(BrindleDocTest, AnImageWithNoDisksSavesAsAnEmptyFile) {
    ASSERT_TRUE(doc.DoSave(Path("none.trw")));
    EXPECT_TRUE(QFileInfo::exists(Path("none.trw")));
    EXPECT_EQ(QFileInfo(Path("none.trw")).size(), 0);
}

// --- Merge mode -----------------------------------------------------------------------------

TEST_F(BrindleDocTest, MergeModeAppendsTheFilesDisksAndTakesItsName) {
    const QByteArray a = PatternRecord(1), b = PatternRecord(2), c = PatternRecord(3),
                     d = PatternRecord(4), e = PatternRecord(5);
    WriteAll(Path("cde.trw"), c + d + e);
    SetDisks({a, b});
    doc.SetModifiedFlag(true);
    doc.m_bMergeMode = true;
    ASSERT_TRUE(doc.OpenDocumentFile(Path("cde.trw")));
    EXPECT_EQ(Records(), (std::vector<QByteArray>{a, b, c, d, e}));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("cde.trw"));
    EXPECT_EQ(doc.GetPathName(), QFileInfo(Path("cde.trw")).absoluteFilePath());

    ASSERT_TRUE(doc.DoSave(doc.GetPathName()));
    EXPECT_EQ(ReadAll(Path("cde.trw")), a + b + c + d + e);
    EXPECT_TRUE(doc.m_bMergeMode);
}

TEST_F(BrindleDocTest, MergeModeSurvivesNewOpenAndSave) {
    doc.m_bMergeMode = true;
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_TRUE(doc.m_bMergeMode);
    ASSERT_TRUE(doc.DoSave(Path("m.trw")));
    EXPECT_TRUE(doc.m_bMergeMode);
    ASSERT_TRUE(doc.OpenDocumentFile(Path("m.trw")));
    EXPECT_TRUE(doc.m_bMergeMode);
    EXPECT_EQ(doc.m_disks.size(), 2u);  // the boot disk, and the same disk merged from the file

    doc.m_bMergeMode = false;
    ASSERT_TRUE(doc.OpenDocumentFile(Path("m.trw")));
    EXPECT_EQ(doc.m_disks.size(), 1u);
}

// --- Progress runs --------------------------------------------------------------------------

TEST_F(BrindleDocTest, OpeningReportsDroppingThenOpeningWithTheirSteps) {
    WriteAll(Path("three.trw"), PatternRecord(1) + PatternRecord(2) + PatternRecord(3));
    WriteAll(Path("one.trw"), PatternRecord(1));
    WriteAll(Path("four.trw"),
             PatternRecord(1) + PatternRecord(2) + PatternRecord(3) + PatternRecord(4));
    SetDisks({PatternRecord(9)});
    RecordingProgress progress;

    ASSERT_TRUE(doc.OpenDocumentFile(Path("three.trw")));
    auto expected = RecordingProgress::Run("Dropping disks ...", {10});
    auto opening = RecordingProgress::Run("Opening image ...", {3, 6, 10});
    expected.insert(expected.end(), opening.begin(), opening.end());
    EXPECT_EQ(progress.events, expected);

    progress.events.clear();
    ASSERT_TRUE(doc.OpenDocumentFile(Path("one.trw")));
    expected = RecordingProgress::Run("Dropping disks ...", {3, 6, 10});
    opening = RecordingProgress::Run("Opening image ...", {10});
    expected.insert(expected.end(), opening.begin(), opening.end());
    EXPECT_EQ(progress.events, expected);

    progress.events.clear();
    doc.m_bMergeMode = true;  // no dropping run in merge mode
    ASSERT_TRUE(doc.OpenDocumentFile(Path("four.trw")));
    EXPECT_EQ(progress.events, RecordingProgress::Run("Opening image ...", {2, 5, 7, 10}));
}

TEST_F(BrindleDocTest, SixteenDisksReportTheTableSteps) {
    const std::vector<unsigned> steps16{0, 1, 1, 2, 3, 3, 4, 5, 5, 6, 6, 7, 8, 8, 9, 10};
    RecordingProgress progress;
    doc.AddFormattedDisks(16, 80, 9, QStringLiteral("v"));
    EXPECT_EQ(progress.events, RecordingProgress::Run("Adding disks ...", steps16));

    progress.events.clear();
    ASSERT_TRUE(doc.DoSave(Path("sixteen.trw")));
    EXPECT_EQ(progress.events, RecordingProgress::Run("Saving image ...", steps16));

    progress.events.clear();
    doc.m_bMergeMode = true;
    ASSERT_TRUE(doc.OpenDocumentFile(Path("sixteen.trw")));
    EXPECT_EQ(progress.events, RecordingProgress::Run("Opening image ...", steps16));

    progress.events.clear();
    doc.DropAllDisks();
    std::vector<unsigned> steps32;
    for (unsigned k = 0; k < 32; ++k) {
        steps32.push_back(framework::ProgressStep(k, 32));
    }
    EXPECT_EQ(progress.events, RecordingProgress::Run("Dropping disks ...", steps32));
    EXPECT_TRUE(doc.m_disks.empty());
}

TEST_F(BrindleDocTest, SavingThreeDisksReportsThreeSixTen) {
    SetDisks({PatternRecord(1), PatternRecord(2), PatternRecord(3)});
    RecordingProgress progress;
    ASSERT_TRUE(doc.DoSave(Path("three.trw")));
    EXPECT_EQ(progress.events, RecordingProgress::Run("Saving image ...", {3, 6, 10}));
}

TEST_F(BrindleDocTest, RunsOverNoDisksReportNoStep) {
    RecordingProgress progress;
    doc.DropAllDisks();
    doc.AddFormattedDisks(0, 94, 9, QStringLiteral("x"));
    doc.AddDisksFromFile(-1, Path("none"));
    ASSERT_TRUE(doc.DoSave(Path("none.trw")));
    std::vector<std::string> expected;
    for (const char* text :
         {"Dropping disks ...", "Adding disks ...", "Adding disks ...", "Saving image ..."}) {
        const auto run = RecordingProgress::Run(text, {});
        expected.insert(expected.end(), run.begin(), run.end());
    }
    EXPECT_EQ(progress.events, expected);
    EXPECT_TRUE(doc.m_disks.empty());
}

// --- Failures -------------------------------------------------------------------------------

TEST_F(BrindleDocTest, AFailedSaveKeepsTheOldFileAndTheDocumentModified) {
    const QByteArray old = PatternRecord(7);
    WriteAll(Path("image.trw"), old);
    SetDisks({PatternRecord(1), PatternRecord(2), PatternRecord(3)});
    doc.SetPathName(Path("image.trw"));
    doc.SetModifiedFlag(true);
    RecordingProgress progress;
    {
        testsupport::FileSizeLimit limit(kRecord + kRecord / 2);  // the disk fills up in disk 1
        ASSERT_TRUE(limit.Active());
        EXPECT_FALSE(doc.DoSave(Path("image.trw")));
    }
    EXPECT_EQ(ReadAll(Path("image.trw")), old);
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Kinds()[0], MessageKind::Stop);
    EXPECT_NE(messages.Texts()[0].find("image.trw"), std::string::npos) << messages.Texts()[0];
    EXPECT_EQ(progress.events, RecordingProgress::Run("Saving image ...", {3}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(BrindleDocTest, AReadThatBreaksMidFileGivesANewImage) {
    WriteAll(Path("broken.trw"), PatternRecord(1) + PatternRecord(2));
    SetDisks({PatternRecord(8)});
    doc.m_bMergeMode = true;
    doc.failReadAfterBytes = kRecord + 100;
    EXPECT_FALSE(doc.OpenDocumentFile(Path("broken.trw")));
    ASSERT_EQ(messages.Texts().size(), 2u);  // the failure, then the boot disk's notice
    EXPECT_EQ(messages.Kinds()[0], MessageKind::Stop);
    EXPECT_EQ(messages.Texts()[0], "Failed to open document.");
    ASSERT_EQ(doc.m_disks.size(), 1u);  // the disks before and the disks read are gone
    EXPECT_EQ(Name(*doc.m_disks[0]), "bootdisk" + Blanks(24));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("Untitled"));
    EXPECT_TRUE(doc.m_bMergeMode);
}

// Seen before the flow replaces the half-read image: only whole records entered the array.
TEST_F(BrindleDocTest, AFailedReadLeavesOnlyWholeRecordsInTheArray) {
    const QByteArray a = PatternRecord(1), b = PatternRecord(2), c = PatternRecord(3);
    WriteAll(Path("abc.trw"), a + b + c);
    doc.failReadAfterBytes = kRecord + 100;
    EXPECT_FALSE(doc.OnOpenDocument(Path("abc.trw")));
    EXPECT_EQ(Records(), (std::vector<QByteArray>{a}));
    EXPECT_TRUE(doc.IsModified());

    doc.failReadAfterBytes = -1;
    doc.failAllocation = doc.allocations + 2;
    EXPECT_FALSE(doc.OnOpenDocument(Path("abc.trw")));
    EXPECT_EQ(Records(), (std::vector<QByteArray>{a, b}));
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{"Failed to open document.", "Failed to open document."}));
}

// Decided: a disk that can't be allocated while reading ends the open through its failure
// path; the array never holds a disk whose record wasn't filled.
TEST_F(BrindleDocTest, AFailedAllocationWhileReadingGivesANewImage) {
    WriteAll(Path("three.trw"), PatternRecord(1) + PatternRecord(2) + PatternRecord(3));
    doc.failAllocation = 1;
    EXPECT_FALSE(doc.OpenDocumentFile(Path("three.trw")));
    ASSERT_FALSE(messages.Texts().empty());
    EXPECT_EQ(messages.Texts()[0], "Failed to open document.");
    ASSERT_EQ(doc.m_disks.size(), 1u);
    EXPECT_EQ(Name(*doc.m_disks[0]), "bootdisk" + Blanks(24));
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(BrindleDocTest, AFailedAllocationWhileAddingStopsAndKeepsTheDisksAdded) {
    RecordingProgress progress;
    doc.failAllocation = 2;
    doc.AddFormattedDisks(4, 94, 9, QStringLiteral("x"));
    ASSERT_EQ(doc.m_disks.size(), 2u);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Kinds()[0], MessageKind::Stop);
    EXPECT_EQ(messages.Texts()[0], "Not enough memory for another disk.");
    EXPECT_EQ(progress.events, RecordingProgress::Run("Adding disks ...", {2, 5}));

    WriteAll(Path("one.rec"), PatternRecord(1));
    doc.allocations = 0;
    doc.failAllocation = 1;
    doc.AddDisksFromFile(3, Path("one.rec"));
    EXPECT_EQ(doc.m_disks.size(), 3u);
    EXPECT_EQ(messages.Texts().size(), 2u);
}

// The system promises memory it doesn't have and then ends the process, so the adding and the
// reading ask before each disk: with less than a record and 64 MiB left they stop the way a
// failed allocation stops them.
TEST_F(BrindleDocTest, TooLittleAvailableMemoryStopsAddingAndReading) {
    constexpr std::uint64_t kEnough = kRecord + 64ULL * 1024 * 1024;
    int disksLeft = 2;
    struct ProbeGuard {
        platform::MemoryProbe previous;
        ~ProbeGuard() { platform::SetMemoryProbe(previous); }
    } guard{platform::SetMemoryProbe([&disksLeft]() -> std::optional<std::uint64_t> {
        return disksLeft-- > 0 ? kEnough : kEnough - 1;
    })};

    doc.AddFormattedDisks(20, 94, 9, QStringLiteral("x"));
    EXPECT_EQ(doc.m_disks.size(), 2u);
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Not enough memory for another disk."}));

    WriteAll(Path("three.trw"), PatternRecord(1) + PatternRecord(2) + PatternRecord(3));
    disksLeft = 2;
    EXPECT_FALSE(doc.OpenDocumentFile(Path("three.trw")));
    ASSERT_GE(messages.Texts().size(), 2u);
    EXPECT_EQ(messages.Texts()[1], "Failed to open document.");
    ASSERT_EQ(doc.m_disks.size(), 1u);
    EXPECT_EQ(Name(*doc.m_disks[0]), "bootdisk" + Blanks(24));
}

// --- New image and boot disk ----------------------------------------------------------------

TEST_F(BrindleDocTest, NewWithoutSettingsMakesAnEmptyBootDisk) {
    doc.SetModifiedFlag(true);
    RecordingProgress progress;
    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_EQ(doc.m_disks.size(), 1u);
    const CMdosDisk& disk = *doc.m_disks[0];
    EXPECT_EQ(Field(disk, 0, 4), "SDOS");
    EXPECT_EQ(Name(disk), "bootdisk" + Blanks(24));
    EXPECT_EQ(Field(disk, CMdosDisk::kWriteProtectOffset, 1), "0");
    EXPECT_EQ(Field(disk, CMdosDisk::kCommentOffset, CMdosDisk::kCommentSize), CreatorComment());
    const int boot = CMdosDisk::kHeaderSize;
    EXPECT_EQ(disk.Record()[boot + CMdosDisk::kBootTracks], 80);
    EXPECT_EQ(disk.Record()[boot + CMdosDisk::kBootSectorsPerTrack], 9);
    EXPECT_EQ(Field(disk, boot + CMdosDisk::kBootVolumeName, 4), "boot");

    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Kinds()[0], MessageKind::Information);
    EXPECT_EQ(messages.Texts()[0],
              "There are no boot template defined.\nBrindle will make empty boot disk.\n"
              "Go to <Image/Boot template> menu and set template files.");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("Untitled"));
    EXPECT_TRUE(doc.GetPathName().isEmpty());
    EXPECT_EQ(progress.events, RecordingProgress::Run("Dropping disks ...", {}));
}

TEST_F(BrindleDocTest, NewWithATemplateFileCopiesItsFirstRecord) {
    const QByteArray first = PatternRecord(31, "ABCD");
    WriteAll(Path("template.trw"), first + PatternRecord(32));  // an image serves too
    CBootSettings boot;
    boot.m_nRadio = 1;
    boot.m_strFile = Path("template.trw");
    boot.SaveSettings();
    SetDisks({PatternRecord(1), PatternRecord(2)});

    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_EQ(doc.m_disks.size(), 1u);
    EXPECT_EQ(RecordOf(*doc.m_disks[0]), first);
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(BrindleDocTest, NewWithAMissingTemplateKeepsTheEmptyBootDiskSilently) {
    CBootSettings boot;
    boot.m_strFile = Path("missing.trw");
    boot.SaveSettings();
    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_EQ(doc.m_disks.size(), 1u);
    EXPECT_EQ(Name(*doc.m_disks[0]), "bootdisk" + Blanks(24));
    EXPECT_EQ(doc.m_disks[0]->Record()[CMdosDisk::kHeaderSize + CMdosDisk::kBootTracks], 80);
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(BrindleDocTest, NewWithAShortTemplateReplacesOnlyTheStartOfTheRecord) {
    const QByteArray part = PatternRecord(40).left(1000);
    WriteAll(Path("short.rec"), part);
    CBootSettings boot;
    boot.m_strFile = Path("short.rec");
    boot.SaveSettings();
    ASSERT_TRUE(doc.OnNewDocument());
    const QByteArray record = RecordOf(*doc.m_disks[0]);
    EXPECT_EQ(record.left(1000), part);
    // The rest stays as formatted: the FAT's first sector begins with the reserved entries.
    EXPECT_EQ(static_cast<unsigned char>(record[CMdosDisk::kHeaderSize + 512]), 0xDD);
}

TEST_F(BrindleDocTest, NewWithTheListChoiceMakesAnEmptyBootDisk) {
    CBootSettings boot;
    boot.m_nRadio = 2;
    boot.m_strFile = Path("ignored.trw");
    boot.SaveSettings();
    ASSERT_TRUE(doc.OnNewDocument());
    ASSERT_EQ(doc.m_disks.size(), 1u);
    EXPECT_EQ(Name(*doc.m_disks[0]), "empty boot disk" + Blanks(17));
    EXPECT_EQ(doc.m_disks[0]->Record()[CMdosDisk::kHeaderSize + CMdosDisk::kBootTracks], 80);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Kinds()[0], MessageKind::Information);
    EXPECT_EQ(messages.Texts()[0],
              "Creating bootfisk from list of binary files is unsupported yet.\n"
              "Brindle will make empty boot disk.\n"
              "Go to <Image/Boot template> menu and set template files.");
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(BrindleDocTest, NewWithoutMemoryForTheBootDiskFailsWithAnEmptyImage) {
    SetDisks({PatternRecord(1)});
    doc.failAllocation = 0;
    EXPECT_FALSE(doc.OnNewDocument());
    EXPECT_TRUE(doc.m_disks.empty());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Not enough memory for another disk."});
}

TEST_F(BrindleDocTest, BootSettingsRoundTripThroughTheStore) {
    CBootSettings defaults;
    defaults.LoadSettings();
    EXPECT_EQ(defaults.m_nRadio, 1);
    EXPECT_TRUE(defaults.m_strFile.isEmpty());

    CBootSettings stored;
    stored.m_nRadio = 2;
    stored.m_strFile = QStringLiteral("/x/boot.rec");
    stored.SaveSettings();
    CBootSettings loaded;
    loaded.LoadSettings();
    EXPECT_EQ(loaded.m_nRadio, 2);
    EXPECT_EQ(loaded.m_strFile, QStringLiteral("/x/boot.rec"));
    EXPECT_EQ(framework::GetProfileInt(QStringLiteral("Boot"), QStringLiteral("Radio"), 0), 2);
}

// --- Adding and removing disks --------------------------------------------------------------

TEST_F(BrindleDocTest, AddedDisksAreNamedAfterTheirIndex) {
    doc.AddFormattedDisks(3, 94, 9, QStringLiteral("empty_disk"));
    RecordingProgress progress;
    doc.AddFormattedDisks(2, 80, 9, QStringLiteral("games"));
    ASSERT_EQ(doc.m_disks.size(), 5u);
    EXPECT_EQ(Name(*doc.m_disks[3]), "empty disk 3" + Blanks(20));
    EXPECT_EQ(Name(*doc.m_disks[4]), "empty disk 4" + Blanks(20));
    EXPECT_EQ(progress.events, RecordingProgress::Run("Adding disks ...", {5, 10}));
    for (const auto& disk : doc.m_disks) {
        EXPECT_EQ(Field(*disk, 0, 4), "SDOS");
        EXPECT_EQ(Field(*disk, CMdosDisk::kWriteProtectOffset, 1), "0");
        EXPECT_EQ(Field(*disk, CMdosDisk::kCommentOffset, CMdosDisk::kCommentSize),
                  CreatorComment());
    }
    const CMdosDisk& last = *doc.m_disks[4];
    EXPECT_EQ(last.Record()[CMdosDisk::kHeaderSize + CMdosDisk::kBootTracks], 80);
    EXPECT_EQ(Field(last, CMdosDisk::kHeaderSize + CMdosDisk::kBootVolumeName, 5), "games");
    EXPECT_FALSE(doc.IsModified());  // the callers mark it
}

TEST_F(BrindleDocTest, NamesAreCutToThirtyTwoBytes) {
    for (int i = 0; i < 12; ++i) {
        doc.m_disks.push_back(std::make_unique<CMdosDisk>());
    }
    doc.AddFormattedDisks(1, 94, 9, QStringLiteral("x"));
    EXPECT_EQ(Name(*doc.m_disks[12]), "empty disk 12" + Blanks(19));
}

TEST_F(BrindleDocTest, RemovalThenAddGivesASecondDiskOfTheSameName) {
    doc.AddFormattedDisks(3, 94, 9, QStringLiteral("empty_disk"));
    CMdosDisk* third = doc.m_disks[2].get();
    RecordingProgress progress;
    doc.RemoveDisk(1);
    EXPECT_TRUE(progress.events.empty());
    ASSERT_EQ(doc.m_disks.size(), 2u);
    EXPECT_EQ(doc.m_disks[1].get(), third);
    EXPECT_EQ(Name(*doc.m_disks[0]), "empty disk 0" + Blanks(20));
    EXPECT_EQ(Name(*doc.m_disks[1]), "empty disk 2" + Blanks(20));
    doc.AddFormattedDisks(1, 94, 9, QStringLiteral("empty_disk"));
    ASSERT_EQ(doc.m_disks.size(), 3u);
    EXPECT_EQ(Name(*doc.m_disks[2]), "empty disk 2" + Blanks(20));
}

TEST_F(BrindleDocTest, RemovingOutsideTheArrayDoesNothing) {
    doc.AddFormattedDisks(2, 94, 9, QStringLiteral("x"));
    doc.RemoveDisk(-1);
    doc.RemoveDisk(2);
    doc.RemoveDisk(1000);
    EXPECT_EQ(doc.m_disks.size(), 2u);
}

TEST_F(BrindleDocTest, DisksFromAFileKeepMarkAndSectorsButGetTheirOwnNames) {
    const QByteArray record = PatternRecord(50, "QQQQ");
    WriteAll(Path("single.rec"), record);
    doc.AddFormattedDisks(1, 94, 9, QStringLiteral("x"));
    RecordingProgress progress;
    doc.AddDisksFromFile(2, Path("single.rec"));
    ASSERT_EQ(doc.m_disks.size(), 3u);
    EXPECT_EQ(progress.events, RecordingProgress::Run("Adding disks ...", {5, 10}));
    for (int i = 1; i <= 2; ++i) {
        const CMdosDisk& disk = *doc.m_disks[i];
        EXPECT_EQ(Field(disk, 0, 4), "QQQQ");
        EXPECT_EQ(Name(disk), "empty disk " + std::to_string(i) + Blanks(20));
        EXPECT_EQ(disk.Record()[CMdosDisk::kWriteProtectOffset],
                  static_cast<unsigned char>(record[CMdosDisk::kWriteProtectOffset]));
        EXPECT_EQ(Field(disk, CMdosDisk::kCommentOffset, CMdosDisk::kCommentSize),
                  CreatorComment());
        EXPECT_EQ(RecordOf(disk).mid(CMdosDisk::kHeaderSize), record.mid(CMdosDisk::kHeaderSize));
    }
}

// Decided: a missing or short template still gives fully defined disks (zero where the file
// didn't reach), named and with the creator comment.
TEST_F(BrindleDocTest, AMissingOrShortTemplateGivesZeroFilledDisks) {
    doc.AddDisksFromFile(1, Path("missing.rec"));
    WriteAll(Path("short.rec"), PatternRecord(60).left(600));
    doc.AddDisksFromFile(1, Path("short.rec"));
    ASSERT_EQ(doc.m_disks.size(), 2u);

    const QByteArray missing = RecordOf(*doc.m_disks[0]);
    EXPECT_EQ(Name(*doc.m_disks[0]), "empty disk 0" + Blanks(20));
    EXPECT_EQ(missing.left(4), QByteArray(4, '\0'));
    EXPECT_EQ(missing.mid(CMdosDisk::kHeaderSize), QByteArray(CMdosDisk::kSectorDataSize, '\0'));

    const QByteArray shortOne = RecordOf(*doc.m_disks[1]);
    EXPECT_EQ(Name(*doc.m_disks[1]), "empty disk 1" + Blanks(20));
    EXPECT_EQ(shortOne.mid(CMdosDisk::kHeaderSize, 88), PatternRecord(60).mid(512, 88));
    EXPECT_EQ(shortOne.mid(600), QByteArray(kRecord - 600, '\0'));
    EXPECT_TRUE(messages.Texts().empty());
}

}  // namespace
