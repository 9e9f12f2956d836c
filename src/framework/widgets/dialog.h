// Modal dialogs with field exchange and validation, run through a process-wide seam so that
// tests script them instead of blocking on them.
#pragma once

#include <QDialog>
#include <functional>

namespace framework {

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

class CDialog;

// Carries the direction of one exchange between members and controls and whether a field has
// failed its validation (then the remaining fields are skipped).
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, bool saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;

    // Reports a failed field: the framework's message was shown; focus goes to the control,
    // with all of an edit's text selected.
    void Fail(QWidget* control);
    [[nodiscard]] bool Failed() const { return m_failed; }

private:
    bool m_failed = false;
};

class CDialog : public QDialog {
    Q_OBJECT
public:
    explicit CDialog(QWidget* parent = nullptr);

    // Runs the dialog modally and returns IDOK or IDCANCEL.
    int DoModal();

    // Fills the controls from the members (saveAndValidate false) or reads and checks them.
    bool UpdateData(bool saveAndValidate = true);

    // Called once before the dialog shows: the default fills the controls from the members.
    virtual bool OnInitDialog();
    // OK: read and check the fields; close with IDOK when they all pass.
    virtual void OnOK();
    virtual void OnCancel();

    // IDOK once OnOK has closed the dialog, else IDCANCEL (for modal handlers).
    [[nodiscard]] int GetResult() const { return result() == QDialog::Accepted ? IDOK : IDCANCEL; }

protected:
    virtual void DoDataExchange(CDataExchange& dx);

    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }
    void EndDialog(int result);

private:
    bool m_initialised = false;
};

// The seam: a handler receives the initialised dialog and returns its result instead of the
// dialog running its own event loop. Tests install one that fills controls, calls OnOK() and
// returns GetResult(), or returns IDCANCEL.
using ModalHandler = std::function<int(CDialog& dialog)>;
ModalHandler SetModalHandler(ModalHandler handler);

}  // namespace framework
