#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>

#include "cli_fixture.h"
#include "disk/mdos_disk.h"

namespace {

using clitest::Bytes;
using clitest::CliTest;
using clitest::Outcome;
using clitest::QBytes;
using testbytes::Append;
using testbytes::Pattern;
using testbytes::TapBlock;
using testbytes::TapHeader;

constexpr int kRecord = CMdosDisk::kRecordSize;
constexpr int kDirectory = CMdosDisk::kHeaderSize + CMdosDisk::kFirstDirSector * 512;

QJsonObject ParseJson(const QByteArray& text) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_TRUE(text.isValidUtf8());
    return document.object();
}

// The documented JSON mapping, undone: U+F700 + b is the byte b.
QByteArray JsonBytes(const QString& text) {
    QByteArray bytes;
    for (QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() >= 0xF700 ? c.unicode() - 0xF700 : c.unicode()));
    }
    return bytes;
}

TEST_F(CliTest, FilesRoundTripThroughAnImage) {
    Expect(0, {"create", "img.trw", "--disks", "2"});
    EXPECT_EQ(Read("img.trw").size(), 2 * kRecord);
    Write("loader.bin", Pattern(70000));
    Write("note.txt", Pattern(100, 1));
    Bytes tap = TapHeader(3, "hello", 6912, 16384, 32768);
    Append(tap, TapBlock(0xFF, Pattern(6912, 2)));
    Append(tap, TapBlock(0xFF, Pattern(5, 3)));
    Write("in.tap", tap);

    Expect(0, {"put", "img.trw", "1", "loader.bin", "note.txt"});
    Expect(0, {"tap-import", "img.trw", "empty disk 1", "in.tap"});

    const QJsonObject listing = ParseJson(Expect(0, {"ls", "img.trw", "1", "--json"}).out);
    EXPECT_EQ(listing["disk"].toObject()["index"].toInt(), 1);
    const QJsonArray files = listing["files"].toArray();
    ASSERT_EQ(files.size(), 4);
    EXPECT_EQ(files[0].toObject()["name"].toString(), "loader");
    EXPECT_EQ(files[0].toObject()["type"].toString(), "Q");
    EXPECT_EQ(files[0].toObject()["length"].toInt(), 70000);
    EXPECT_EQ(files[0].toObject()["first_sector"].toInt(), 14);
    EXPECT_EQ(files[1].toObject()["attributes"].toString(), "----RW-D");
    EXPECT_EQ(files[2].toObject()["name"].toString(), "hello");
    EXPECT_EQ(files[2].toObject()["start"].toInt(), 16384);
    EXPECT_EQ(files[2].toObject()["basic"].toInt(), 32768);
    EXPECT_EQ(files[3].toObject()["name"].toString(), "HEADLESS00");

    QDir(Path(".")).mkdir("out");
    Expect(0, {"get", "img.trw", "1", "loader", "note", "-o", "out"});
    EXPECT_EQ(Read("out/loader"), QBytes(Pattern(70000)));
    EXPECT_EQ(Read("out/note"), QBytes(Pattern(100, 1)));
    Expect(0, {"tap-export", "img.trw", "1", "out.tap", "hello", "HEADLESS00"});
    EXPECT_EQ(Read("out.tap"), QBytes(tap));

    // Whole disks leave as single-disk files and come back as the same record.
    Expect(0, {"extract", "img.trw", "1", "disk1.rec"});
    EXPECT_EQ(Read("disk1.rec"), Read("img.trw").mid(kRecord, kRecord));
    Expect(0, {"add", "img.trw", "--from", "disk1.rec"});
    const QJsonObject info = ParseJson(Expect(0, {"info", "img.trw", "--json"}).out);
    const QJsonArray disks = info["disks"].toArray();
    ASSERT_EQ(disks.size(), 3);
    EXPECT_EQ(disks[2].toObject()["files"].toInt(), 4);
    EXPECT_EQ(disks[2].toObject()["name"].toString(), "empty disk 2");
}

