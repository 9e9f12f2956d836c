#include "image/brindle_doc.h"

CBrindleDoc::CBrindleDoc(QObject* parent) : CDocument(parent) {}

CBrindleDoc::~CBrindleDoc() = default;

bool CBrindleDoc::OnNewDocument() {
    return CDocument::OnNewDocument();
}

void CBrindleDoc::Serialize(framework::CArchive&) {}

void CBrindleDoc::AddDisksFromFile(int, const QString&) {}

void CBrindleDoc::AddFormattedDisks(int, int, int, const QString&) {}

void CBrindleDoc::RemoveDisk(int) {}

void CBrindleDoc::DropAllDisks() {}
