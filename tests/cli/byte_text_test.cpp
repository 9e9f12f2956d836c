#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include "cli/byte_text.h"

namespace {

using cli::BytesFromArgument;

TEST(ByteTextTest, EveryByteComesBackFromBothForms) {
    for (int b = 0; b < 256; ++b) {
        const QByteArray bytes = QByteArray("a") + static_cast<char>(b) + "z";
        QByteArray back;
        ASSERT_TRUE(BytesFromArgument(cli::BytesToText(bytes), &back)) << b;
        EXPECT_EQ(back, bytes) << b;
        ASSERT_TRUE(BytesFromArgument(cli::BytesToJson(bytes), &back)) << b;
        EXPECT_EQ(back, bytes) << b;
        // Text output stays printable ASCII whatever the byte.
        for (QChar c : cli::BytesToText(bytes)) {
            EXPECT_TRUE(c.unicode() >= 0x20 && c.unicode() < 0x7F) << b;
        }
    }
    EXPECT_EQ(cli::BytesToText(QByteArray("a\\b\x01\xff", 5)), "a\\\\b\\x01\\xFF");
    EXPECT_EQ(cli::BytesToJson(QByteArray("\\", 1)), QString(QChar(0xF75C)));
}

TEST(ByteTextTest, MalformedEscapesAndForeignCharacters) {
    QByteArray bytes;
    EXPECT_FALSE(BytesFromArgument("\\x4", &bytes));
    EXPECT_FALSE(BytesFromArgument("\\xZZ", &bytes));
    EXPECT_FALSE(BytesFromArgument("end\\", &bytes));
    EXPECT_FALSE(BytesFromArgument("\\q", &bytes));
    // Characters outside both mappings stand for their UTF-8 bytes, as the shell passed them.
    ASSERT_TRUE(BytesFromArgument(QString::fromUtf8("\xc3\xa9\xf0\x9f\x98\x80"), &bytes));
    EXPECT_EQ(bytes, QByteArray("\xc3\xa9\xf0\x9f\x98\x80"));
}

TEST(ByteTextTest, PaddingIsTrailingNulsAndBlanksOnly) {
    const unsigned char field[] = {' ', 'a', 0, 'b', ' ', 0, ' ', 0};
    EXPECT_EQ(cli::TrimPadding(field, sizeof field), QByteArray(" a\0b", 4));
    EXPECT_EQ(cli::TrimPadding(field, 1), QByteArray());
}

}  // namespace