TEST_F(CliTest, WholeDisksTravelAsTapAndD80Files) {
    Expect(0, {"create", "img.trw", "--disks", "1"});
    Write("a.bin", Pattern(1500));
    Write("b.bin", Pattern(20, 4));
    Expect(0, {"put", "img.trw", "0", "a.bin", "b.bin"});
    const QByteArray files = Expect(0, {"ls", "img.trw", "0"}).out;

    Expect(0, {"d80-export", "img.trw", "0", "disk.d80"});
    EXPECT_EQ(Read("disk.d80").size(), CMdosDisk::kSectorDataSize);
    Expect(0, {"extract", "img.trw", "0", "disk.tap"});
    Expect(0, {"add", "img.trw", "--d80", "disk.d80"});
    Expect(0, {"add", "img.trw", "--tap", "disk.tap"});
    Expect(0, {"add", "img.trw", "--count", "2"});
    Expect(0, {"d80-import", "img.trw", "3", "disk.d80"});
    Expect(0, {"d80-replace", "img.trw", "4", "disk.d80"});
    EXPECT_EQ(Expect(0, {"ls", "img.trw", "1"}).out, files);
    EXPECT_EQ(Expect(0, {"ls", "img.trw", "3"}).out, files);
    EXPECT_EQ(Expect(0, {"ls", "img.trw", "4"}).out, files);
    // The tape keeps names and data; its files get tape attributes.
    const QByteArray tape = Expect(0, {"ls", "img.trw", "2"}).out;
    EXPECT_TRUE(tape.startsWith("a\tB\t0\t1500\t32767\t----RWED\t14\n")) << tape.toStdString();
    QDir(Path(".")).mkdir("out");
    Expect(0, {"get", "img.trw", "2", "a", "b", "-o", "out"});
    EXPECT_EQ(Read("out/a"), QBytes(Pattern(1500)));
    EXPECT_EQ(Read("out/b"), QBytes(Pattern(20, 4)));
    Expect(2, {"add", "img.trw", "--tap", "disk.tap", "--d80", "disk.d80"});
    Expect(1, {"add", "img.trw", "--from", "missing.rec"});
}

TEST_F(CliTest, FileCommandsChangeOnlyWhatTheyName) {
    Expect(0, {"create", "img.trw", "--disks", "2", "--name", "vol"});
    Write("a.bin", Pattern(600));
    Expect(0, {"put", "img.trw", "0", "a.bin", "--as", "first"});
    Expect(0, {"put", "img.trw", "0", "a.bin"});
    Expect(0, {"cp", "img.trw", "0", "first", "a", "--to", "1", "--move"});
    Expect(0, {"mv", "img.trw", "1", "a", "renamed"});
    Expect(0, {"rename-volume", "img.trw", "1", "tapes"});
    Expect(0, {"rename-disk", "img.trw", "1", "Games"});
    EXPECT_EQ(Expect(0, {"ls", "img.trw", "0"}).out, "");
    EXPECT_EQ(Expect(0, {"ls", "img.trw", "Games"}).out,
              "first\tB\t0\t600\t32767\t----RW-D\t14\nrenamed\tB\t0\t600\t32767\t----RW-D\t16\n");
    EXPECT_EQ(Expect(0, {"info", "img.trw"}).out,
              "0\tempty disk 0\tvol\t94x9\t0\t128\t859136\n"
              "1\tGames\ttapes\t94x9\t2\t126\t857088\n");
    Expect(0, {"rm", "img.trw", "1", "first"});
    Expect(0, {"format", "img.trw", "0", "--tracks", "80", "--name", "small"});
    EXPECT_EQ(Expect(0, {"info", "img.trw"}).out,
              "0\tempty disk 0\tsmall\t80x9\t0\t128\t730112\n"
              "1\tGames\ttapes\t94x9\t1\t127\t858112\n");
    Expect(0, {"remove", "img.trw", "0"});
    EXPECT_EQ(Read("img.trw").size(), kRecord);

    // Names that repeat are told apart by their type letter.
    Write("big.bin", Pattern(70000));
    Expect(0, {"put", "img.trw", "0", "big.bin", "--as", "renamed"});
    const QByteArray listing = Expect(0, {"ls", "img.trw", "0"}).out;
    EXPECT_TRUE(listing.contains("renamed.B\t"));
    EXPECT_TRUE(listing.contains("renamed.Q\t"));
    const Outcome ambiguous = Expect(1, {"get", "img.trw", "0", "renamed"});
    EXPECT_TRUE(ambiguous.err.contains("NAME.T")) << ambiguous.err.toStdString();
}

