// brindle-cli check: findings per disk with a summary line, JSON, exit codes, and --repair that
// mends only what is safe and saves all or nothing.
#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstring>
#include <functional>
#include <memory>

#include "cli_fixture.h"
#include "disk/mdos_disk.h"
#include "support/file_size_limit.h"

namespace {

using clitest::Outcome;
using clitest::QBytes;
using testbytes::Pattern;

constexpr int kRecord = CMdosDisk::kRecordSize;

QStringList Codes(const QJsonArray& findings) {
    QStringList codes;
    for (const auto& finding : findings) {
        codes.append(finding.toObject()[QStringLiteral("code")].toString());
    }
    return codes;
}

// An image of three disks: "a" (1100 bytes, sectors 14-16) on disks 1 and 2, "b" (600 bytes,
// 17-18) on disk 1. Disk 1 then gets a wrong marker and two lost sectors, which a repair
// mends; on disk 2 "a" ends a sector early, so its lost sector 16 must stay.
class CheckCommandTest : public clitest::CliTest {
protected:
    void SetUp() override {
        Expect(0, {"create", "img.trw", "--disks", "3"});
        Write("a.bin", Pattern(1100, 0));
        Write("b.bin", Pattern(600, 1));
        Expect(0, {"put", "img.trw", "1", "a.bin", "b.bin"});
        Expect(0, {"put", "img.trw", "2", "a.bin"});
        clean = Read("img.trw");
        Damage(1, [](CMdosDisk& disk, unsigned char* fat) {
            disk.SetFatEntry(fat, 16, 0xE01);
            disk.SetFatEntry(fat, 100, 101);
            disk.SetFatEntry(fat, 101, 0xE00);
        });
        Damage(2, [](CMdosDisk& disk, unsigned char* fat) { disk.SetFatEntry(fat, 15, 0xE4C); });
    }

    // Changes the FAT of disk index of img.trw through the engine.
    void Damage(int index, const std::function<void(CMdosDisk&, unsigned char*)>& change) {
        QByteArray image = Read("img.trw");
        auto disk = std::make_unique<CMdosDisk>();
        std::memcpy(disk->Record(), image.constData() + index * kRecord, kRecord);
        change(*disk, disk->GetSector(CMdosDisk::kFirstFatSector));
        image.replace(index * kRecord, kRecord,
                      QByteArray(reinterpret_cast<const char*>(disk->Record()), kRecord));
        Write("img.trw", image);
    }

