#include "cli/byte_text.h"

#include "disk/mdos_format.h"

namespace cli {

namespace {

constexpr char16_t kPrivateUseBase = 0xF700;

bool StandsForItself(unsigned char byte) {
    return byte >= 0x20 && byte <= 0x7E && byte != '\\';
}

int HexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') {
        return u - '0';
    }
    if (u >= 'a' && u <= 'f') {
        return u - 'a' + 10;
    }
    if (u >= 'A' && u <= 'F') {
        return u - 'A' + 10;
    }
    return -1;
}

}  // namespace

QString BytesToText(const QByteArray& bytes) {
    return QString::fromLatin1(disk::EscapeName(bytes.toStdString()));
}

QString BytesToJson(const QByteArray& bytes) {
    QString text;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += StandsForItself(byte) ? QChar(QLatin1Char(c))
                                      : QChar(static_cast<char16_t>(kPrivateUseBase + byte));
    }
    return text;
}

bool BytesFromArgument(const QString& text, QByteArray* bytes) {
    bytes->clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        if (u == '\\') {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\\')) {
                bytes->append('\\');
                ++i;
                continue;
            }
            if (i + 3 < text.size() && text[i + 1] == QLatin1Char('x') &&
                HexValue(text[i + 2]) >= 0 && HexValue(text[i + 3]) >= 0) {
                bytes->append(
                    static_cast<char>(HexValue(text[i + 2]) * 16 + HexValue(text[i + 3])));
                i += 3;
                continue;
            }
            return false;
        }
        if (u >= kPrivateUseBase && u <= kPrivateUseBase + 0xFF) {
            bytes->append(static_cast<char>(u - kPrivateUseBase));
        } else if (u < 0x80) {
            bytes->append(static_cast<char>(u));
        } else {
            // Any other character stands for the bytes the shell gave us.
            const qsizetype length = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            bytes->append(text.mid(i, length).toUtf8());
            i += length - 1;
        }
    }
    return true;
}

QByteArray TrimPadding(const unsigned char* field, int size) {
    return QByteArray::fromStdString(disk::TrimPadding(field, size));
}

}  // namespace cli