TEST_F(CliTest, ExitCodesAndMessages) {
    EXPECT_EQ(Expect(0, {"--version"}).out, "brindle-cli 0.6\n");
    EXPECT_TRUE(Expect(0, {"--help"}).out.contains("tap-export"));
    EXPECT_TRUE(Expect(0, {"dump", "--help"}).out.contains("--hex"));
    Expect(2, {});
    Expect(2, {"frobnicate"});
    Expect(2, {"ls", "img.trw"});
    Expect(2, {"ls", "--bogus", "img.trw", "0"});

    Expect(0, {"create", "img.trw", "--disks", "3"});
    EXPECT_EQ(Expect(1, {"create", "img.trw"}).err,
              "brindle-cli: img.trw exists; --force replaces it\n");
    Expect(0, {"create", "img.trw", "--empty", "--force"});
    EXPECT_EQ(Read("img.trw"), QByteArray(kRecord, '\0'));
    Expect(2, {"create", "x.trw", "--tracks", "95"});
    Expect(2, {"create", "x.trw", "--name", "elevenchars"});

    const Outcome range = Expect(2, {"ls", "img.trw", "4"});
    EXPECT_EQ(range.err, "brindle-cli: disk index 4 is out of range: the image has 1 disk\n");
    Expect(2, {"ls", "img.trw", "no such disk"});
    Expect(2, {"ls", "missing.trw", "0"});
    Write("torn.trw", QByteArray(kRecord + 10, '\0'));
    const Outcome torn = Expect(2, {"info", "torn.trw"});
    EXPECT_TRUE(torn.err.contains("not a whole number")) << torn.err.toStdString();
    Expect(2, {"put", "torn.trw", "0", "torn.trw"});
    Expect(2, {"dump", "img.trw", "0", "1692"});

    Expect(0, {"format", "img.trw", "0"});
    EXPECT_EQ(Expect(1, {"get", "img.trw", "0", "nothing"}).err,
              "brindle-cli: nothing: no such file on the disk\n");
    Expect(1, {"put", "img.trw", "0", "missing.bin"});
    Expect(1, {"tap-import", "img.trw", "0", "."});
    Write("a.bin", Pattern(10));
    Expect(0, {"put", "img.trw", "0", "a.bin"});
    Expect(1, {"get", "img.trw", "0", "a", "-o", "no-such-folder"});
    Expect(1, {"extract", "img.trw", "0", "no-such-folder/x.tap"});
}

