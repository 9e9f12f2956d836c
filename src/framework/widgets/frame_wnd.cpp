#include "framework/widgets/frame_wnd.h"

#include <QAbstractItemDelegate>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "framework/command_ids.h"
#include "framework/document.h"

namespace framework {

CFrameWnd::CFrameWnd(QWidget* parent) : QMainWindow(parent) {
    OnCommand(cmd::kNextPane, &CFrameWnd::OnNextPane);
    OnCommand(cmd::kPrevPane, &CFrameWnd::OnPrevPane);
    OnCommandId(cmd::kViewToolbar, &CFrameWnd::OnBarCheck, &CFrameWnd::OnUpdateControlBarMenu);
    OnCommandId(cmd::kViewStatusBar, &CFrameWnd::OnBarCheck, &CFrameWnd::OnUpdateControlBarMenu);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
    qApp->installEventFilter(this);
}

bool CFrameWnd::eventFilter(QObject* watched, QEvent* event) {
    // Whatever a click or a key changed (a selection, say), the toolbar shows it right after,
    // even where a view didn't ask for a pass.
    if (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::KeyRelease) {
        if (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this) {
            RequestCommandUpdate();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

CFrameWnd::~CFrameWnd() {
    // The panes go with the QWidget part of this window, after this part is gone: the focus
    // moves and keys and clicks still arrive then, and must not reach a half-destroyed frame.
    qApp->removeEventFilter(this);
    disconnect(qApp, nullptr, this, nullptr);
}

void CFrameWnd::AddPane(QWidget* pane, CCmdTarget* target) {
    m_panes.append({pane, target});
    if (m_activePane < 0) {
        m_activePane = 0;
    }
}

QWidget* CFrameWnd::GetActivePane() const {
    return m_activePane < 0 ? nullptr : m_panes[m_activePane].widget;
}

void CFrameWnd::SetActivePane(QWidget* pane) {
    for (int i = 0; i < m_panes.size(); ++i) {
        if (m_panes[i].widget == pane && i != m_activePane) {
            m_activePane = i;
            RequestCommandUpdate();
        }
    }
}

CommandRoute CFrameWnd::GetRoute() const {
    CCmdTarget* view = m_activePane < 0 ? nullptr : m_panes[m_activePane].target;
    return {view, m_document, const_cast<CFrameWnd*>(this), m_app};
}

void CFrameWnd::BindAction(QAction* action, int id) {
    m_actions[id] = action;
    connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
}

void CFrameWnd::BindKey(const QKeySequence& key, int id) {
    m_keys[id].append(key);
    auto* shortcut = new QShortcut(key, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, id] { ExecuteCommand(id); });
}

QAction* CFrameWnd::GetCommandAction(int id) const {
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

QList<QKeySequence> CFrameWnd::GetCommandKeys(int id) const {
    const auto it = m_keys.find(id);
    return it == m_keys.end() ? QList<QKeySequence>() : it->second;
}

namespace {

// The editor open in place in view: the one on its current item, or a widget on its viewport
// that the view knows as the editor of the item under it.
QWidget* InPlaceEditor(QAbstractItemView* view) {
    if (QWidget* editor = view->indexWidget(view->currentIndex())) {
        return editor;
    }
    for (QWidget* child : view->viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QModelIndex index = view->indexAt(child->geometry().center());
        if (child->isVisible() && index.isValid() && view->indexWidget(index) == child) {
            return child;
        }
    }
    return nullptr;
}

void EndInPlaceEdit(QAbstractItemView* view) {
    QWidget* editor = InPlaceEditor(view);
    QAbstractItemDelegate* delegate = view->itemDelegate();
    if (editor == nullptr || delegate == nullptr) {
        return;
    }
    // What the delegate itself does on Enter: store, then close.
    emit delegate->commitData(editor);
    emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
}

}  // namespace

void CFrameWnd::EndInPlaceEdits() {
    for (const Pane& pane : std::as_const(m_panes)) {
        if (auto* view = qobject_cast<QAbstractItemView*>(pane.widget)) {
            EndInPlaceEdit(view);
        }
        for (QAbstractItemView* view : pane.widget->findChildren<QAbstractItemView*>()) {
            EndInPlaceEdit(view);
        }
    }
}

bool CFrameWnd::ExecuteCommand(int id) {
    EndInPlaceEdits();
    const bool ran = RouteCommand(GetRoute(), id);
    // A checkable action toggled itself when triggered; the pass puts back what the route says.
    UpdateCommandUI();
    return ran;
}

CCmdUI CFrameWnd::QueryCommand(int id) const {
    CCmdUI ui(id);
    RouteUpdate(GetRoute(), ui);
    return ui;
}

void CFrameWnd::UpdateCommandUI() {
    m_updatePending = false;
    for (const auto& [id, action] : m_actions) {
        const CCmdUI ui = QueryCommand(id);
        action->setEnabled(ui.IsEnabled());
        // Only a marked entry is checkable, so unmarked entries show no empty box.
        if (ui.IsChecked()) {
            action->setCheckable(true);
            action->setChecked(true);
        } else {
            action->setChecked(false);
            action->setCheckable(false);
        }
    }
}

void CFrameWnd::RequestCommandUpdate() {
    if (!m_updatePending) {
        m_updatePending = true;
        QTimer::singleShot(0, this, [this] {
            if (m_updatePending) {
                UpdateCommandUI();
            }
        });
    }
}

void CFrameWnd::OnFocusChanged(QWidget* now) {
    for (const Pane& pane : std::as_const(m_panes)) {
        if (now != nullptr && (pane.widget == now || pane.widget->isAncestorOf(now))) {
            SetActivePane(pane.widget);
            return;
        }
    }
}

void CFrameWnd::ActivatePane(int offset) {
    if (m_panes.isEmpty()) {
        return;
    }
    const int count = static_cast<int>(m_panes.size());
    QWidget* pane = m_panes[(m_activePane + offset + count) % count].widget;
    pane->setFocus(Qt::TabFocusReason);
    // Set it here too: focus doesn't move while the window is inactive.
    SetActivePane(pane);
}

void CFrameWnd::OnNextPane() {
    ActivatePane(1);
}

void CFrameWnd::OnPrevPane() {
    ActivatePane(-1);
}

void CFrameWnd::OnBarCheck(int id) {
    QWidget* bar = id == cmd::kViewToolbar ? static_cast<QWidget*>(m_toolBar) : statusBar();
    if (bar != nullptr) {
        bar->setVisible(bar->isHidden());
    }
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI) {
    const QWidget* bar =
        pCmdUI->GetID() == cmd::kViewToolbar ? static_cast<QWidget*>(m_toolBar) : statusBar();
    pCmdUI->Enable(bar != nullptr);
    pCmdUI->SetCheck(bar != nullptr && !bar->isHidden());
}

void RequestCommandUpdate(QWidget* widget) {
    if (widget == nullptr) {
        return;
    }
    if (auto* frame = qobject_cast<CFrameWnd*>(widget->window())) {
        frame->RequestCommandUpdate();
    }
}

}  // namespace framework
