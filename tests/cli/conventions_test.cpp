// brindle-cli as shell users expect a command-line tool to behave: output that can't be
// written is a failure, help is where they look for it, names come from host files as they
// see them, and messages say what happened and why.
#include <QDir>
#include <QProcess>

#include "cli_fixture.h"
#include "support/tape_encoders.h"

namespace {

using clitest::Bytes;
using clitest::CliTest;
using clitest::Outcome;
using testbytes::Pattern;

class ConventionsTest : public CliTest {
protected:
    // Runs with standard output going to a file (a device such as /dev/full).
    Outcome RunInto(const QString& output, const QStringList& arguments) const {
        QProcess process;
        process.setWorkingDirectory(Path(QString()));
        process.setStandardOutputFile(output);
        process.start(QStringLiteral(BRINDLE_CLI_PATH), arguments);
        process.waitForFinished(60000);
        return {process.exitCode(), {}, process.readAllStandardError()};
    }

    Outcome RunWithInput(const QByteArray& input, const QStringList& arguments) const {
        QProcess process;
        process.setWorkingDirectory(Path(QString()));
        process.start(QStringLiteral(BRINDLE_CLI_PATH), arguments);
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(60000);
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    QStringList Names(const char* disk) const {
        QStringList names;
        for (const QByteArray& line : Expect(0, {"ls", "img.trw", disk}).out.split('\n')) {
            if (!line.isEmpty()) {
                names << QString::fromUtf8(line.split('\t').front());
            }
        }
        return names;
    }
};

TEST_F(ConventionsTest, OutputThatCantBeWrittenFailsTheCommand) {
    Expect(0, {"create", "img.trw", "--disks", "2"});
    for (const QStringList& arguments :
         {QStringList{"info", "img.trw"}, QStringList{"ls", "img.trw", "0", "--json"},
          QStringList{"--help"}, QStringList{"help", "put"}}) {
        const Outcome full = RunInto(QStringLiteral("/dev/full"), arguments);
        EXPECT_EQ(full.code, 1) << arguments.join(' ').toStdString();
        EXPECT_TRUE(full.err.contains("write error: No space left on device"))
            << full.err.toStdString();
        EXPECT_EQ(full.err.count("write error"), 1) << full.err.toStdString();
    }
    EXPECT_EQ(RunInto(QStringLiteral("/dev/null"), {"info", "img.trw"}).code, 0);
}

// Qt can't carry a path that isn't UTF-8 through unchanged: such an argument would name
// another file, so it is refused before anything is read or written.
TEST_F(ConventionsTest, AnArgumentThatIsNotUtf8IsRefusedRatherThanTakenForAnotherName) {
    Expect(0, {"create", "img.trw", "--disks", "1"});
    const QByteArray image = Read("img.trw");
    for (const char* command : {"create \"$(printf 'new\\377.trw')\" --disks 1",
                                "put img.trw 0 img.trw --as \"$(printf '\\377')\""}) {
        QProcess process;
        process.setWorkingDirectory(Path(QString()));
        process.start(QStringLiteral("/bin/sh"),
                      {"-c", QStringLiteral("\"%1\" %2").arg(BRINDLE_CLI_PATH, command)});
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 2) << command;
        const QByteArray err = process.readAllStandardError();
        EXPECT_TRUE(err.contains("\\xFF") && err.contains("is not valid UTF-8")) << err.data();
    }
    EXPECT_EQ(QDir(Path(QString())).entryList(QDir::Files), QStringList{"img.trw"});
    EXPECT_EQ(Read("img.trw"), image);
}

TEST_F(ConventionsTest, HelpIsWhereUsersLookAndTyposAreAnswered) {
    const Outcome help = Expect(0, {"help", "cp"});
    EXPECT_TRUE(help.out.startsWith("Usage: brindle-cli cp IMAGE DISK FILE... --to DISK"))
        << help.out.toStdString();
    EXPECT_EQ(Expect(0, {"cp", "-h"}).out, help.out);
    EXPECT_EQ(Expect(0, {"cp", "--help"}).out, help.out);

    const Outcome typo = Expect(2, {"lss", "img.trw"});
    EXPECT_TRUE(typo.err.contains("unknown command lss; did you mean ls?"))
        << typo.err.toStdString();
    EXPECT_TRUE(Expect(2, {"help", "tape-imprt"}).err.contains("did you mean tape-import?"));
    EXPECT_FALSE(Expect(2, {"frobnicate"}).err.contains("did you mean"));

    Expect(0, {"create", "img.trw", "--disks", "2"});
    const Outcome missing = Expect(2, {"cp", "img.trw", "0", "x"});
    EXPECT_TRUE(missing.err.contains("cp needs --to DISK")) << missing.err.toStdString();
    EXPECT_TRUE(missing.err.contains("Usage: brindle-cli cp IMAGE DISK FILE... --to DISK"));
}

TEST_F(ConventionsTest, PutNamesFilesAsTheHostShowsThem) {
    Expect(0, {"create", "img.trw", "--disks", "1"});
    Write(".hidden", Pattern(10));
    Write(".profile.bak", Pattern(10, 1));
    // 11 bytes of UTF-8 before the extension: the 10-byte cut would split the last character.
    Write(QStringLiteral("a\u00c4\u00d6\u00dc\u00e9\u00e8.bin"), Pattern(10, 2));
    Expect(0, {"put", "img.trw", "0", ".hidden", ".profile.bak",
               QStringLiteral("a\u00c4\u00d6\u00dc\u00e9\u00e8.bin")});
    // ls shows the bytes above 0x7F escaped: the last two-byte character went whole.
    EXPECT_EQ(Names("0"),
              (QStringList{".hidden", ".profile", "a\\xC3\\x84\\xC3\\x96\\xC3\\x9C\\xC3\\xA9"}));

    const QByteArray image = Read("img.trw");
    for (const char* blank : {"", "   "}) {
        const Outcome refused = Expect(2, {"put", "img.trw", "0", ".hidden", "--as", blank});
        EXPECT_TRUE(refused.err.contains("besides blanks")) << refused.err.toStdString();
        Expect(2, {"mv", "img.trw", "0", ".hidden", blank});
    }
    EXPECT_EQ(Read("img.trw"), image);
}

TEST_F(ConventionsTest, MessagesSayWhatHappenedAndWhy) {
    Expect(0, {"create", "img.trw", "--disks", "2", "--tracks", "2", "--sectors", "9"});
    const Outcome missing = Expect(1, {"put", "img.trw", "0", "absent.bin"});
    EXPECT_TRUE(missing.err.contains("cannot read absent.bin: No such file or directory"))
        << missing.err.toStdString();

    // 36 sectors of which 14 hold the volume: 22 free, 11264 bytes, one less for a file.
    Write("big.bin", Pattern(12000));
    for (const char* cut : {"--cut", "--yes"}) {
        Run({"rm", "img.trw", "0", "big"});
        const Outcome fitted = Expect(0, {"put", "img.trw", "0", "big.bin", cut});
        EXPECT_TRUE(fitted.err.contains("big: 12000 bytes cut to 11263 to fit"))
            << fitted.err.toStdString();
        EXPECT_FALSE(fitted.err.contains("?")) << fitted.err.toStdString();
    }
    Expect(1, {"put", "img.trw", "0", "big.bin", "--as", "again"});

    Write("small.bin", Pattern(5000, 3));
    Expect(0, {"put", "img.trw", "1", "small.bin", "big.bin", "--cut"});
    const Outcome full = Expect(1, {"cp", "img.trw", "1", "small", "big", "--to", "0"});
    EXPECT_TRUE(full.err.contains("No space available.")) << full.err.toStdString();
    EXPECT_TRUE(full.err.contains("small was not copied to disk 0")) << full.err.toStdString();
}

// A 94 x 9 disk holds more than an 80 x 9 D80 image: the export names the file that didn't fit.
TEST_F(ConventionsTest, AD80ExportNamesTheFileThatDidNotFit) {
    Expect(0, {"create", "img.trw", "--disks", "1"});
    for (const char* name : {"first", "second", "third"}) {
        Write(name, Pattern(name[0] == 't' ? 200000 : 300000, name[1]));
    }
    Expect(0, {"put", "img.trw", "0", "first", "second", "third"});
    const Outcome exported = Expect(1, {"d80-export", "img.trw", "0", "out.d80"});
    EXPECT_TRUE(exported.err.contains("No space available.")) << exported.err.toStdString();
    EXPECT_TRUE(exported.err.contains("third did not fit in the D80 image"))
        << exported.err.toStdString();
}

TEST_F(ConventionsTest, PatternsNameFilesAsTheShellWould) {
    Expect(0, {"create", "img.trw", "--disks", "1"});
    for (const char* name : {"demo1", "demo2", "intro", ".hidden"}) {
        Write(name, Pattern(100, name[1]));
    }
    Expect(0, {"put", "img.trw", "0", "demo1", "demo2", "intro", ".hidden"});
    QDir().mkpath(Path("all"));
    QDir().mkpath(Path("star"));
    Expect(0, {"get", "img.trw", "0", "-o", "all"});
    EXPECT_EQ(QDir(Path("all")).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{".hidden", "demo1", "demo2", "intro"}));
    // As in the shell, * passes over names that start with a dot.
    Expect(0, {"get", "img.trw", "0", "*", "-o", "star"});
    EXPECT_EQ(QDir(Path("star")).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{"demo1", "demo2", "intro"}));

    const QByteArray image = Read("img.trw");
    const Outcome none = Expect(1, {"rm", "img.trw", "0", "demo?", "zz*"});
    EXPECT_TRUE(none.err.contains("zz*: no file matches")) << none.err.toStdString();
    EXPECT_EQ(Read("img.trw"), image);
    Expect(0, {"rm", "img.trw", "0", "demo[12]"});
    EXPECT_EQ(Names("0"), (QStringList{"intro", ".hidden"}));
}

