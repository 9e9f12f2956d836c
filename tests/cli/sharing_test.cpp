// brindle-cli beside other programs: writers of one image wait for each other, outputs never
// destroy the image or somebody's file, names stay unique on a disk, and damaged files are not
// passed on as if sound.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cli_fixture.h"
#include "disk/mdos_disk.h"

namespace {

using clitest::Outcome;
using clitest::QBytes;
using testbytes::Pattern;

constexpr int kRecord = CMdosDisk::kRecordSize;
// The host files here step by 3 and wrap at 253, unlike those of the other brindle-cli tests.
constexpr int kStep = 3;
constexpr int kWrap = 253;

class SharingTest : public clitest::CliTest {
protected:
    QByteArray Encoded(const char* name) const { return QFile::encodeName(Path(name)); }

    // Two files on disk 0 whose chains share their last sector: "a" (1100 bytes, 14-16) and
    // "b" (600 bytes, 17-18), with b's chain bent from 17 into a's sector 16.
    void MakeCrossLinked() {
        Expect(0, {"create", "img.trw", "--disks", "1"});
        Write("a.bin", Pattern(1100, 1, kStep, kWrap));
        Write("b.bin", Pattern(600, 2, kStep, kWrap));
        Expect(0, {"put", "img.trw", "0", "a.bin", "b.bin"});
        QByteArray image = Read("img.trw");
        auto disk = std::make_unique<CMdosDisk>();
        std::memcpy(disk->Record(), image.constData(), kRecord);
        disk->SetFatEntry(disk->GetSector(CMdosDisk::kFirstFatSector), 17, 16);
        Write("img.trw", QByteArray(reinterpret_cast<const char*>(disk->Record()), kRecord));
    }

