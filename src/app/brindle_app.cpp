#include "app/brindle_app.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <string_view>
#include <utility>

#include "app/about_dlg.h"
#include "app/main_frame.h"
#include "app/resources.h"
#include "app/shell_open.h"
#include "dialogs/boot_dlg.h"
#include "framework/command_ids.h"
#include "framework/settings.h"
#include "framework/widgets/file_dialog.h"
#include "framework/widgets/message_boxes.h"
#include "framework/widgets/wait_cursor.h"
#include "image/brindle_doc.h"
#include "platform/file_lock.h"
#include "platform/message_box.h"

namespace {

constexpr char kImageFilter[] = "Tarrow Image Files (*.trw)|*.trw|All Files (*.*)|*.*||";
constexpr char kImageExtension[] = ".trw";
constexpr int kRecentFileDisplayLength = 30;
// How long a handed-over file waits for an open dialog to close before it tries again.
constexpr int kShellRetryMs = 250;
constexpr char kReloadQuestion[] = "%1 was changed by another program. Reload it?";

// The program's command line: its options and the image it may name.
struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption version = parser.addVersionOption();
    QCommandLineOption shellOpen{
        QString::fromLatin1(shellopen::kSwitch),
        QStringLiteral("Hand the file to Brindle when it already runs on this display.")};

    CommandLine() {
        parser.setApplicationDescription(QStringLiteral("Builds and edits Tarrow images."));
        parser.addOption(shellOpen);
        parser.addPositionalArgument(QStringLiteral("file"),
                                     QStringLiteral("The Tarrow image (.trw) to open."),
                                     QStringLiteral("[file]"));
    }

    // Answers --help and --version on standard output; false for a command line that asks for
    // the window.
    bool AnswerInText(int* exitCode) {
        if (parser.isSet(help)) {
            std::fputs(qPrintable(parser.helpText()), stdout);
        } else if (parser.isSet(version)) {
            std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                        qPrintable(QCoreApplication::applicationVersion()));
        } else {
            return false;
        }
        *exitCode = 0;
        return true;
    }
};

void NameTheProgram() {
    QCoreApplication::setApplicationName(QString::fromLatin1(kAppTitle));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRINDLE_VERSION));
}

// --help and --version need no window system: asked for, they are answered before one is
// opened, so they work over ssh and in scripts without a display.
bool AsksOnlyForText(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") {
            return false;
        }
        if (argument == "--help" || argument == "-h" || argument == "-?" ||
            argument == "--help-all" || argument == "--version" || argument == "-v") {
            return true;
        }
    }
    return false;
}

}  // namespace

CBrindleApp::CBrindleApp()
    : m_doc(std::make_unique<CBrindleDoc>()),
      m_recent(QStringLiteral("Recent File List"), QStringLiteral("File"), cmd::kFileMruCount,
               kRecentFileDisplayLength) {
    m_doc->SetDeferredReading(true);
    OnCommand(cmd::kFileNew, &CBrindleApp::OnFileNew);
    OnCommand(cmd::kFileOpen, &CBrindleApp::OnFileOpen);
    OnCommand(cmd::kFileSave, &CBrindleApp::OnFileSave);
    OnCommand(cmd::kFileSaveAs, &CBrindleApp::OnFileSaveAs);
    for (int i = 0; i < cmd::kFileMruCount; ++i) {
        OnCommandId(cmd::kFileMruFirst + i, &CBrindleApp::OnOpenRecentFile,
                    &CBrindleApp::OnUpdateRecentFileMenu);
    }
    OnCommand(cmd::kAppExit, &CBrindleApp::OnAppExit);
    OnCommand(cmd::kAppAbout, &CBrindleApp::OnAppAbout);
    OnCommand(cmd::kBootTemplate, &CBrindleApp::OnBootTemplate);
    connect(&m_fileWatch, &CFileWatch::Changed, this, &CBrindleApp::CheckFileChanged);
}

CBrindleApp::~CBrindleApp() = default;

int CBrindleApp::Run(int argc, char* argv[]) {
    if (AsksOnlyForText(argc, argv)) {
        const QCoreApplication textOnly(argc, argv);
        NameTheProgram();
        CommandLine line;
        int exitCode = 1;
        if (!line.parser.parse(QCoreApplication::arguments())) {
            std::fprintf(stderr, "%s\n", qPrintable(line.parser.errorText()));
            return exitCode;
        }
        line.AnswerInText(&exitCode);
        return exitCode;
    }
    QApplication qtApp(argc, argv);
    NameTheProgram();
    QApplication::setWindowIcon(AppIcon());
    framework::InstallMessageBoxes();
    framework::InstallWaitCursor();

    CBrindleApp app;
    app.SetShellOpenName(shellopen::SocketName());
    if (!app.InitInstance(QApplication::arguments())) {
        return app.GetExitCode();
    }
    return QApplication::exec();
}

