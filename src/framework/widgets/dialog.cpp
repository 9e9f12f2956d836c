#include "framework/widgets/dialog.h"

#include <QLineEdit>
#include <utility>

namespace framework {

namespace {
ModalHandler& CurrentModalHandler() {
    static ModalHandler handler;
    return handler;
}
}  // namespace

ModalHandler SetModalHandler(ModalHandler handler) {
    return std::exchange(CurrentModalHandler(), std::move(handler));
}

void CDataExchange::Fail(QWidget* control) {
    m_failed = true;
    if (control != nullptr) {
        control->setFocus(Qt::OtherFocusReason);
    }
    // The whole text is selected, so that typing replaces what failed.
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->selectAll();
    }
}

CDialog::CDialog(QWidget* parent) : QDialog(parent) {}

int CDialog::DoModal() {
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    if (const ModalHandler& handler = CurrentModalHandler()) {
        return handler(*this);
    }
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::OnOK() {
    if (UpdateData(true)) {
        EndDialog(IDOK);
    }
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange&) {}

void CDialog::EndDialog(int result) {
    setResult(result == IDOK ? QDialog::Accepted : QDialog::Rejected);
    if (result == IDOK) {
        QDialog::accept();
    } else {
        QDialog::reject();
    }
}

}  // namespace framework
