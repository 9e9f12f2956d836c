// The application object: start-up (settings, command line, the first image, the main window),
// the document flows of the GUI (New, Open, Save, Save As, recent files, the save question, the
// offer to reload a file another program changed) and the commands the application handles. One
// exists for the whole run.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "app/file_watch.h"
#include "framework/command_target.h"
#include "framework/recent_file_list.h"
#include "platform/file_lock.h"

class CBrindleDoc;
class CMainFrame;

// Names the settings key, ends the caption and appears in the about box.
inline constexpr char kAppTitle[] = "Brindle";

class CBrindleApp : public QObject, public framework::CCmdTarget {
    Q_OBJECT
public:
    CBrindleApp();
    ~CBrindleApp() override;

    // The whole program: Qt's application object, real message boxes, start-up and the event
    // loop. Returns the exit code.
    static int Run(int argc, char* argv[]);

    // Start-up once Qt's application object exists. Without a file argument the image is new
    // (with its boot disk); with one that image is opened. False when the program must end
    // without a window; GetExitCode() then tells with which code.
    bool InitInstance(const QStringList& arguments);
    [[nodiscard]] int GetExitCode() const { return m_exitCode; }

    // Stores the recent-file list (when the main window closes).
    void SaveStdProfileSettings();

    [[nodiscard]] CMainFrame* GetMainWnd() const { return m_pMainWnd.get(); }
    [[nodiscard]] CBrindleDoc& GetDocument() const { return *m_doc; }
    [[nodiscard]] const framework::CRecentFileList& GetRecentFileList() const { return m_recent; }
    // Read at start from "Settings"; nothing else uses it.
    [[nodiscard]] int GetPreviewPages() const { return m_nPreviewPages; }

    // Asks "Save changes to <title>?" when the image is modified, after storing a label still
    // being edited in place. False when the user chose Cancel or the save failed: the caller
    // stops.
    bool SaveModified();
    // Opens path like a file chosen with Open (a dropped file, a recent file): asks to save
    // first, honours merge mode, gives the views their initial update.
    bool OpenDocumentFile(const QString& path);

    // The socket on which the desktop's open requests meet (shell_open.h). Set before
    // InitInstance; while it is empty, as in tests, no file is handed over or taken.
    void SetShellOpenName(const QString& name) { m_shellOpenName = name; }

    // When another program changed the image's file and the image has no changes of its own,
    // asks whether to reload it; Yes reads the file anew, No keeps the image and is remembered
    // until the file changes again. The watch on the file calls it once a burst of changes is
    // over; it waits while a dialog or message box is open.
    void CheckFileChanged();

private:
    void LoadStdProfileSettings();
    // Listens for the desktop's open requests, unless another instance already does.
    void StartShellOpenServer();
    // Opens the files the desktop handed over, each like "Open ...", and brings the window to
    // the front. Waits while a dialog or message box is open: its command is still running.
    void OpenShellRequests();
    // The open itself, without the save question.
    bool OpenFile(const QString& path);
    // Saves to the document's path, or asks for one when there is none or it is read-only.
    bool DoFileSave();
    // Saves to path; an empty path asks for one with the image filter.
    bool DoSave(const QString& path);
    // Points the watch at the document's file, after every change of the file the image stands
    // for.
    void WatchDocumentFile();

    void OnFileNew();
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnOpenRecentFile(int id);
    void OnUpdateRecentFileMenu(framework::CCmdUI* pCmdUI);
    void OnAppExit();
    void OnAppAbout();
    void OnBootTemplate();

    // Declared before the frame, which borrows it, so that it is destroyed after the frame.
    std::unique_ptr<CBrindleDoc> m_doc;
    std::unique_ptr<CMainFrame> m_pMainWnd;
    framework::CRecentFileList m_recent;
    int m_nPreviewPages = 0;
    int m_exitCode = 0;
    QString m_shellOpenName;
    QStringList m_shellRequests;
    bool m_shellRetryPending = false;
    CFileWatch m_fileWatch;
    // What the file was when the user declined to reload it: asked again once it is not.
    std::optional<platform::FileIdentity> m_declinedChange;
};