bool CBrindleApp::InitInstance(const QStringList& arguments) {
    LoadStdProfileSettings();

    CommandLine line;
    QCommandLineParser& parser = line.parser;
    if (!parser.parse(arguments)) {
        platform::ShowMessage(platform::MessageKind::Stop, parser.errorText().toStdString());
        m_exitCode = 1;
        return false;
    }
    if (line.AnswerInText(&m_exitCode)) {
        return false;
    }

    const QStringList files = parser.positionalArguments();
    const QString path =
        files.isEmpty() ? QString() : QFileInfo(files.constFirst()).absoluteFilePath();
    if (!path.isEmpty() && parser.isSet(line.shellOpen) && !m_shellOpenName.isEmpty() &&
        shellopen::SendPath(m_shellOpenName, path)) {
        m_exitCode = 0;
        return false;
    }
    // From here on this is the program others hand their files to. It listens before its first
    // message box can show, so a file handed over meanwhile waits for the window instead of
    // starting a second one.
    StartShellOpenServer();

    // The first image is made before the main window exists, so its runs show no progress.
    if (files.isEmpty()) {
        if (!m_doc->OnNewDocument()) {
            m_exitCode = 1;
            return false;
        }
    } else {
        // Not the open flow of a running program: a failed read ends the program here, so
        // there is no point in making a new image to replace the half-read one.
        if (!m_doc->OnOpenDocument(path)) {
            m_exitCode = 1;
            return false;
        }
        m_doc->SetPathName(path);
        m_recent.Add(path);
    }

    m_pMainWnd = std::make_unique<CMainFrame>(*this, *m_doc);
    framework::SetMessageBoxOwner(m_pMainWnd.get());
    m_pMainWnd->InitialUpdateFrame();
    m_pMainWnd->show();
    m_pMainWnd->update();
    WatchDocumentFile();
    // Files handed over while the program started open now, in the order they came.
    OpenShellRequests();
    return true;
}

void CBrindleApp::StartShellOpenServer() {
    if (m_shellOpenName.isEmpty()) {
        return;
    }
    auto* server = new shellopen::CServer(this);
    connect(server, &shellopen::CServer::PathReceived, this, [this](const QString& path) {
        m_shellRequests.append(path);
        OpenShellRequests();
    });
    if (!server->Listen(m_shellOpenName)) {
        delete server;
    }
}

void CBrindleApp::OpenShellRequests() {
    if (QApplication::activeModalWidget() != nullptr) {
        if (!m_shellRetryPending) {
            m_shellRetryPending = true;
            QTimer::singleShot(kShellRetryMs, this, [this] {
                m_shellRetryPending = false;
                OpenShellRequests();
            });
        }
        return;
    }
    while (!m_shellRequests.isEmpty() && m_pMainWnd) {
        OpenDocumentFile(m_shellRequests.takeFirst());
        m_pMainWnd->setWindowState(m_pMainWnd->windowState() & ~Qt::WindowMinimized);
        m_pMainWnd->show();
        m_pMainWnd->raise();
        m_pMainWnd->activateWindow();
    }
}

void CBrindleApp::LoadStdProfileSettings() {
    m_recent.ReadList();
    m_nPreviewPages =
        framework::GetProfileInt(QStringLiteral("Settings"), QStringLiteral("PreviewPages"), 0);
}

void CBrindleApp::SaveStdProfileSettings() {
    m_recent.WriteList();
}

bool CBrindleApp::SaveModified() {
    // A name still being typed in place belongs to this image: it is stored now, so that the
    // question knows of it and the editor can't write into a disk the next image has dropped.
    if (m_pMainWnd) {
        m_pMainWnd->EndInPlaceEdits();
    }
    if (!m_doc->IsModified()) {
        return true;
    }
    switch (
        framework::AskYesNoCancel(QStringLiteral("Save changes to %1?").arg(m_doc->GetTitle()))) {
        case framework::YesNoCancel::Yes:
            return DoFileSave();
        case framework::YesNoCancel::No:
            return true;
        case framework::YesNoCancel::Cancel:
            break;
    }
    return false;
}

bool CBrindleApp::OpenDocumentFile(const QString& path) {
    return SaveModified() && OpenFile(path);
}

bool CBrindleApp::OpenFile(const QString& path) {
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    bool changed = false;
    const bool opened = m_doc->OpenDocumentFile(fullPath, &changed);
    if (opened) {
        m_recent.Add(fullPath);
    }
    // A failed read has replaced the disks too (with a new image), so the views rebuild after
    // every read; a file that never opened leaves the image, and so the views, as they were.
    if (changed) {
        WatchDocumentFile();
        if (m_pMainWnd) {
            m_pMainWnd->InitialUpdateFrame();
        }
    }
    return opened;
}

