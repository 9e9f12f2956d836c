// Saves and exports are durable: a file's bytes are synced to the disk before its name takes
// the place of the old file, and a sync that fails leaves the old file as it was. brindle-cli
// runs with a preloaded shim (tests/support/sync_shim.cpp) that logs and can fail the syncs.
#include <QProcess>
#include <QProcessEnvironment>

#include "cli_fixture.h"

namespace {

using clitest::CliTest;
using clitest::Outcome;
using testbytes::Pattern;

class DurabilityTest : public CliTest {
protected:
    Outcome RunShimmed(bool failSyncs, const QStringList& arguments) const {
        return CliTest::RunShimmed(arguments, {{"BRINDLE_SYNC_LOG", Path("sync.log")},
                                               {"BRINDLE_SYNC_FAIL", failSyncs ? "1" : "0"}});
    }

    // Every file put in place under name (by rename or link) was synced before that, by its
    // device and inode; and at least one was.
    void ExpectSyncedBeforePlaced(const QString& name) const {
        QStringList synced;
        int placed = 0;
        for (const QByteArray& line : Read("sync.log").split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() < 2) {
                continue;
            }
            if (fields[0] == "sync") {
                synced << QString::fromLatin1(fields[1]);
            } else if (fields[0] == "place" && fields.size() == 3 &&
                       (fields[2] == name.toUtf8() || fields[2].endsWith('/' + name.toUtf8()))) {
                ++placed;
                EXPECT_TRUE(synced.contains(QString::fromLatin1(fields[1])))
                    << name.toStdString() << " was put in place before its bytes were synced";
            }
        }
        EXPECT_GT(placed, 0) << name.toStdString();
        QFile::remove(Path("sync.log"));
    }
};

TEST_F(DurabilityTest, BytesReachTheDiskBeforeTheirNameDoes) {
    Expect(0, {"create", "img.trw", "--disks", "1"});
    Write("host.bin", Pattern(5000));
    EXPECT_EQ(RunShimmed(false, {"put", "img.trw", "0", "host.bin"}).code, 0);
    ExpectSyncedBeforePlaced("img.trw");
    EXPECT_EQ(RunShimmed(false, {"tap-export", "img.trw", "0", "out.tap"}).code, 0);
    ExpectSyncedBeforePlaced("out.tap");
}

TEST_F(DurabilityTest, ASyncThatFailsLeavesTheOldFile) {
    Expect(0, {"create", "img.trw", "--disks", "1"});
    Write("host.bin", Pattern(5000));
    Expect(0, {"tap-export", "img.trw", "0", "out.tap"});
    const QByteArray image = Read("img.trw");
    const QByteArray tape = Read("out.tap");

    EXPECT_EQ(RunShimmed(true, {"put", "img.trw", "0", "host.bin"}).code, 1);
    EXPECT_EQ(Read("img.trw"), image);
    Expect(0, {"put", "img.trw", "0", "host.bin"});
    const Outcome exported = RunShimmed(true, {"tap-export", "img.trw", "0", "out.tap", "--force"});
    EXPECT_EQ(exported.code, 1);
    EXPECT_TRUE(exported.err.contains("Cannot write file out.tap.")) << exported.err.toStdString();
    EXPECT_EQ(Read("out.tap"), tape);
}

}  // namespace
