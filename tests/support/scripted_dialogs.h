// Scripts the framework's dialog seams for one test; each restores the previous handler on
// destruction.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "framework/widgets/dialog.h"
#include "framework/widgets/file_dialog.h"
#include "framework/widgets/message_boxes.h"

namespace testsupport {

// File dialogs: each answers with the next queued path, or Cancel once the queue is empty.
class ScriptedFileDialogs {
public:
    struct Shown {
        bool open;
        QString defaultExt;
        QString fileName;
        QString filter;
        // The window that owns the dialog; null for a dialog of its own.
        QWidget* owner;
    };

    ScriptedFileDialogs();
    ~ScriptedFileDialogs();
    ScriptedFileDialogs(const ScriptedFileDialogs&) = delete;
    ScriptedFileDialogs& operator=(const ScriptedFileDialogs&) = delete;

    void ChooseNext(const QString& path) { m_answers.push_back(path); }
    void CancelNext() { m_answers.push_back(QString()); }
    [[nodiscard]] const std::vector<Shown>& ShownDialogs() const { return m_shown; }

private:
    framework::FileDialogHandler m_previous;
    // A null path stands for Cancel.
    std::deque<QString> m_answers;
    std::vector<Shown> m_shown;
};

// Modal dialogs: the handler gets each initialised dialog and returns its result; by default
// every dialog is cancelled. The titles of the dialogs shown are recorded.
class ScriptedModal {
public:
    explicit ScriptedModal(std::function<int(framework::CDialog&)> handler = {});
    ~ScriptedModal();
    ScriptedModal(const ScriptedModal&) = delete;
    ScriptedModal& operator=(const ScriptedModal&) = delete;

    [[nodiscard]] const QStringList& Titles() const { return m_titles; }
    // The window that owns each dialog shown, in order; null for a dialog of its own.
    [[nodiscard]] const std::vector<QWidget*>& Owners() const { return m_owners; }

private:
    framework::ModalHandler m_previous;
    std::function<int(framework::CDialog&)> m_handler;
    QStringList m_titles;
    std::vector<QWidget*> m_owners;
};

// The Yes/No/Cancel question: answers from a queue, Cancel once it is empty.
class ScriptedYesNoCancel {
public:
    ScriptedYesNoCancel();
    ~ScriptedYesNoCancel();
    ScriptedYesNoCancel(const ScriptedYesNoCancel&) = delete;
    ScriptedYesNoCancel& operator=(const ScriptedYesNoCancel&) = delete;

    void AnswerNext(framework::YesNoCancel answer) { m_answers.push_back(answer); }
    [[nodiscard]] const QStringList& Questions() const { return m_questions; }

private:
    framework::YesNoCancelHandler m_previous;
    std::deque<framework::YesNoCancel> m_answers;
    QStringList m_questions;
};

}  // namespace testsupport