void CBrindleApp::WatchDocumentFile() {
    m_fileWatch.Watch(m_doc->GetPathName());
}

void CBrindleApp::CheckFileChanged() {
    // The image's own saves leave nothing to ask about: the document knows what it wrote.
    platform::FileIdentity now;
    if (!m_doc->IsChangedOnDisk(&now) || now == m_declinedChange) {
        return;
    }
    const QString path = m_doc->GetPathName();
    // The command that opened the dialog still runs on this image.
    if (QApplication::activeModalWidget() != nullptr) {
        m_fileWatch.RetryLater();
        return;
    }
    // The question takes the focus, and a name being typed in place would be stored then: it is
    // stored first. An image with changes of its own is not thrown away unasked; its save
    // question covers the other program's change.
    if (m_pMainWnd) {
        m_pMainWnd->EndInPlaceEdits();
    }
    if (m_doc->IsModified()) {
        return;
    }
    const QString question = QString::fromLatin1(kReloadQuestion).arg(m_doc->GetTitle());
    if (platform::ShowMessage(platform::MessageKind::Question, question.toStdString()) !=
        platform::Answer::Yes) {
        m_declinedChange = now;
        return;
    }
    // The file's disks are the image itself, not more disks for it: merge mode stays out of it.
    const bool merge = std::exchange(m_doc->m_bMergeMode, false);
    OpenFile(path);
    m_doc->m_bMergeMode = merge;
}

bool CBrindleApp::DoFileSave() {
    const QString path = m_doc->GetPathName();
    const QFileInfo info(path);
    if (path.isEmpty() || (info.exists() && !info.isWritable())) {
        return DoSave(QString());
    }
    return DoSave(path);
}

bool CBrindleApp::DoSave(const QString& path) {
    QString target = path;
    if (target.isEmpty()) {
        QString proposed = m_doc->GetPathName();
        if (proposed.isEmpty()) {
            proposed = m_doc->GetTitle() + QString::fromLatin1(kImageExtension);
        }
        framework::CFileDialog dlg(false, QString::fromLatin1(kImageExtension), proposed,
                                   framework::OFN_HIDEREADONLY | framework::OFN_OVERWRITEPROMPT,
                                   QString::fromLatin1(kImageFilter), m_pMainWnd.get());
        if (dlg.DoModal() != framework::IDOK) {
            return false;
        }
        target = dlg.GetPathName();
    }
    const bool saved = m_doc->DoSave(target);
    if (saved) {
        m_recent.Add(target);
        WatchDocumentFile();
    }
    return saved;
}

void CBrindleApp::OnFileNew() {
    if (!SaveModified()) {
        return;
    }
    m_doc->OnNewDocument();
    WatchDocumentFile();
    if (m_pMainWnd) {
        m_pMainWnd->InitialUpdateFrame();
    }
}

void CBrindleApp::OnFileOpen() {
    framework::CFileDialog dlg(true, QString::fromLatin1(kImageExtension), QString(),
                               framework::OFN_HIDEREADONLY, QString::fromLatin1(kImageFilter),
                               m_pMainWnd.get());
    if (dlg.DoModal() == framework::IDOK) {
        OpenDocumentFile(dlg.GetPathName());
    }
}

void CBrindleApp::OnFileSave() {
    DoFileSave();
}

void CBrindleApp::OnFileSaveAs() {
    DoSave(QString());
}

void CBrindleApp::OnOpenRecentFile(int id) {
    const int index = id - cmd::kFileMruFirst;
    const QString path = m_recent.GetPath(index);
    if (path.isEmpty() || !SaveModified()) {
        return;
    }
    // A file that can't be opened any more leaves the list.
    if (!OpenFile(path)) {
        m_recent.Remove(index);
    }
}

void CBrindleApp::OnUpdateRecentFileMenu(framework::CCmdUI* pCmdUI) {
    pCmdUI->Enable(pCmdUI->GetID() - cmd::kFileMruFirst < m_recent.Count());
}

void CBrindleApp::OnAppExit() {
    if (m_pMainWnd) {
        m_pMainWnd->close();
    }
}

// The boot template belongs to the image's settings; the dialog stores its choice itself and
// takes effect at the next new image. The document can't show windows, so the application
// answers for it (the route reaches the application with or without a view).
void CBrindleApp::OnBootTemplate() {
    RunBootTemplateDialog(m_pMainWnd.get());
}

void CBrindleApp::OnAppAbout() {
    CAboutDlg dlg(m_pMainWnd.get());
    dlg.DoModal();
}