TEST_F(CliTest, AFailedChangeLeavesTheImageByteIdentical) {
    Expect(0, {"create", "img.trw", "--disks", "2"});
    Expect(0, {"format", "img.trw", "1", "--tracks", "2", "--sectors", "10"});
    const QByteArray before = Read("img.trw");

    // The directory fills up at 128 files: none of the 130 is kept.
    QStringList put{"put", "img.trw", "0"};
    for (int i = 0; i < 130; ++i) {
        const QString name = QStringLiteral("f%1").arg(i);
        Write(name, QByteArray());
        put << name;
    }
    EXPECT_EQ(Expect(1, put).err,
              "brindle-cli: No dir item available.\nbrindle-cli: img.trw was not changed\n");
    EXPECT_EQ(Read("img.trw"), before);

    // A file as long as the free space: the question is answered No unless --yes.
    Write("big.bin", Pattern(26 * 512));
    const Outcome declined = Expect(1, {"put", "img.trw", "1", "big.bin"});
    EXPECT_TRUE(declined.err.startsWith(
        "brindle-cli: File is too long. Use all disk free space and cut the file ?\n"));
    EXPECT_EQ(Read("img.trw"), before);
    Expect(0, {"put", "img.trw", "1", "big.bin", "--yes"});
    const QJsonObject listing = ParseJson(Expect(0, {"ls", "img.trw", "1", "--json"}).out);
    EXPECT_EQ(listing["files"].toArray()[0].toObject()["length"].toInt(), 26 * 512 - 1);

    // A chain that can't be followed to its end: the checker's sentence and nothing saved,
    // unless --force, which removes the entry all the same.
    QByteArray image = Read("img.trw");
    const int fat = kRecord + CMdosDisk::kHeaderSize + 512;
    image[fat + 21] = 0;  // entry 14, the file's first sector, reads free
    image[fat + 22] = static_cast<char>(image[fat + 22] & 0x0F);
    Write("img.trw", image);
    EXPECT_TRUE(Expect(1, {"rm", "img.trw", "1", "big"})
                    .err.startsWith("brindle-cli: The chain of slot 0 \"big\" runs into sector 14, "
                                    "which is free.\n"));
    EXPECT_EQ(Read("img.trw"), image);
    Expect(0, {"rm", "img.trw", "1", "big", "--force"});
    EXPECT_EQ(Expect(0, {"ls", "img.trw", "1"}).out, "");
}

TEST_F(CliTest, JsonStaysValidWhateverBytesTheNamesHold) {
    Expect(0, {"create", "img.trw", "--disks", "1"});
    Write("x.bin", Pattern(10));
    for (int i = 0; i < 26; ++i) {
        Expect(0, {"put", "img.trw", "0", "x.bin", "--as", QStringLiteral("n%1").arg(i)});
    }
    // Overwrite the 26 names, the disk name, the volume name and the comment with every byte
    // 0x00-0x1F and 0x80-0xFF (and the backslash, quote and slash that JSON and paths care
    // about).
    QByteArray bytes;
    for (int b = 0; b < 0x20; ++b) {
        bytes.append(static_cast<char>(b));
    }
    for (int b = 0x80; b <= 0xFF; ++b) {
        bytes.append(static_cast<char>(b));
    }
    bytes.append("\\\"/");
    QByteArray image = Read("img.trw");
    std::vector<QByteArray> names;
    for (int i = 0; i < 26; ++i) {
        // Each name starts with a distinct letter so that none repeats.
        QByteArray name = i == 25 ? QByteArray("Z/\\\"\x01\xFF")
                                  : QByteArray(1, static_cast<char>('A' + i)) + bytes.mid(i * 6, 9);
        while (name.endsWith('\0') || name.endsWith(' ')) {
            name.chop(1);
        }
        const int at = kDirectory + (i % 16) * 32 + (i / 16) * 1024;
        std::memcpy(image.data() + at + 1, (name + QByteArray(10, '\0')).constData(), 10);
        names.push_back(name);
    }
    std::memcpy(image.data() + CMdosDisk::kDiskNameOffset, bytes.constData() + 1, 32);
    std::memcpy(image.data() + CMdosDisk::kCommentOffset, bytes.constData(), bytes.size());
    std::memcpy(image.data() + CMdosDisk::kHeaderSize + CMdosDisk::kBootVolumeName,
                bytes.constData() + 0x80, 10);
    Write("img.trw", image);

    const QJsonArray files =
        ParseJson(Expect(0, {"ls", "img.trw", "0", "--json"}).out)["files"].toArray();
    ASSERT_EQ(files.size(), 26);
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(JsonBytes(files[i].toObject()["name"].toString()), names[i]) << i;
    }
    const QJsonObject header = ParseJson(Expect(0, {"header", "img.trw", "0", "--json"}).out);
    EXPECT_EQ(JsonBytes(header["comment"].toString()), bytes);
    EXPECT_EQ(JsonBytes(header["disk_name"].toString()), bytes.mid(1, 32));
    const QJsonObject info = ParseJson(Expect(0, {"info", "img.trw", "--json"}).out);
    EXPECT_EQ(JsonBytes(info["disks"].toArray()[0].toObject()["volume"].toString()),
              bytes.mid(0x80, 10));
    ParseJson(Expect(0, {"dump", "img.trw", "0", "6", "--json"}).out);

    // The names come back as arguments in either form, and a slash never leaves the folder.
    QDir(Path(".")).mkdir("out");
    const QString last = files[25].toObject()["file"].toString();
    Expect(0, {"get", "img.trw", "0", last, "-o", "out"});
    const QByteArray text = Expect(0, {"ls", "img.trw", "0"}).out;
    const QString escaped = QString::fromLatin1(text.split('\n')[25].split('\t')[0]);
    EXPECT_TRUE(escaped.contains("\\x")) << escaped.toStdString();
    Expect(0, {"rm", "img.trw", "0", escaped});
    EXPECT_EQ(ParseJson(Expect(0, {"ls", "img.trw", "0", "--json"}).out)["files"].toArray().size(),
              25);
    const std::filesystem::directory_iterator written(Path("out").toStdString());
    EXPECT_EQ(std::distance(begin(written), end(written)), 1);
}