    QByteArray clean;
};

TEST_F(CheckCommandTest, ReportsEveryDiskWithFindingsAndASummary) {
    const Outcome disk2 = Expect(1, {"check", "img.trw", "2"});
    EXPECT_EQ(disk2.out,
              "disk 2 \"empty disk 2\":\n"
              "  chain-short: The chain of slot 0 \"a\" ends at sector 15 after 2 sectors, but its "
              "length of 1100 bytes needs 3.\n"
              "  lost-sector: 1 sector is marked used but belongs to no file: 16.\n"
              "1 disk checked: 2 findings on 1 disk.\n");
    EXPECT_EQ(Expect(0, {"check", "img.trw", "0"}).out, "1 disk checked: no findings.\n");
    EXPECT_TRUE(
        Expect(1, {"check", "img.trw"}).out.endsWith("3 disks checked: 4 findings on 2 disks.\n"));

    const QJsonObject report =
        QJsonDocument::fromJson(Expect(1, {"check", "img.trw", "--json"}).out).object();
    const QJsonArray disks = report[QStringLiteral("disks")].toArray();
    ASSERT_EQ(disks.size(), 3);
    const QJsonArray findings = disks[1].toObject()[QStringLiteral("findings")].toArray();
    EXPECT_EQ(Codes(findings), (QStringList{"marker-mismatch", "lost-sector"}));
    const QJsonObject marker = findings[0].toObject();
    EXPECT_EQ(marker[QStringLiteral("slot")].toInt(), 0);
    EXPECT_EQ(marker[QStringLiteral("name")].toString(), QStringLiteral("a"));
    EXPECT_EQ(marker[QStringLiteral("sectors")].toArray(), (QJsonArray{16}));
    // Every number of the sentence, and whether a repair mends it.
    EXPECT_EQ(marker[QStringLiteral("found")].toInt(), 0xE01);
    EXPECT_EQ(marker[QStringLiteral("expected")].toInt(), 0xE4C);
    EXPECT_EQ(marker[QStringLiteral("length")].toInt(), 1100);
    EXPECT_EQ(marker[QStringLiteral("mend")].toString(), QStringLiteral("repair"));
    EXPECT_EQ(findings[1].toObject()[QStringLiteral("count")].toInt(), 2);
    EXPECT_EQ(findings[1].toObject()[QStringLiteral("sectors")].toArray(), (QJsonArray{100, 101}));
    EXPECT_EQ(report[QStringLiteral("summary")].toObject()[QStringLiteral("found")].toInt(), 4);

    Expect(2, {"check", "missing.trw"});
    Expect(2, {"check", "img.trw", "3"});
    Write("torn.trw", QByteArray(kRecord + 1, '\0'));
    Expect(2, {"check", "torn.trw", "--repair"});
}

TEST_F(CheckCommandTest, RepairMendsWhatIsSafeAndKeepsEveryFileByte) {
    const Outcome repaired = Expect(1, {"check", "img.trw", "--repair"});
    EXPECT_EQ(repaired.out,
              "disk 1 \"empty disk 1\":\n"
              "  repaired marker-mismatch: Set the entry of sector 16, the last of slot 0 \"a\", "
              "from 0xE01 to 0xE4C.\n"
              "  repaired lost-sector: Freed 2 lost sectors: 100-101.\n"
              "disk 2 \"empty disk 2\":\n"
              "  chain-short: The chain of slot 0 \"a\" ends at sector 15 after 2 sectors, but its "
              "length of 1100 bytes needs 3.\n"
              "  lost-sector: 1 sector is marked used but belongs to no file: 16.\n"
              "3 disks checked: 4 findings on 2 disks; 2 repaired, 2 left.\n");
    // Disk 1 is as the engine wrote it; disk 2 is untouched.
    const QByteArray image = Read("img.trw");
    EXPECT_EQ(image.mid(kRecord, kRecord), clean.mid(kRecord, kRecord));
    Expect(0, {"check", "img.trw", "1"});
    Expect(0, {"get", "img.trw", "1", "a", "b"});
    EXPECT_EQ(Read("a"), QBytes(Pattern(1100, 0)));
    EXPECT_EQ(Read("b"), QBytes(Pattern(600, 1)));

    // Nothing left to repair: the file is not written again.
    const QDateTime written = QFileInfo(Path("img.trw")).lastModified();
    Expect(1, {"check", "img.trw", "--repair"});
    EXPECT_EQ(QFileInfo(Path("img.trw")).lastModified(), written);
    EXPECT_EQ(Read("img.trw"), image);
}

TEST_F(CheckCommandTest, ARepairThatCannotBeSavedLeavesTheImageAsItWas) {
    const QByteArray before = Read("img.trw");
    Outcome outcome;
    {
        testsupport::FileSizeLimit limit(kRecord);
        ASSERT_TRUE(limit.Active());
        outcome = Run({"check", "img.trw", "--repair"});
    }
    EXPECT_EQ(outcome.code, 4);
    EXPECT_TRUE(outcome.err.contains("img.trw was not changed: no repair was saved"))
        << outcome.err.toStdString();
    EXPECT_FALSE(outcome.out.contains("  repaired "));
    EXPECT_TRUE(
        outcome.out.endsWith("3 disks checked: 4 findings on 2 disks; 0 repaired, 4 left.\n"));
    EXPECT_EQ(Read("img.trw"), before);
}

// Scripts read the status: 0 nothing left, 1 findings left, 2 bad arguments or an unreadable
// image, 4 repairs made but not saved (above). A repair that mends everything leaves nothing.
TEST_F(CheckCommandTest, ExitStatusSaysWhatIsLeft) {
    Expect(1, {"check", "img.trw", "1"});
    Expect(0, {"check", "img.trw", "1", "--repair"});
    Expect(0, {"check", "img.trw", "1"});
    Expect(2, {"check", "img.trw", "--undelete"});
    Expect(2, {"check", "img.trw", "--frobnicate"});
}

// Single bytes of a record: the image is read and written whole, so offsets are exact.
class CheckRecoveryTest : public clitest::CliTest {
protected:
    static constexpr int kBoot = CMdosDisk::kHeaderSize;
    static constexpr int kFirstEntry =
        CMdosDisk::kHeaderSize + CMdosDisk::kFirstDirSector * CMdosDisk::kSectorSize;

