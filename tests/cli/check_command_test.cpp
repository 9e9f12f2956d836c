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
        Damage(2, [](CMdosDisk& disk, unsigned char* fat) { disk.SetFatEntry(fat, 15, 0xE00); });
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
              "  chain-short: The chain of file \"a\" ends at sector 15 after 2 sectors, but its "
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
              "  repaired marker-mismatch: Set the entry of sector 16, the last of file \"a\", "
              "from 0xE01 to 0xE4C.\n"
              "  repaired lost-sector: Freed 2 lost sectors: 100-101.\n"
              "disk 2 \"empty disk 2\":\n"
              "  chain-short: The chain of file \"a\" ends at sector 15 after 2 sectors, but its "
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
    EXPECT_EQ(outcome.code, 1);
    EXPECT_TRUE(outcome.err.contains("img.trw was not changed: no repair was saved"))
        << outcome.err.toStdString();
    EXPECT_FALSE(outcome.out.contains("  repaired "));
    EXPECT_TRUE(
        outcome.out.endsWith("3 disks checked: 4 findings on 2 disks; 0 repaired, 4 left.\n"));
    EXPECT_EQ(Read("img.trw"), before);
}

}  // namespace
