#include "app/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QShowEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <algorithm>

#include "app/brindle_app.h"
#include "app/command_table.h"
#include "app/resources.h"
#include "app/view_questions.h"
#include "app/window_state.h"
#include "content/file_content.h"
#include "framework/command_ids.h"
#include "image/brindle_doc.h"
#include "list/brindle_view.h"
#include "tree/left_view.h"
#include "viewer/file_viewer.h"

namespace {

const QString kIdleProgress(20, '-');
constexpr char kReady[] = "Ready";
constexpr unsigned kLastStep = 10;

// One "=" at position 2 * (step - 1) of 19 hyphens; step 0 is the idle text.
QString ProgressText(unsigned step) {
    if (step == 0) {
        return kIdleProgress;
    }
    QString text(19, '-');
    text[2 * (step - 1)] = '=';
    return text;
}

// Dropped files are only read, so the program they come from must keep them: a drop of local
// files is always taken as a copy, whatever action the source proposed, and a source that
// offers only a move is refused.
bool AcceptAsCopy(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!event->possibleActions().testFlag(Qt::CopyAction) ||
        std::none_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); })) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

}  // namespace

CMainFrame::CMainFrame(CBrindleApp& app, CBrindleDoc& document) : m_app(app), m_doc(document) {
    SetDocument(&document);
    SetAppTarget(&app);
    for (int id = cmd::kViewSmallIcon; id <= cmd::kViewByName; ++id) {
        OnCommandId(id, &CMainFrame::OnViewStyle, &CMainFrame::OnUpdateViewStyles);
    }

    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateSplitter();
    for (const CommandInfo& info : CommandTable()) {
        for (const char* key : info.keys) {
            if (key != nullptr) {
                BindKey(QKeySequence(QString::fromLatin1(key), QKeySequence::PortableText),
                        info.id);
            }
        }
    }

    setWindowIcon(AppIcon());
    setAcceptDrops(true);
    resize(FirstWindowSize(*this));
    RestoreWindowPlace(*this);
    connect(&document, &framework::CDocument::TitleChanged, this, &CMainFrame::OnUpdateFrameTitle);
    connect(&document, &framework::CDocument::ModifiedChanged, this,
            [this] { RequestCommandUpdate(); });
    OnUpdateFrameTitle();
    framework::SetProgressSink(this);
    UpdateCommandUI();
}

CMainFrame::~CMainFrame() {
    framework::ProgressSink* previous = framework::SetProgressSink(nullptr);
    if (previous != this) {
        framework::SetProgressSink(previous);
    }
}

QAction* CMainFrame::CommandAction(int id) {
    if (QAction* action = GetCommandAction(id)) {
        return action;
    }
    const CommandInfo* info = FindCommand(id);
    auto* action = new QAction(this);
    if (info != nullptr) {
        // Entries without a menu (toolbar buttons) are named by their tool tip.
        action->setText(info->text != nullptr ? QString::fromUtf8(info->text) : ToolTip(*info));
        action->setStatusTip(StatusPrompt(*info));
        if (const QString tip = ToolTip(*info); !tip.isEmpty()) {
            action->setToolTip(tip);
        }
    }
    action->setIcon(CommandIcon(id));
    BindAction(action, id);
    return action;
}

void CMainFrame::CreateMenus() {
    QMenu* menu = nullptr;
    for (const CommandInfo& info : CommandTable()) {
        if (info.menu == nullptr) {
            continue;
        }
        const QString title = QString::fromUtf8(info.menu);
        if (menu == nullptr || menu->title() != title) {
            menu = menuBar()->addMenu(title);
            connect(menu, &QMenu::aboutToShow, this, [this] {
                UpdateRecentFileMenu();
                UpdateCommandUI();
            });
        }
        if (info.id == 0) {
            menu->addSeparator();
            continue;
        }
        menu->addAction(CommandAction(info.id));
        if (info.id == cmd::kFileMruFirst) {
            // The placeholder is the first of the recent-file entries; the others follow it.
            m_recentFileActions.append(GetCommandAction(info.id));
            for (int i = 1; i < cmd::kFileMruCount; ++i) {
                QAction* action = CommandAction(cmd::kFileMruFirst + i);
                action->setStatusTip(QString::fromLatin1(kRecentFilePrompt));
                action->setVisible(false);
                menu->addAction(action);
                m_recentFileActions.append(action);
            }
        }
    }
}

