// brindle-cli view run as a user would: listings, pictures and arrays out of an image's files.
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli_fixture.h"
#include "content/screen_picture.h"
#include "disk/mdos_disk.h"

namespace {

using clitest::Bytes;
using clitest::CliTest;
using testbytes::Append;
using testbytes::TapBlock;
using testbytes::TapHeader;

// A screen whose top left cell is bright red ink on blue paper with its first pixel set; every
// other cell white paper.
Bytes ScreenTape() {
    Bytes screen(content::kScreenBytes, 0);
    screen[0] = 0x80;
    screen[content::kScreenPixelBytes] = 0x40 | 1 << 3 | 2;
    for (std::size_t i = content::kScreenPixelBytes + 1; i < screen.size(); ++i) {
        screen[i] = 7 << 3;
    }
    Bytes tape = TapHeader(3, "loading", static_cast<unsigned>(screen.size()), 16384, 32768);
    return Append(tape, TapBlock(0xFF, screen));
}

// DIM n(2) = 1.5, -3 saved as DATA n(): the name byte 100 01110 in parameter 1's high byte.
Bytes ArrayTape() {
    const Bytes data{1, 2, 0, 0x81, 0x40, 0, 0, 0, 0, 0xFF, 0xFD, 0xFF, 0};
    Bytes tape = TapHeader(1, "numbers", static_cast<unsigned>(data.size()), 0x8E00, 32768);
    return Append(tape, TapBlock(0xFF, data));
}

class ViewCommandTest : public CliTest {
protected:
    void SetUp() override {
        Expect(0, {"create", "img.trw", "--disks", "1"});
        Write("program.tap", testsupport::ReadAll(QStringLiteral(BRINDLE_CONTENT_DATA) +
                                                  QStringLiteral("/program.tap")));
        Write("screen.tap", ScreenTape());
        Write("array.tap", ArrayTape());
        for (const char* tape : {"program.tap", "screen.tap", "array.tap"}) {
            Expect(0, {"tap-import", "img.trw", "0", tape});
        }
    }
};

TEST_F(ViewCommandTest, ListsProgramsAsTextAndJson) {
    const QByteArray text = Expect(0, {"view", "img.trw", "0", "program"}).out;
    const QByteArray expected = testsupport::ReadAll(QStringLiteral(BRINDLE_CONTENT_DATA) +
                                                     QStringLiteral("/program.listbasic.txt"));
    EXPECT_TRUE(text.startsWith("   10 REM Loader \\a\\b\\c \"quoted\" \\\\ and \\* 1998\n"));
    EXPECT_EQ(text.count('\n'), expected.count('\n') + 1);  // and "# autostart line 10"
    EXPECT_TRUE(text.endsWith("# autostart line 10\n"));

    const QJsonObject json =
        QJsonDocument::fromJson(Expect(0, {"view", "img.trw", "0", "program", "--json"}).out)
            .object();
    EXPECT_EQ(json[QStringLiteral("view")].toString(), QStringLiteral("basic"));
    const QJsonObject basic = json[QStringLiteral("basic")].toObject();
    EXPECT_EQ(basic[QStringLiteral("autostart")].toInt(), 10);
    const QJsonArray lines = basic[QStringLiteral("lines")].toArray();
    ASSERT_EQ(lines.size(), expected.count('\n'));
    EXPECT_EQ(lines.last().toObject()[QStringLiteral("number")].toInt(), 9999);
    EXPECT_EQ(lines[1].toObject()[QStringLiteral("text")].toString(),
              QStringLiteral("DEF FN f(x,y)=x*y+1.5E10"));

    // Any file in hex, on request.
    const QByteArray hex = Expect(0, {"view", "img.trw", "0", "program", "--as", "hex"}).out;
    EXPECT_TRUE(hex.startsWith("000000  00 0A 22 00 EA 4C 6F 61  64 65 72 20 90 91 92 20"));
}

TEST_F(ViewCommandTest, WritesScreensAsPngAtAnyScale) {
    Expect(0, {"view", "img.trw", "0", "loading", "-o", "shot.png", "--scale", "3"});
    const QImage image(Path(QStringLiteral("shot.png")));
    ASSERT_EQ(image.size(), QSize(768, 576));
    // The set pixel is three by three in bright red; the cell's paper bright blue.
    EXPECT_EQ(image.pixel(0, 0), qRgb(0xFF, 0, 0));
    EXPECT_EQ(image.pixel(2, 2), qRgb(0xFF, 0, 0));
    EXPECT_EQ(image.pixel(3, 0), qRgb(0, 0, 0xFF));
    EXPECT_EQ(image.pixel(767, 575), qRgb(0xD7, 0xD7, 0xD7));

    // The output is checked as every command's is, and a picture needs a file.
    EXPECT_TRUE(
        Expect(1, {"view", "img.trw", "0", "loading", "-o", "shot.png"}).err.contains("--force"));
    Expect(0, {"view", "img.trw", "0", "loading", "-o", "shot.png", "--force"});
    EXPECT_EQ(QImage(Path(QStringLiteral("shot.png"))).size(), QSize(256, 192));
    Expect(2, {"view", "img.trw", "0", "loading"});
    Expect(2, {"view", "img.trw", "0", "loading", "-o", "big.png", "--scale", "17"});
    Expect(2, {"view", "img.trw", "0", "loading", "--json"});
    Expect(1, {"view", "img.trw", "0", "loading", "-o", "img.trw", "--force"});
}

TEST_F(ViewCommandTest, ShowsArraysElementByElementAndDamagedFilesWithAWarning) {
    EXPECT_EQ(Expect(0, {"view", "img.trw", "0", "numbers"}).out,
              QByteArray("DIM n(2)\nn(1) = 1.5\nn(2) = -3\n"));
    const QJsonObject array =
        QJsonDocument::fromJson(Expect(0, {"view", "img.trw", "0", "numbers", "--json"}).out)
            .object()[QStringLiteral("array")]
            .toObject();
    EXPECT_EQ(array[QStringLiteral("name")].toString(), QStringLiteral("n"));
    EXPECT_EQ(array[QStringLiteral("dimensions")].toArray(), QJsonArray({2}));
    EXPECT_EQ(array[QStringLiteral("elements")].toArray(), QJsonArray({1.5, -3}));

    Expect(2, {"view", "img.trw", "0", "numbers", "--as", "table"});
    // A chain that starts in the FAT: shown anyway, with the checker's word on stderr.
    QByteArray image = Read(QStringLiteral("img.trw"));
    const int firstSector =
        CMdosDisk::kHeaderSize + CMdosDisk::kFirstDirSector * 512 + CMdosDisk::kEntryFirstSector;
    image[firstSector] = 3;
    image[firstSector + 1] = 0;
    Write(QStringLiteral("img.trw"), image);
    const clitest::Outcome damaged = Expect(0, {"view", "img.trw", "0", "program", "--as", "hex"});
    EXPECT_TRUE(damaged.err.contains("the view shows the bytes its chain leads to"));
    EXPECT_TRUE(damaged.out.startsWith("000000  "));
    EXPECT_TRUE(Expect(0, {"view", "img.trw", "0", "numbers"}).err.isEmpty());
    Expect(1, {"view", "img.trw", "0", "nothing"});
    // A program has no dimensions to read an array by.
    Expect(1, {"view", "img.trw", "0", "program", "--as", "array"});
}

}  // namespace
