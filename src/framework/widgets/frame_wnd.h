// The frame window base: it owns the route of every command (active view, document, frame,
// application), binds actions and keys to command ids, and refreshes the actions' states in
// one pass. Views never call the frame for states: they ask for a pass with
// RequestCommandUpdate(this) when their selection changes; focus changes, opening a menu and
// the end of every click or key press in the window trigger one on their own.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <map>

#include "framework/command_router.h"
#include "framework/command_target.h"

class QAction;
class QToolBar;

namespace framework {

class CDocument;

class CFrameWnd : public QMainWindow, public CCmdTarget {
    Q_OBJECT
public:
    explicit CFrameWnd(QWidget* parent = nullptr);
    ~CFrameWnd() override;

    void SetDocument(CDocument* document) { m_document = document; }
    [[nodiscard]] CDocument* GetDocument() const { return m_document; }
    // The last target of the route.
    void SetAppTarget(CCmdTarget* app) { m_app = app; }

    // A splitter pane that can be the active view. The first pane added is active until
    // another one gets the focus.
    void AddPane(QWidget* pane, CCmdTarget* target);
    [[nodiscard]] QWidget* GetActivePane() const;
    void SetActivePane(QWidget* pane);
    [[nodiscard]] CommandRoute GetRoute() const;

    // Triggering the action runs the command; update passes set its enabled and check state.
    void BindAction(QAction* action, int id);
    // A key that runs id whatever the state of its action shows; the route decides.
    void BindKey(const QKeySequence& key, int id);
    [[nodiscard]] QAction* GetCommandAction(int id) const;
    [[nodiscard]] QList<QKeySequence> GetCommandKeys(int id) const;

    // Runs id if a target on the route enables it; true when a handler ran. Every command,
    // from a menu, the toolbar or a key, first ends the edits in place of the panes.
    bool ExecuteCommand(int id);
    // Stores the text of every editor open in place in an item view of a pane, as Enter does,
    // and closes the editor. A command may free what the edited item stands for, and an editor
    // left open would store into it when it loses the focus.
    void EndInPlaceEdits();
    // The state of id as the route reports it (disabled when no target knows it).
    [[nodiscard]] CCmdUI QueryCommand(int id) const;
    // One pass over every bound action.
    void UpdateCommandUI();
    // An update pass on the next turn of the event loop; repeated requests make one pass.
    void RequestCommandUpdate();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The toolbar that the show-toolbar command hides and shows.
    void SetToolBar(QToolBar* toolBar) { m_toolBar = toolBar; }

private:
    void OnFocusChanged(QWidget* now);
    void ActivatePane(int offset);
    void OnNextPane();
    void OnPrevPane();
    void OnBarCheck(int id);
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);

    struct Pane {
        QWidget* widget;
        CCmdTarget* target;
    };
    QList<Pane> m_panes;
    int m_activePane = -1;
    CDocument* m_document = nullptr;
    CCmdTarget* m_app = nullptr;
    QToolBar* m_toolBar = nullptr;
    std::map<int, QAction*> m_actions;
    std::map<int, QList<QKeySequence>> m_keys;
    bool m_updatePending = false;
};

// For views: asks the frame that holds widget for an update pass (after a selection change,
// for example). Does nothing when widget isn't inside a frame.
void RequestCommandUpdate(QWidget* widget);

}  // namespace framework