void CMainFrame::UpdateRecentFileMenu() {
    const framework::CRecentFileList& recent = m_app.GetRecentFileList();
    for (int i = 0; i < m_recentFileActions.size(); ++i) {
        QAction* action = m_recentFileActions[i];
        if (i < recent.Count()) {
            QString name = recent.GetDisplayName(i);
            name.replace('&', QStringLiteral("&&"));
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
            action->setVisible(true);
        } else {
            action->setText(QString::fromLatin1(kRecentFilePlaceholder));
            // An empty list still shows the greyed placeholder.
            action->setVisible(i == 0);
        }
    }
}

void CMainFrame::CreateToolBar() {
    m_wndToolBar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_wndToolBar->setObjectName(QStringLiteral("toolBar"));
    m_wndToolBar->setIconSize(QSize(16, 15));
    m_wndToolBar->setMovable(true);
    m_wndToolBar->setFloatable(true);
    m_wndToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    for (const int id : ToolBarLayout()) {
        if (id == 0) {
            m_wndToolBar->addSeparator();
        } else {
            m_wndToolBar->addAction(CommandAction(id));
        }
    }
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
    SetToolBar(m_wndToolBar);
}

void CMainFrame::CreateStatusBar() {
    m_wndStatusBar = statusBar();
    const QString texts[kPaneCount] = {QString::fromLatin1(kReady), kIdleProgress,
                                       QStringLiteral("CAP"), QStringLiteral("NUM"),
                                       QStringLiteral("SCRL")};
    for (int i = 0; i < kPaneCount; ++i) {
        auto* pane = new QLabel(texts[i], m_wndStatusBar);
        m_panes.append(pane);
        if (i == kMessagePane) {
            m_wndStatusBar->addWidget(pane, 1);
            continue;
        }
        // Fixed widths, so that a running progress doesn't make the bar jump.
        pane->setAlignment(Qt::AlignCenter);
        pane->setFixedWidth(pane->fontMetrics().horizontalAdvance(texts[i]) + 12);
        // The state of the lock keys can't be read portably; their panes show greyed.
        pane->setEnabled(i == kProgressPane);
        m_wndStatusBar->addPermanentWidget(pane);
    }
}

void CMainFrame::CreateSplitter() {
    m_wndSplitter = new QSplitter(Qt::Horizontal, this);
    m_treeView = new CLeftView(m_wndSplitter);
    m_listView = new CBrindleView(m_wndSplitter);
    m_wndSplitter->addWidget(m_treeView);
    m_wndSplitter->addWidget(m_listView);
    // The tree keeps its width when the window is resized; the list takes the rest.
    m_wndSplitter->setStretchFactor(0, 0);
    m_wndSplitter->setStretchFactor(1, 1);
    setCentralWidget(m_wndSplitter);

    m_treeView->SetDocument(&m_doc);
    m_listView->SetDocument(&m_doc);
    m_treeView->SetQuestions(TreeQuestions());
    m_listView->SetQuestions(ListQuestions());
    // The views meet only here: the list shows whatever the tree selected.
    connect(m_treeView, &CLeftView::ItemSelected, m_listView, &CBrindleView::ShowItem);
    connect(m_listView, &CBrindleView::FileActivated, this, &CMainFrame::OpenFileViewer);
    AddPane(m_treeView, m_treeView);
    AddPane(m_listView, m_listView);
}

void CMainFrame::showEvent(QShowEvent* event) {
    CFrameWnd::showEvent(event);
    if (!m_splitterPlaced) {
        // Only now does the splitter know its width; sizes given earlier would be scaled.
        m_splitterPlaced = true;
        if (!RestoreWindowPanes(*this)) {
            const int rest = m_wndSplitter->width() - m_wndSplitter->handleWidth() - kTreeWidth;
            m_wndSplitter->setSizes({kTreeWidth, std::max(rest, 0)});
        }
        m_treeView->setFocus(Qt::OtherFocusReason);
    }
}

CBrindleView* CMainFrame::GetListView() const {
    return qobject_cast<CBrindleView*>(m_wndSplitter->widget(1));
}

CLeftView* CMainFrame::GetTreeView() const {
    return m_treeView;
}

QString CMainFrame::GetPaneText(int index) const {
    return index >= 0 && index < m_panes.size() ? m_panes[index]->text() : QString();
}