    void Poke(int offset, unsigned char value) {
        QByteArray image = Read("img.trw");
        image[offset] = static_cast<char>(value);
        Write("img.trw", image);
    }
};

// A used entry whose type byte became 0xE5 (one flipped byte; a delete fills all 32) keeps its
// sectors through --repair, and --undelete gives it back.
TEST_F(CheckRecoveryTest, AnEntryThatLostItsTypeByteIsKeptAndUndeleted) {
    Expect(0, {"create", "img.trw", "--disks", "1"});
    Write("game.bin", Pattern(1100, 3));
    Expect(0, {"put", "img.trw", "0", "game.bin"});
    Poke(kFirstEntry, CMdosDisk::kFreeEntry);
    const QByteArray damaged = Read("img.trw");

    const Outcome found = Expect(1, {"check", "img.trw"});
    EXPECT_TRUE(
        found.out.contains("  entry-recoverable (undeletable): The free entry in slot 0 "
                           "\"game\" still describes a file of 1100 bytes in 3 sectors: "
                           "14-16.\n"))
        << found.out.toStdString();
    EXPECT_FALSE(found.out.contains("lost-sector"));
    Expect(1, {"check", "img.trw", "--repair"});
    EXPECT_EQ(Read("img.trw"), damaged);

    const Outcome undeleted = Expect(0, {"check", "img.trw", "--repair", "--undelete", "--json"});
    const QJsonObject repair =
        QJsonDocument::fromJson(undeleted.out)
            .object()[QStringLiteral("disks")][0][QStringLiteral("repairs")][0]
            .toObject();
    EXPECT_EQ(repair[QStringLiteral("code")].toString(), QStringLiteral("entry-recoverable"));
    EXPECT_EQ(repair[QStringLiteral("mend")].toString(), QStringLiteral("undelete"));
    EXPECT_EQ(Read("img.trw").at(kFirstEntry), 'B');
    Expect(0, {"get", "img.trw", "0", "game"});
    EXPECT_EQ(Read("game"), QBytes(Pattern(1100, 3)));
}

// An 80 x 9 disk whose tracks byte reads 94: the 252 reserved sectors past 1439 stay reserved,
// and a file put afterwards still lands inside the disk the copy and the FAT describe.
TEST_F(CheckRecoveryTest, AGeometryByteThatDisagreesWithTheFatFreesNothing) {
    Expect(0, {"create", "img.trw", "--disks", "1", "--tracks", "80"});
    Poke(kBoot + CMdosDisk::kBootTracks, 94);
    const QByteArray damaged = Read("img.trw");
    const Outcome found = Expect(1, {"check", "img.trw", "--repair"});
    EXPECT_TRUE(
        found.out.contains("  geometry-mismatch: The boot sector declares 94 tracks of 9 "
                           "sectors, but its copy and the FAT, reserved from sector 1440 "
                           "on, give 80 tracks of 9 sectors."))
        << found.out.toStdString();
    EXPECT_TRUE(found.out.endsWith("1 disk checked: 1 finding on 1 disk; 0 repaired, 1 left.\n"));
    EXPECT_EQ(Read("img.trw"), damaged);
}

// One rule for the geometries a command formats and the checker accepts: the record holds 1692
// sectors, so 94 x 10 is refused and 84 x 10 is the largest of ten sectors a track.
TEST_F(CheckRecoveryTest, CreateMakesOnlyGeometriesTheRecordHolds) {
    const Outcome refused = Expect(2, {"create", "img.trw", "--tracks", "94", "--sectors", "10"});
    EXPECT_TRUE(refused.err.contains("at most 84 tracks")) << refused.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path("img.trw")));
    Expect(0, {"create", "img.trw", "--disks", "1", "--tracks", "84", "--sectors", "10"});
    Expect(0, {"check", "img.trw"});
    Expect(2, {"format", "img.trw", "0", "--tracks", "85", "--sectors", "10"});
}

}  // namespace
