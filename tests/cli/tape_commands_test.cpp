// tape-list and tape-import run as a user would: every format lists as valid JSON, a broken
// tape is refused before the image is touched, and a tape's files land on the disk.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVariant>
#include <initializer_list>

#include "cli_fixture.h"
#include "support/tape_encoders.h"

namespace {

using clitest::Bytes;

// A field of a JSON object given as a path of keys, as a variant for comparing.
QVariant Field(const QJsonValue& value, std::initializer_list<const char*> keys) {
    QJsonValue at = value;
    for (const char* key : keys) {
        at = at.toObject().value(QLatin1String(key));
    }
    return at.toVariant();
}
using tapebytes::Unframed;
using testbytes::Pattern;
using testbytes::TapBlock;
using testbytes::TapHeader;

class TapeCommandsTest : public clitest::CliTest {
protected:
    std::vector<Bytes> Blocks() const {
        return {Unframed(TapHeader(3, "code", 200, 32768, 0)),
                Unframed(TapBlock(0xFF, Pattern(200, 1))),
                Unframed(TapBlock(0xFF, Pattern(30, 2)))};
    }

    void WriteEveryFormat() const {
        std::vector<Bytes> tzx;
        for (const Bytes& block : Blocks()) {
            tzx.push_back(tapebytes::TzxTurbo(block));
        }
        Write(QStringLiteral("t.tap"), tapebytes::TapFile(Blocks()));
        Write(QStringLiteral("t.tzx"), tapebytes::TzxFile(tzx));
        Write(QStringLiteral("t.pzx"), tapebytes::PzxFile(Blocks()));
        Write(QStringLiteral("t.csw"), tapebytes::CswFile(Blocks()));
        Write(QStringLiteral("t.wav"), tapebytes::WavFile(Blocks()));
    }
};

TEST_F(TapeCommandsTest, EveryFormatListsAsJsonWithWhatAnImportMakes) {
    WriteEveryFormat();
    for (const char* name : {"t.tap", "t.tzx", "t.pzx", "t.csw", "t.wav"}) {
        const clitest::Outcome listed = Expect(0, {"tape-list", "--json", name});
        QJsonParseError error;
        const QJsonObject tape = QJsonDocument::fromJson(listed.out, &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << name;
        QJsonArray blocks;
        for (const QJsonValue block : tape.value("blocks").toArray()) {
            if (block.toObject().contains("flag")) {
                blocks.append(block);
            }
        }
        ASSERT_EQ(blocks.size(), 3) << name << listed.out.toStdString();
        EXPECT_EQ(Field(blocks[0], {"header", "name"}), QVariant("code")) << name;
        EXPECT_EQ(Field(blocks[0], {"header", "parameter1"}), QVariant(32768)) << name;
        EXPECT_EQ(Field(blocks[0], {"import", "use"}), QVariant("header")) << name;
        EXPECT_EQ(Field(blocks[1], {"import", "use"}), QVariant("file")) << name;
        EXPECT_EQ(Field(blocks[1], {"import", "name"}), QVariant("code")) << name;
        EXPECT_EQ(Field(blocks[1], {"import", "type"}), QVariant("B")) << name;
        EXPECT_EQ(Field(blocks[2], {"import", "name"}), QVariant("HEADLESS00")) << name;
        EXPECT_EQ(Field(blocks[2], {"checksum"}), QVariant("good")) << name;
    }
    const clitest::Outcome text = Expect(0, {"tape-list", "t.tzx"});
    EXPECT_TRUE(text.out.contains("Turbo Speed Data\tbytes\t202\t0xff\tgood\t-\tfile code.B"))
        << text.out.toStdString();
}

TEST_F(TapeCommandsTest, ABrokenTapeIsRefusedAndTheImageStaysAsItWas) {
    WriteEveryFormat();
    Expect(0, {"create", "img.trw", "--disks", "1"});
    const QByteArray image = Read(QStringLiteral("img.trw"));
    const Bytes tap = tapebytes::TapFile(Blocks());
    Write(QStringLiteral("cut.tap"), Bytes(tap.begin(), tap.end() - 5));
    Write(QStringLiteral("junk.tzx"), Pattern(900, 7, 3));
    for (const char* bad : {"cut.tap", "junk.tzx", "missing.csw"}) {
        const clitest::Outcome listed = Expect(1, {"tape-list", "--json", bad});
        EXPECT_TRUE(listed.out.isEmpty());
        EXPECT_TRUE(listed.err.contains(bad)) << listed.err.toStdString();
        // The good tape before it is not imported either: nothing is half done.
        Expect(1, {"tape-import", "img.trw", "0", "t.tzx", bad});
        Expect(1, {"add", "img.trw", "--tape", bad});
        EXPECT_EQ(Read(QStringLiteral("img.trw")), image) << bad;
    }
}

TEST_F(TapeCommandsTest, ImportsAndNewTapeDisksHoldTheTapesFiles) {
    WriteEveryFormat();
    Expect(0, {"create", "img.trw", "--disks", "1"});
    Expect(0, {"tape-import", "img.trw", "0", "t.wav", "t.pzx"});
    const clitest::Outcome files = Expect(0, {"ls", "img.trw", "0"});
    EXPECT_EQ(files.out.count("code"), 2) << files.out.toStdString();
    EXPECT_EQ(files.out.count("HEADLESS00"), 2) << files.out.toStdString();

    Expect(0, {"add", "img.trw", "--tape", "t.csw", "--count", "2"});
    const clitest::Outcome info = Expect(0, {"ls", "img.trw", "2", "--json"});
    const QJsonObject disk = QJsonDocument::fromJson(info.out).object();
    ASSERT_EQ(disk["files"].toArray().size(), 2) << info.out.toStdString();
    EXPECT_EQ(Field(disk["files"].toArray().at(0), {"name"}), QVariant("code"));
    EXPECT_EQ(Field(disk["files"].toArray().at(0), {"length"}), QVariant(200));
}

TEST_F(TapeCommandsTest, ABlockThatFailsItsChecksumIsNamedAndLeftOut) {
    std::vector<Bytes> blocks = Blocks();
    blocks[1][50] ^= 0x04;
    Write(QStringLiteral("worn.wav"), tapebytes::WavFile(blocks));
    Expect(0, {"create", "img.trw", "--disks", "1"});
    const clitest::Outcome imported = Expect(0, {"tape-import", "img.trw", "0", "worn.wav"});
    EXPECT_TRUE(
        imported.err.contains("1 block of worn.wav fails its checksum and was left out: 2."))
        << imported.err.toStdString();
    const clitest::Outcome files = Expect(0, {"ls", "img.trw", "0"});
    EXPECT_FALSE(files.out.contains("code")) << files.out.toStdString();
    EXPECT_TRUE(files.out.contains("HEADLESS00")) << files.out.toStdString();
}

}  // namespace
