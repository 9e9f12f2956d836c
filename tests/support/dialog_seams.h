// A fixture for dialog tests: settings in a folder of the test's own, recorded message boxes,
// and modal and file dialogs scripted instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "framework/widgets/dialog.h"
#include "framework/widgets/file_dialog.h"
#include "support/scripted_messages.h"
#include "support/temp_settings.h"

class DialogSeamsTest : public ::testing::Test {
protected:
    void TearDown() override {
        framework::SetModalHandler(nullptr);
        framework::SetFileDialogHandler(nullptr);
    }

    // Runs dialog modally; script acts in place of the user and returns the dialog's result.
    template <class Dialog>
    int Run(Dialog& dialog, const std::function<int(Dialog&)>& script) {
        framework::SetModalHandler(
            [&script](framework::CDialog& shown) { return script(static_cast<Dialog&>(shown)); });
        const int result = dialog.DoModal();
        framework::SetModalHandler(nullptr);
        return result;
    }

    // Every file dialog answers path (nothing: Cancel) and is recorded.
    void ChooseFile(std::optional<QString> path) {
        framework::SetFileDialogHandler([this, path](const framework::CFileDialog& dialog) {
            m_fileDialogs.push_back(
                {dialog.IsOpenDialog(), dialog.GetDefaultExt(), dialog.GetFilter()});
            return path;
        });
    }

    struct FileDialogSeen {
        bool open;
        QString defaultExt;
        QString filter;
    };

    testsupport::TempSettings m_settings;
    testsupport::ScriptedMessages m_messages;
    std::vector<FileDialogSeen> m_fileDialogs;
};

// The dialog's OK as the user presses it.
template <class Dialog>
int PressOk(Dialog& dialog) {
    dialog.OnOK();
    return dialog.GetResult();
}