TEST_F(ConventionsTest, DashIsStandardInputAndOutput) {
    Expect(0, {"create", "img.trw", "--disks", "1"});
    const Bytes data = Pattern(3000, 9, 7, 256);
    EXPECT_EQ(
        RunWithInput(clitest::QBytes(data), {"put", "img.trw", "0", "-", "--as", "piped"}).code, 0);
    EXPECT_EQ(Expect(2, {"put", "img.trw", "0", "-"}).err, "brindle-cli: put - needs --as NAME\n");
    EXPECT_EQ(Expect(0, {"cat", "img.trw", "0", "piped"}).out, clitest::QBytes(data));
    EXPECT_EQ(Expect(0, {"get", "img.trw", "0", "piped", "-o", "-"}).out, clitest::QBytes(data));

    Write("two", Pattern(10));
    Expect(0, {"put", "img.trw", "0", "two"});
    EXPECT_EQ(Expect(0, {"cat", "img.trw", "0", "two", "piped"}).out,
              clitest::QBytes(tapebytes::Joined(Pattern(10), data)));
    Expect(2, {"get", "img.trw", "0", "-o", "-"});

    Expect(0, {"tap-export", "img.trw", "0", "out.tap"});
    EXPECT_EQ(Expect(0, {"tap-export", "img.trw", "0", "-"}).out, Read("out.tap"));
    Expect(0, {"extract", "img.trw", "0", "out.dsk"});
    EXPECT_EQ(Expect(0, {"extract", "img.trw", "0", "-"}).out, Read("out.dsk"));
}

}  // namespace
