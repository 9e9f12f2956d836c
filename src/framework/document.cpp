#include "framework/document.h"

namespace framework {

CDocument::CDocument(QObject* parent) : QObject(parent), m_title(QStringLiteral("Untitled")) {}

CDocument::~CDocument() = default;

bool CDocument::OnNewDocument() {
    return true;
}

bool CDocument::OnOpenDocument(const QString&) {
    return false;
}

bool CDocument::OnSaveDocument(const QString&) {
    return false;
}

void CDocument::DeleteContents() {}

void CDocument::SetModifiedFlag(bool modified) {
    if (m_modified != modified) {
        m_modified = modified;
        emit ModifiedChanged(modified);
    }
}

void CDocument::SetPathName(const QString& path) {
    m_path = path;
}

void CDocument::SetTitle(const QString& title) {
    m_title = title;
    emit TitleChanged(title);
}

bool CDocument::OpenDocumentFile(const QString&) {
    return false;
}

bool CDocument::DoSave(const QString&) {
    return false;
}

}  // namespace framework
