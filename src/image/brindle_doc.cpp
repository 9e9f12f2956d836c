#include "image/brindle_doc.h"

#include "framework/command_ids.h"

CBrindleDoc::CBrindleDoc(QObject* parent) : CDocument(parent) {
    OnCommand(cmd::kMergeMode, &CBrindleDoc::OnMergeMode, &CBrindleDoc::OnUpdateMergeMode);
}

CBrindleDoc::~CBrindleDoc() = default;

bool CBrindleDoc::OnNewDocument() {
    return CDocument::OnNewDocument();
}

void CBrindleDoc::Serialize(framework::CArchive&) {}

void CBrindleDoc::AddDisksFromFile(int, const QString&) {}

void CBrindleDoc::AddFormattedDisks(int, int, int, const QString&) {}

void CBrindleDoc::RemoveDisk(int) {}

void CBrindleDoc::DropAllDisks() {}

void CBrindleDoc::OnMergeMode() {
    m_bMergeMode = !m_bMergeMode;
}

void CBrindleDoc::OnUpdateMergeMode(framework::CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(m_bMergeMode);
}
