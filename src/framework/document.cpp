#include "framework/document.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "framework/archive.h"
#include "framework/wait_cursor.h"
#include "platform/message_box.h"

namespace framework {

namespace {
void ReportFailure(const QString& text) {
    platform::ShowMessage(platform::MessageKind::Stop, text.toStdString());
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
    QFile file(path);
    bool opened = false;
    bool read = false;
    QString error;
    {
        const CWaitCursor wait;
        opened = file.open(QIODevice::ReadOnly);
        if (opened) {
            DeleteContents();
            SetModifiedFlag(true);  // dirty while reading: a failed read leaves a half-read one
            read = ReadFromDevice(&file, &error);
        }
    }
    if (!opened) {
        ReportFailure(QStringLiteral("Cannot open \"%1\": %2.").arg(path, file.errorString()));
        return false;
    }
    if (!read) {
        ReportFailure(error.isEmpty() ? QString::fromLatin1(kFailedToOpen) : error);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const QString& path) {
    QString failure;
    {
        const CWaitCursor wait;
        failure = WriteFile(path);
    }
    if (!failure.isEmpty()) {
        ReportFailure(failure);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

QString CDocument::WriteFile(const QString& path) {
    // QSaveFile writes a temporary file beside the target and renames it over the target only
    // on commit, so every failure below leaves the old file (or no file) as it was. The direct
    // write fallback stays off for the same reason.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return QStringLiteral("Cannot save \"%1\": %2.").arg(path, file.errorString());
    }
    QString error;
    if (!WriteToDevice(&file, &error)) {
        file.cancelWriting();
        return error.isEmpty() ? QString::fromLatin1(kFailedToSave) : error;
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
