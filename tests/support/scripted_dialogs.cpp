#include "support/scripted_dialogs.h"

#include <utility>

namespace testsupport {

ScriptedFileDialogs::ScriptedFileDialogs()
    : m_previous(framework::SetFileDialogHandler(
          [this](const framework::CFileDialog& dialog) -> std::optional<QString> {
              QWidget* parent = dialog.GetParent();
              m_shown.push_back({dialog.IsOpenDialog(), dialog.GetDefaultExt(),
                                 dialog.GetDefaultFileName(), dialog.GetFilter(),
                                 parent != nullptr ? parent->window() : nullptr});
              if (m_answers.empty()) {
                  return std::nullopt;
              }
              const QString answer = m_answers.front();
              m_answers.pop_front();
              if (answer.isNull()) {
                  return std::nullopt;
              }
              return answer;
          })) {}

ScriptedFileDialogs::~ScriptedFileDialogs() {
    framework::SetFileDialogHandler(std::move(m_previous));
}

ScriptedModal::ScriptedModal(std::function<int(framework::CDialog&)> handler)
    : m_previous(framework::SetModalHandler([this](framework::CDialog& dialog) {
          m_titles.append(dialog.windowTitle());
          QWidget* parent = dialog.parentWidget();
          m_owners.push_back(parent != nullptr ? parent->window() : nullptr);
          return m_handler ? m_handler(dialog) : framework::IDCANCEL;
      })),
      m_handler(std::move(handler)) {}

ScriptedModal::~ScriptedModal() {
    framework::SetModalHandler(std::move(m_previous));
}

ScriptedYesNoCancel::ScriptedYesNoCancel()
    : m_previous(framework::SetYesNoCancelHandler([this](const QString& text) {
          m_questions.append(text);
          if (m_answers.empty()) {
              return framework::YesNoCancel::Cancel;
          }
          const framework::YesNoCancel answer = m_answers.front();
          m_answers.pop_front();
          return answer;
      })) {}

ScriptedYesNoCancel::~ScriptedYesNoCancel() {
    framework::SetYesNoCancelHandler(std::move(m_previous));
}

}  // namespace testsupport
