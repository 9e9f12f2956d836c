#include "framework/document.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "framework/archive.h"
#include "framework/wait_cursor.h"
#include "platform/host_file.h"
#include "platform/in_place_change.h"
#include "platform/message_box.h"

namespace framework {

namespace {

void ReportFailure(const QString& text) {
    platform::ShowMessage(platform::MessageKind::Stop, text.toStdString());
}

// Opens an existing regular file for reading into file (never a pipe or a device); the failure's
// text, or empty.
QString OpenRegularFile(const QString& path, QFile& file, platform::FileIdentity* identity) {
    std::string error;
    const int fd = platform::OpenRegularFile(QFile::encodeName(path).constData(), &error);
    if (fd < 0) {
        return QString::fromLocal8Bit(error.c_str());
    }
    platform::IdentifyOpenFile(fd, identity);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return file.errorString();
    }
    return {};
}

bool SamePath(const QString& a, const QString& b) {
    return !a.isEmpty() && QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

}  // namespace

CDocument::CDocument(QObject* parent) : QObject(parent), m_title(QString::fromLatin1(kUntitled)) {}

CDocument::~CDocument() = default;

bool CDocument::OnNewDocument() {
    DeleteContents();
    SetPathName(QString());
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnOpenDocument(const QString& path) {
    // The wait cursor shows while the file is read; the failure messages come after it.
    QFile file;
    platform::FileIdentity identity;
    QString openError;
    bool read = false;
    QString error;
    if (const QString undone = UndoUnfinishedChange(path); !undone.isEmpty()) {
        ReportFailure(QStringLiteral("Cannot open \"%1\": %2.").arg(path, undone));
        return false;
    }
    {
        const CWaitCursor wait;
        openError = OpenRegularFile(path, file, &identity);
        if (openError.isEmpty()) {
            DeleteContents();
            SetModifiedFlag(true);  // dirty while reading: a failed read leaves a half-read one
            read = ReadFromDevice(&file, &error);
        }
    }
    if (!openError.isEmpty()) {
        ReportFailure(QStringLiteral("Cannot open \"%1\": %2.").arg(path, openError));
        return false;
    }
    if (!read) {
        ReportFailure(error.isEmpty() ? QString::fromLatin1(kFailedToOpen) : error);
        return false;
    }
    RememberFile(path, identity);
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const QString& path) {
    // A program that holds the lock for its whole change has it already; anyone else takes it
    // for the time of the save, so that two saves never interleave.
    if (!(m_lock.Held() && SamePath(QFile::decodeName(m_lock.Path().c_str()), path))) {
        const platform::FileLock::Result locked =
            m_saveLock.Acquire(QFile::encodeName(path).toStdString(), m_lockWaitMs);
        if (locked == platform::FileLock::Result::Busy) {
            ReportFailure(
                QStringLiteral("Cannot save \"%1\": another program is changing it.").arg(path));
            return false;
        }
    }
    bool declined = false;
    QString failure = UndoUnfinishedChange(path);
    if (failure.isEmpty()) {
        failure = SaveLocked(path, &declined);
    } else {
        failure = QStringLiteral("Cannot save \"%1\": %2.").arg(path, failure);
    }
    m_saveLock.Release();
    if (declined) {
        return false;
    }
    if (!failure.isEmpty()) {
        ReportFailure(failure);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

QString CDocument::SaveLocked(const QString& path, bool* declined) {
    const QByteArray name = QFile::encodeName(path);
    platform::FileIdentity existing;
    switch (platform::InspectFile(name.constData(), &existing)) {
        case platform::FileKind::Other:
            // Writing "over" a pipe or a device would put a regular file in its place.
            return QStringLiteral("Cannot save \"%1\": not a regular file.").arg(path);
        case platform::FileKind::Regular:
            if (!ConfirmSave(path, existing, SamePath(m_knownPath, path))) {
                *declined = true;
                return {};
            }
            break;
        case platform::FileKind::Missing:
            break;
    }
    std::optional<QString> inPlace;
    QString failure;
    {
        const CWaitCursor wait;
        if (SamePath(m_knownPath, path)) {
            inPlace = SaveInPlace(path);
        }
        failure = inPlace ? *inPlace : WriteFile(path);
    }
    if (!inPlace && failure.isEmpty()) {
        OnFileWritten(path);
    }
    if (failure.isEmpty()) {
        platform::FileIdentity written;
        if (platform::InspectFile(name.constData(), &written) == platform::FileKind::Regular) {
            RememberFile(path, written);
        }
    }
    return failure;
}

bool CDocument::ConfirmSave(const QString& path, const platform::FileIdentity& existing,
                            bool ownFile) {
    if (!ownFile || existing == m_known) {
        return true;
    }
    const QString text =
        QString::fromLatin1(kChangedByAnotherProgram).arg(QFileInfo(path).fileName());
    return platform::ShowMessage(platform::MessageKind::CautiousQuestion, text.toStdString()) ==
           platform::Answer::Yes;
}

std::optional<QString> CDocument::SaveInPlace(const QString&) {
    return std::nullopt;
}

void CDocument::OnFileWritten(const QString&) {}

QString CDocument::UndoUnfinishedChange(const QString& path) {
    std::string error;
    if (platform::UndoUnfinishedChange(QFile::encodeName(path).toStdString(), HoldsLock(),
                                       m_lockWaitMs, &error)) {
        return {};
    }
    return QString::fromLocal8Bit(error.c_str());
}

void CDocument::RememberFile(const QString& path, const platform::FileIdentity& identity) {
    m_knownPath = QFileInfo(path).absoluteFilePath();
    m_known = identity;
}

bool CDocument::IsChangedOnDisk(platform::FileIdentity* now) const {
    if (m_path.isEmpty() || !SamePath(m_knownPath, m_path)) {
        return false;
    }
    platform::FileIdentity seen;
    const bool changed = platform::InspectFile(QFile::encodeName(m_path).constData(), &seen) ==
                             platform::FileKind::Regular &&
                         !(seen == m_known);
    if (now != nullptr) {
        *now = seen;
    }
    return changed;
}

platform::FileLock::Result CDocument::LockFile(const QString& path, int waitMs) {
    return m_lock.Acquire(QFile::encodeName(path).toStdString(), waitMs);
}

void CDocument::UnlockFile() {
    m_lock.Release();
}

QString CDocument::WriteFile(const QString& path) {
    // QSaveFile writes a temporary file beside the target and renames it over the target only
    // on commit, so every failure below leaves the old file (or no file) as it was. The direct
    // write fallback stays off for the same reason.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return QStringLiteral("Cannot save \"%1\": %2.").arg(path, file.errorString());
    }
    // The new file takes the place of the old one with its permissions and, where the user may
    // give it, its group.
    struct stat old {};
    if (::stat(QFile::encodeName(path).constData(), &old) == 0 && file.handle() >= 0) {
        // A user who is not a member of that group can't give it: the file then has the
        // user's own, as any new file would.
        static_cast<void>(::fchmod(file.handle(), old.st_mode & 07777) == 0);
        static_cast<void>(::fchown(file.handle(), static_cast<uid_t>(-1), old.st_gid) == 0);
    }
    QString error;
    if (!WriteToDevice(&file, &error)) {
        file.cancelWriting();
        return error.isEmpty() ? QString::fromLatin1(kFailedToSave) : error;
    }
    // The bytes reach the disk before the new file takes the old one's name. QSaveFile syncs
    // too, but goes on with the rename when the sync fails: that would report a save that a
    // power cut could still undo.
    if (!file.flush() || ::fsync(file.handle()) != 0) {
        const int reason = errno;
        file.cancelWriting();
        return QStringLiteral("Cannot save \"%1\": %2.")
            .arg(path, QString::fromLocal8Bit(std::strerror(reason)));
    }
    if (!file.commit()) {
        return QStringLiteral("Cannot save \"%1\": %2.").arg(path, file.errorString());
    }
    return {};
}

void CDocument::DeleteContents() {}

void CDocument::OnOpenEmptyFile() {}

bool CDocument::ReadFromDevice(QIODevice* device, QString* error) {
    CArchive ar(device, CArchive::load);
    if (ar.GetLength() != 0) {
        Serialize(ar);
    } else {
        OnOpenEmptyFile();
    }
    if (ar.Failed()) {
        *error = ar.ErrorText();
        return false;
    }
    return true;
}

bool CDocument::WriteToDevice(QIODevice* device, QString* error) {
    CArchive ar(device, CArchive::store);
    Serialize(ar);
    if (ar.Failed()) {
        *error = ar.ErrorText();
        return false;
    }
    return true;
}

void CDocument::SetModifiedFlag(bool modified) {
    if (m_modified != modified) {
        m_modified = modified;
        emit ModifiedChanged(modified);
    }
}

void CDocument::SetPathName(const QString& path) {
    if (path.isEmpty()) {
        m_path.clear();
        SetTitle(QString::fromLatin1(kUntitled));
        return;
    }
    const QFileInfo info(path);
    m_path = info.absoluteFilePath();
    SetTitle(info.fileName());
}

void CDocument::SetTitle(const QString& title) {
    if (m_title != title) {
        m_title = title;
        emit TitleChanged(title);
    }
}

bool CDocument::OpenDocumentFile(const QString& path, bool* contentsChanged) {
    const bool wasModified = IsModified();
    SetModifiedFlag(false);  // OnOpenDocument marks the document while it changes it
    const bool opened = OnOpenDocument(path);
    const bool changed = opened || IsModified();
    if (contentsChanged != nullptr) {
        *contentsChanged = changed;
    }
    if (!opened) {
        if (!changed) {
            // The file never opened: the document in memory is untouched.
            SetModifiedFlag(wasModified);
        } else {
            // A failed read left a half-read document: a new one replaces it.
            OnNewDocument();
        }
        return false;
    }
    SetPathName(path);
    return true;
}

bool CDocument::DoSave(const QString& path) {
    // A failed Save As leaves no file behind: QSaveFile creates the target only on commit.
    if (!OnSaveDocument(path)) {
        return false;
    }
    SetPathName(path);
    return true;
}

}  // namespace framework
