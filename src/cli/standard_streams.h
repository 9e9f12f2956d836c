// "-" for a host file, as shell tools take it: standard input for a file that is read,
// standard output for one that is written. The disk operations read and write named files, so
// standard input is first copied to a temporary file, and what an export writes to a temporary
// file is then copied to standard output.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace cli {

// Whether a host-file argument is "-".
[[nodiscard]] bool IsStandardStream(const QString& argument);

// Writes bytes to standard output as they are.
void WriteToStandardOutput(const char* bytes, qsizetype size);

class StandardStreamFile {
public:
    StandardStreamFile();
    // The temporary file's path, for the disk operation to read or write.
    [[nodiscard]] const QByteArray& Path() const { return m_path; }
    // Copies standard input into the file, at most limit bytes (a disk holds no more); false,
    // reported, when that fails.
    bool FillFromStandardInput(qint64 limit);
    // Copies the file to standard output, if the operation wrote it.
    void SendToStandardOutput() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_path;
};

}  // namespace cli