    QJsonArray Files(const char* disk) const {
        return QJsonDocument::fromJson(Expect(0, {"ls", "img.trw", disk, "--json"}).out)
            .object()[QStringLiteral("files")]
            .toArray();
    }
};

TEST_F(SharingTest, ConcurrentWritersKeepEveryChange) {
    Expect(0, {"create", "img.trw", "--disks", "3"});
    Write("a.bin", Pattern(1000, 1, kStep, kWrap));
    Write("b.bin", Pattern(2000, 2, kStep, kWrap));
    for (int round = 0; round < 20; ++round) {
        const QString as = QStringLiteral("f%1").arg(round);
        QProcess first;
        QProcess second;
        first.setWorkingDirectory(Path("."));
        second.setWorkingDirectory(Path("."));
        first.start(QStringLiteral(BRINDLE_CLI_PATH), {"put", "img.trw", "1", "a.bin", "--as", as});
        second.start(QStringLiteral(BRINDLE_CLI_PATH),
                     {"put", "img.trw", "2", "b.bin", "--as", as});
        ASSERT_TRUE(first.waitForFinished(60000) && second.waitForFinished(60000));
        EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
        EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    }
    EXPECT_EQ(Files("1").size(), 20);
    EXPECT_EQ(Files("2").size(), 20);
}

TEST_F(SharingTest, AWriterGivesUpOnAHeldLockAndFollowsAReplacedFile) {
    Expect(0, {"create", "img.trw", "--disks", "2"});
    const QByteArray before = Read("img.trw");
    // Not inherited by the commands started below, which would then hold the lock themselves.
    const int holder = ::open(Encoded("img.trw").constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    Write("a.bin", Pattern(10, 1, kStep, kWrap));
    const Outcome busy = Expect(1, {"put", "img.trw", "0", "a.bin", "--wait", "0"});
    EXPECT_TRUE(busy.err.contains("img.trw is being changed by another program"))
        << busy.err.toStdString();
    EXPECT_EQ(Read("img.trw"), before);
    // Readers wait for a change to end too, as long as --wait says.
    const Outcome reader = Expect(1, {"ls", "img.trw", "0", "--wait", "0"});
    EXPECT_TRUE(reader.err.contains("img.trw is being changed by another program"))
        << reader.err.toStdString();
    Expect(2, {"put", "img.trw", "0", "a.bin", "--wait", "soon"});

    // The holder saves by renaming a new image (one disk more) over the old one, then lets go:
    // the waiting writer must change the new image, not the one it found locked.
    QProcess waiting;
    waiting.setWorkingDirectory(Path("."));
    waiting.start(QStringLiteral(BRINDLE_CLI_PATH), {"put", "img.trw", "0", "a.bin"});
    ASSERT_TRUE(waiting.waitForStarted());
    QThread::msleep(300);
    Write("new.tmp", before + before.left(kRecord));
    ASSERT_EQ(std::rename(Encoded("new.tmp").constData(), Encoded("img.trw").constData()), 0);
    ::close(holder);
    ASSERT_TRUE(waiting.waitForFinished(60000));
    EXPECT_EQ(waiting.exitCode(), 0) << waiting.readAllStandardError().toStdString();
    EXPECT_EQ(Read("img.trw").size(), 3 * kRecord);
    EXPECT_EQ(Files("0").size(), 1);
}

TEST_F(SharingTest, OutputsNeverReplaceTheImageOrAnExistingFileUnasked) {
    Expect(0, {"create", "img.trw", "--disks", "1"});
    Write("a.bin", Pattern(700, 1, kStep, kWrap));
    Expect(0, {"put", "img.trw", "0", "a.bin"});
    const QByteArray image = Read("img.trw");
    ASSERT_EQ(::link(Encoded("img.trw").constData(), Encoded("hard.trw").constData()), 0);
    ASSERT_EQ(::symlink("img.trw", Encoded("soft.tap").constData()), 0);
    for (const char* out : {"img.trw", "hard.trw", "soft.tap"}) {
        for (const QStringList& command : {QStringList{"extract", "img.trw", "0", out},
                                           {"tap-export", "img.trw", "0", out},
                                           {"d80-export", "img.trw", "0", out}}) {
            const Outcome refused = Expect(1, QStringList(command) << "--force");
            EXPECT_TRUE(refused.err.contains("is the image itself")) << refused.err.toStdString();
            EXPECT_EQ(Read("img.trw"), image);
        }
    }
    Expect(0, {"get", "img.trw", "0", "a", "-o", "."});  // a new name is written
    EXPECT_EQ(Read("a"), QBytes(Pattern(700, 1, kStep, kWrap)));

    Write("a", "mine");
    Write("out.tap", "mine");
    EXPECT_EQ(Expect(1, {"get", "img.trw", "0", "a"}).err,
              "brindle-cli: ./a exists; --force replaces it\n");
    Expect(1, {"tap-export", "img.trw", "0", "out.tap"});
    EXPECT_EQ(Read("a"), "mine");
    EXPECT_EQ(Read("out.tap"), "mine");
    Expect(0, {"get", "img.trw", "0", "a", "--force"});
    Expect(0, {"tap-export", "img.trw", "0", "out.tap", "--force"});
    EXPECT_EQ(Read("a"), QBytes(Pattern(700, 1, kStep, kWrap)));
    EXPECT_NE(Read("out.tap"), "mine");
    // Nothing is left beside the outputs.
    EXPECT_EQ(QDir(Path(".")).entryList(QDir::Files | QDir::Hidden).filter(".tmp"), QStringList());
}

TEST_F(SharingTest, PipesAreNeverReadAsImagesNorReplaced) {
    ASSERT_EQ(::mkfifo(Encoded("fifo").constData(), 0600), 0);
    Expect(0, {"create", "img.trw", "--disks", "1"});
    // Each of these would wait forever for a writer, or put a regular file in the pipe's place.
    Expect(2, {"ls", "fifo", "0"});
    Expect(2, {"put", "fifo", "0", "img.trw"});
    Expect(2, {"create", "fifo", "--force"});
    Expect(1, {"extract", "img.trw", "0", "fifo", "--force"});
    struct stat status {};
    ASSERT_EQ(::stat(Encoded("fifo").constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
}

TEST_F(SharingTest, ANameAndTypeExistOnceOnADiskUnlessReplaced) {
    Expect(0, {"create", "img.trw", "--disks", "2"});
    Write("x.bin", Pattern(300, 1, kStep, kWrap));
    Write("y.bin", Pattern(900, 2, kStep, kWrap));
    Expect(0, {"put", "img.trw", "0", "x.bin", "--as", "game"});
    Expect(0, {"put", "img.trw", "1", "y.bin", "--as", "game"});
    Expect(0, {"put", "img.trw", "1", "x.bin", "--as", "other"});
    const QByteArray before = Read("img.trw");

    EXPECT_EQ(Expect(1, {"put", "img.trw", "0", "y.bin", "--as", "game"}).err,
              "brindle-cli: game.B already exists on disk 0; --replace replaces it\n");
    Expect(1, {"cp", "img.trw", "1", "game", "--to", "0"});
    Expect(1, {"mv", "img.trw", "1", "other", "game"});
    EXPECT_EQ(Read("img.trw"), before);

    // --replace swaps the old file for the new one in the same save, its sectors reused.
    Expect(0, {"put", "img.trw", "0", "y.bin", "--as", "game", "--replace"});
    QJsonArray files = Files("0");
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files[0].toObject()["length"].toInt(), 900);
    EXPECT_EQ(files[0].toObject()["first_sector"].toInt(), 14);
    Expect(0, {"cp", "img.trw", "1", "other", "--to", "0"});
    Expect(0, {"mv", "img.trw", "0", "other", "game", "--replace"});
    files = Files("0");
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files[0].toObject()["length"].toInt(), 300);
}

TEST_F(SharingTest, SlotsNameFilesThatNamesCannot) {
    // Another tool made two files of one name and type: only their slots tell them apart.
    Expect(0, {"create", "img.trw", "--disks", "1"});
    Write("x.bin", Pattern(300, 1, kStep, kWrap));
    Write("y.bin", Pattern(900, 2, kStep, kWrap));
    Expect(0, {"put", "img.trw", "0", "x.bin", "y.bin"});
    Expect(0, {"mv", "img.trw", "0", "y", "twin"});
    Expect(0, {"mv", "img.trw", "0", "x", "twin", "--replace"});
    EXPECT_EQ(Files("0").size(), 1);

    Expect(0, {"put", "img.trw", "0", "y.bin", "--as", "twin2"});
    QByteArray image = Read("img.trw");
    const int slot1 = CMdosDisk::kHeaderSize + CMdosDisk::kFirstDirSector * 512 + 32;
    image.replace(slot1 + CMdosDisk::kEntryName, CMdosDisk::kEntryNameSize,
                  QByteArray("twin").leftJustified(CMdosDisk::kEntryNameSize, '\0'));
    Write("img.trw", image);
    const QJsonArray files = Files("0");
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0].toObject()["slot"].toInt(), 0);
    EXPECT_EQ(files[1].toObject()["slot"].toInt(), 1);
    Expect(1, {"get", "img.trw", "0", "twin"});
    Expect(0, {"get", "img.trw", "0", "#1", "-o", "."});
    EXPECT_EQ(Read("twin"), QBytes(Pattern(900, 2, kStep, kWrap)));
    Expect(1, {"get", "img.trw", "0", "#2"});
    Expect(0, {"rm", "img.trw", "0", "#0"});
    EXPECT_EQ(Files("0").size(), 1);
}

