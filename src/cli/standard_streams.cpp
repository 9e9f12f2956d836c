#include "cli/standard_streams.h"

#include <QFile>
#include <cstdio>

#include "cli/command.h"

namespace cli {

bool IsStandardStream(const QString& argument) {
    return argument == QLatin1String("-");
}

void WriteToStandardOutput(const char* bytes, qsizetype size) {
    // Errors surface when the program ends: standard output is checked once, there.
    std::fwrite(bytes, 1, static_cast<std::size_t>(size), stdout);
}

StandardStreamFile::StandardStreamFile()
    : m_path(QFile::encodeName(m_dir.filePath(QStringLiteral("stream")))) {}

bool StandardStreamFile::FillFromStandardInput(qint64 limit) {
    QFile in;
    QFile out(QFile::decodeName(m_path));
    if (!m_dir.isValid() || !in.open(stdin, QIODevice::ReadOnly) ||
        !out.open(QIODevice::WriteOnly)) {
        Fail(kExitFailed, QStringLiteral("cannot read standard input into a temporary file"));
        return false;
    }
    qint64 total = 0;
    char buffer[64 * 1024];
    while (total < limit) {
        const qint64 got = in.read(buffer, std::min<qint64>(sizeof buffer, limit - total));
        if (got < 0) {
            Fail(kExitFailed,
                 QStringLiteral("cannot read standard input: %1").arg(in.errorString()));
            return false;
        }
        if (got == 0) {
            break;
        }
        if (out.write(buffer, got) != got) {
            Fail(kExitFailed,
                 QStringLiteral("cannot keep standard input: %1").arg(out.errorString()));
            return false;
        }
        total += got;
    }
    return true;
}

void StandardStreamFile::SendToStandardOutput() const {
    QFile file(QFile::decodeName(m_path));
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    const QByteArray bytes = file.readAll();
    WriteToStandardOutput(bytes.constData(), bytes.size());
}

}  // namespace cli
