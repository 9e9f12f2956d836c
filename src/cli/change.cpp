#include "cli/change.h"

#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <string>

#include "cli/byte_text.h"
#include "cli/command.h"
#include "cli/options.h"
#include "platform/host_file.h"

namespace cli {

namespace {
constexpr int kMaxWaitSeconds = 24 * 60 * 60;
}  // namespace

bool LockWait(const Invocation& run, int* waitMs) {
    int seconds = 0;
    if (!ParseNumber(QStringLiteral("--wait"), run.options.value(WaitOption()), 0, kMaxWaitSeconds,
                     &seconds)) {
        return false;
    }
    *waitMs = seconds * 1000;
    return true;
}

int OpenDisk(Invocation& run, ImageEditor& editor, int* code) {
    int waitMs = 0;
    if (!LockWait(run, &waitMs)) {
        *code = kExitUsage;
        return -1;
    }
    *code = editor.Open(run.args.at(0), waitMs);
    if (*code != kExitDone) {
        return -1;
    }
    const int index = editor.FindDisk(run.args.at(1));
    if (index < 0) {
        *code = kExitUsage;
    }
    return index;
}

int ChangeDisk(Invocation& run, const std::function<int(ImageEditor&, int)>& change) {
    ImageEditor editor;
    int code = kExitDone;
    const int index = OpenDisk(run, editor, &code);
    if (index < 0) {
        return code;
    }
    code = change(editor, index);
    return code == kExitDone ? editor.Save(run) : code;
}

bool NameArgument(const QString& what, const QString& text, int maxBytes, QByteArray* bytes) {
    if (!BytesFromArgument(text, bytes)) {
        Fail(kExitUsage, QStringLiteral("%1: malformed \\x escape").arg(text));
        return false;
    }
    if (bytes->size() > maxBytes || bytes->contains('\0')) {
        Fail(kExitUsage, QStringLiteral("%1 must be at most %2 bytes without NUL: %3")
                             .arg(what)
                             .arg(maxBytes)
                             .arg(text));
        return false;
    }
    return true;
}

int CheckReadable(const QString& path) {
    std::string reason;
    const int fd = platform::OpenRegularFile(QFile::encodeName(path).constData(), &reason);
    if (fd < 0) {
        return Fail(kExitFailed,
                    QStringLiteral("cannot read %1: %2").arg(path, QString::fromLocal8Bit(reason)));
    }
    ::close(fd);
    return kExitDone;
}

}  // namespace cli
