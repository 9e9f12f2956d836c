// A started application (no file argument) with every dialog seam scripted and settings in a
// folder of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>
#include <vector>

#include "app/brindle_app.h"
#include "app/main_frame.h"
#include "framework/command_target.h"
#include "image/brindle_doc.h"
#include "support/qt_printers.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_messages.h"
#include "support/temp_settings.h"

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_app = std::make_unique<CBrindleApp>();
        ASSERT_TRUE(m_app->InitInstance({QStringLiteral("brindle")}));
        m_frame = m_app->GetMainWnd();
        ASSERT_NE(m_frame, nullptr);
    }

    [[nodiscard]] CBrindleDoc& Doc() const { return m_app->GetDocument(); }

    // Makes the main window the active window, so that its keys reach it.
    void Activate() {
        QApplication::setActiveWindow(m_frame);
        m_frame->activateWindow();
        QApplication::processEvents();
    }

    testsupport::TempSettings m_settings;
    testsupport::ScriptedMessages m_messages;
    testsupport::ScriptedYesNoCancel m_questions;
    testsupport::ScriptedFileDialogs m_files;
    testsupport::ScriptedModal m_modal;
    std::unique_ptr<CBrindleApp> m_app;
    CMainFrame* m_frame = nullptr;
};

// A command target for routing tests: handles the given ids, records what ran, and enables
// them while `enabled` is set.
class ProbeTarget : public framework::CCmdTarget {
public:
    explicit ProbeTarget(const std::vector<int>& ids) {
        for (const int id : ids) {
            OnCommandId(id, &ProbeTarget::Run, &ProbeTarget::Update);
        }
    }

    bool enabled = true;
    std::vector<int> ran;

private:
    void Run(int id) { ran.push_back(id); }
    void Update(framework::CCmdUI* pCmdUI) { pCmdUI->Enable(enabled); }
};