TEST_F(SharingTest, DamagedFilesAreRefusedUnlessForced) {
    MakeCrossLinked();
    const QByteArray image = Read("img.trw");
    for (const QStringList& command : {QStringList{"get", "img.trw", "0", "b"},
                                       {"tap-export", "img.trw", "0", "b.tap", "b"},
                                       {"d80-export", "img.trw", "0", "b.d80"},
                                       {"extract", "img.trw", "0", "all.tap"}}) {
        const Outcome refused = Expect(1, command);
        EXPECT_TRUE(
            refused.err.contains("Files slot 0 \"a\" and slot 1 \"b\" both claim sector 16"))
            << refused.err.toStdString();
    }
    EXPECT_EQ(QDir(Path(".")).entryList({"b", "b.tap", "b.d80", "all.tap"}, QDir::Files),
              QStringList());
    Expect(0, {"get", "img.trw", "0", "b", "--force"});
    EXPECT_EQ(Read("b").size(), 600);

    // Removing one of two cross-linked files leaves the other whole.
    Expect(0, {"rm", "img.trw", "0", "b"});
    Expect(0, {"get", "img.trw", "0", "a", "-o", "."});
    EXPECT_EQ(Read("a"), QBytes(Pattern(1100, 1, kStep, kWrap)));
    const QByteArray report = Expect(1, {"check", "img.trw"}).out;
    EXPECT_FALSE(report.contains("cross-link") || report.contains("chain-")) << report.data();
    EXPECT_NE(Read("img.trw"), image);
}

}  // namespace
