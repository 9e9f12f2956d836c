// Names on an MDOS disk are raw bytes: ASCII in practice, but a disk may hold any byte,
// control characters and NULs included. brindle-cli shows them in two reversible forms:
//
//   text (terminal output):  bytes 0x20..0x7E except the backslash stand for themselves; a
//                            backslash is written "\\" and every other byte "\xHH".
//   JSON:                    bytes 0x20..0x7E except the backslash stand for themselves; every
//                            other byte b (the backslash too) becomes the private-use code
//                            point U+F700 + b, so every JSON string is valid UTF-8.
//
// Arguments naming a disk or a file may be written in either form.
#pragma once

#include <QByteArray>
#include <QString>

namespace cli {

[[nodiscard]] QString BytesToText(const QByteArray& bytes);
[[nodiscard]] QString BytesToJson(const QByteArray& bytes);
// Decodes an argument written in either form; false on a malformed "\x" escape.
[[nodiscard]] bool BytesFromArgument(const QString& text, QByteArray* bytes);

// disk::TrimPadding as bytes for the command line's strings.
[[nodiscard]] QByteArray TrimPadding(const unsigned char* field, int size);

}  // namespace cli