TEST_F(CliTest, GarbageRecordsGiveOutputOrAnErrorNeverACrash) {
    QByteArray image(2 * kRecord, '\0');
    unsigned state = 12345;
    for (char& c : image) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 23);
    }
    Write("junk.trw", image);
    QDir(Path(".")).mkdir("out");
    for (const char* disk : {"0", "1"}) {
        for (const QStringList& command :
             {QStringList{"info", "junk.trw", "--json"}, QStringList{"ls", "junk.trw", disk},
              QStringList{"header", "junk.trw", disk}, QStringList{"dump", "junk.trw", disk, "13"},
              QStringList{"tap-export", "junk.trw", disk, "out/j.tap"},
              QStringList{"d80-export", "junk.trw", disk, "out/j.d80"}}) {
            const Outcome outcome = Run(command);
            EXPECT_TRUE(outcome.code == 0 || outcome.code == 1)
                << command.join(' ').toStdString() << ": " << outcome.code;
        }
        const QJsonArray files =
            ParseJson(Expect(0, {"ls", "junk.trw", disk, "--json"}).out)["files"].toArray();
        for (qsizetype i = 0; i < files.size() && i < 8; ++i) {
            const QString file = files[i].toObject()["file"].toString();
            const Outcome outcome = Run({"get", "junk.trw", disk, "-o", "out", "--", file});
            EXPECT_TRUE(outcome.code == 0 || outcome.code == 1) << outcome.err.toStdString();
        }
    }
    EXPECT_EQ(Read("junk.trw"), image);
}

}  // namespace

namespace {

// A disk name is what the window shows: up to the first NUL, blanks before it kept.
TEST_F(CliTest, DisksAreNamedAsTheWindowNamesThem) {
    Expect(0, {"create", "img.trw", "--disks", "2"});
    QByteArray image = Read("img.trw");
    image.replace(kRecord + CMdosDisk::kDiskNameOffset, CMdosDisk::kDiskNameSize,
                  QByteArray("ab  \0xyz", 8).leftJustified(CMdosDisk::kDiskNameSize, ' '));
    Write("img.trw", image);
    auto disk = std::make_unique<CMdosDisk>();
    std::memcpy(disk->Record(), image.constData() + kRecord, kRecord);
    char shown[CMdosDisk::kDiskNameSize + 1];
    ASSERT_STREQ(disk->GetDiskName(shown, sizeof shown), "ab  ");

    EXPECT_TRUE(Expect(0, {"info", "img.trw"}).out.contains("\n1\tab  \t"));
    EXPECT_EQ(ParseJson(Expect(0, {"ls", "img.trw", "ab  ", "--json"}).out)["disk"]
                  .toObject()["index"]
                  .toInt(),
              1);
    Expect(2, {"ls", "img.trw", "ab"});
}

}  // namespace