void CMainFrame::SetPaneText(int index, const QString& text) {
    QLabel* pane = m_panes[index];
    if (pane->text() == text) {
        return;
    }
    pane->setText(text);
    // The document's runs don't return to the event loop until they end.
    pane->repaint();
}

void CMainFrame::BeginProgress(const QString& text) {
    // A prompt left by the menu or toolbar would cover the text of the run.
    m_wndStatusBar->clearMessage();
    SetPaneText(kMessagePane, text);
    SetPaneText(kProgressPane, kIdleProgress);
}

void CMainFrame::SetProgress(unsigned step) {
    if (step <= kLastStep) {
        SetPaneText(kProgressPane, ProgressText(step));
    }
}

void CMainFrame::EndProgress() {
    SetPaneText(kMessagePane, QString::fromLatin1(kReady));
    SetPaneText(kProgressPane, kIdleProgress);
}

void CMainFrame::InitialUpdateFrame() {
    m_listView->OnInitialUpdate();
    m_treeView->OnInitialUpdate();
    RequestCommandUpdate();
}

void CMainFrame::OnUpdateFrameTitle() {
    setWindowTitle(m_doc.GetTitle() + QStringLiteral(" - ") + QString::fromLatin1(kAppTitle));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!m_app.SaveModified()) {
        event->ignore();
        return;
    }
    m_app.SaveStdProfileSettings();
    SaveWindowState(*this);
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    AcceptAsCopy(event);
}

// Every move over the window answers again: the source shows (and on Shift would switch to) a
// move unless told otherwise each time.
void CMainFrame::dragMoveEvent(QDragMoveEvent* event) {
    AcceptAsCopy(event);
}

void CMainFrame::dropEvent(QDropEvent* event) {
    if (!AcceptAsCopy(event)) {
        return;
    }
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    // Open after the drop has finished, so the program the files came from isn't kept waiting.
    QTimer::singleShot(0, this, [this, paths] { OnDropFiles(paths); });
}

void CMainFrame::OnDropFiles(const QStringList& paths) {
    for (const QString& path : paths) {
        m_app.OpenDocumentFile(path);
    }
}

void CMainFrame::OpenFileViewer(const ItemInfo& item) {
    char name[CMdosDisk::kEntryNameSize + 1];
    item.disk->GetEntryName(item.dirEntry, name, sizeof name);
    // The viewer reads its copy now; later changes of the disk don't reach it.
    auto* viewer = new CFileViewer(content::ReadFile(*item.disk, item.dirEntry),
                                   QString::fromLatin1(name), this);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->show();
    viewer->activateWindow();
}

void CMainFrame::OnViewStyle(int id) {
    CBrindleView* list = GetListView();
    if (list == nullptr) {
        return;
    }
    switch (id) {
        case cmd::kViewSmallIcon:
            list->SetListStyle(CBrindleView::ListStyle::SmallIcon);
            break;
        case cmd::kViewLargeIcon:
            list->SetListStyle(CBrindleView::ListStyle::LargeIcon);
            break;
        case cmd::kViewList:
            list->SetListStyle(CBrindleView::ListStyle::List);
            break;
        case cmd::kViewDetails:
            list->SetListStyle(CBrindleView::ListStyle::Details);
            break;
        case cmd::kViewLineUp:
            list->ArrangeIcons();
            break;
        default:
            break;
    }
}

void CMainFrame::OnUpdateViewStyles(framework::CCmdUI* pCmdUI) {
    const CBrindleView* list = GetListView();
    if (list == nullptr) {
        pCmdUI->Enable(false);
        return;
    }
    using Style = CBrindleView::ListStyle;
    const Style style = list->GetListStyle();
    switch (pCmdUI->GetID()) {
        case cmd::kViewSmallIcon:
            pCmdUI->SetRadio(style == Style::SmallIcon);
            break;
        case cmd::kViewLargeIcon:
            pCmdUI->SetRadio(style == Style::LargeIcon);
            break;
        case cmd::kViewList:
            pCmdUI->SetRadio(style == Style::List);
            break;
        case cmd::kViewDetails:
            pCmdUI->SetRadio(style == Style::Details);
            break;
        case cmd::kViewLineUp:
            pCmdUI->Enable(style == Style::LargeIcon || style == Style::SmallIcon);
            break;
        default:
            break;
    }
}
