// Arguments at the edges of what they may name: the disk one past the last, a name with a NUL
// inside, files whose names the host file system reads as folders.
#include <QDir>

#include "cli_fixture.h"

namespace {

using clitest::CliTest;
using clitest::Outcome;
using testbytes::Pattern;

TEST_F(CliTest, ADiskIndexEqualToTheCountIsOutOfRange) {
    Expect(0, {"create", "img.trw", "--disks", "2"});
    Write("x.bin", Pattern(10));
    Expect(0, {"put", "img.trw", "1", "x.bin"});
    const QByteArray image = Read("img.trw");
    for (const QStringList& arguments :
         {QStringList{"mv", "img.trw", "2", "x", "y"}, QStringList{"ls", "img.trw", "2"},
          QStringList{"get", "img.trw", "2", "x"}}) {
        const Outcome refused = Expect(2, arguments);
        EXPECT_TRUE(refused.err.contains("out of range")) << refused.err.toStdString();
    }
    EXPECT_EQ(Read("img.trw"), image);
}

TEST_F(CliTest, ANameWithANulInsideIsRefused) {
    Expect(0, {"create", "img.trw", "--disks", "1"});
    Write("h.bin", Pattern(10));
    Expect(0, {"put", "img.trw", "0", "h.bin"});
    const QByteArray image = Read("img.trw");
    Expect(2, {"mv", "img.trw", "0", "h", "AB\\x00CD"});
    Expect(2, {"put", "img.trw", "0", "h.bin", "--as", "AB\\x00CD", "--replace"});
    EXPECT_EQ(Read("img.trw"), image);
}

TEST_F(CliTest, FilesNamedDotAndDotDotAreGotUnderSafeNames) {
    Expect(0, {"create", "img.trw", "--disks", "1"});
    Write("a.bin", Pattern(10, 1));
    Write("b.bin", Pattern(20, 2));
    Expect(0, {"put", "img.trw", "0", "a.bin", "--as", "."});
    Expect(0, {"put", "img.trw", "0", "b.bin", "--as", ".."});
    QDir().mkpath(Path("out"));
    Expect(0, {"get", "img.trw", "0", ".", "..", "-o", "out"});
    EXPECT_EQ(QDir(Path("out")).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{"_.", "_.."}));
    EXPECT_EQ(Read("out/_."), clitest::QBytes(Pattern(10, 1)));
    EXPECT_EQ(Read("out/_.."), clitest::QBytes(Pattern(20, 2)));
}

}  // namespace
