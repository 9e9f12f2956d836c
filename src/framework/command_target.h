// Commands are ids from one table (command_ids.h) bound to member functions. Each class that
// handles commands keeps its handler and its update rule side by side in its own command map;
// the router offers a command to the targets on its route, and the first that knows the id
// runs it or reports its state. A command that no target knows is disabled.
#pragma once

#include <functional>
#include <map>
#include <utility>

namespace framework {

// The state an update rule reports for one command.
class CCmdUI {
public:
    explicit CCmdUI(int id) : m_nID(id) {}

    void Enable(bool on = true) { m_enabled = on; }
    void SetCheck(int check = 1) { m_checked = check != 0; }
    // A radio mark shows as a check mark.
    void SetRadio(bool on = true) { m_checked = on; }

    [[nodiscard]] int GetID() const { return m_nID; }
    [[nodiscard]] bool IsEnabled() const { return m_enabled; }
    [[nodiscard]] bool IsChecked() const { return m_checked; }

private:
    int m_nID;
    bool m_enabled = true;
    bool m_checked = false;
};

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // True when this target knows the id. With ui it fills the state (enabled unless the
    // update rule says otherwise); without ui it runs the handler.
    bool OnCmdMsg(int id, CCmdUI* ui);

protected:
    template <class T>
    void OnCommand(int id, void (T::*handler)(), void (T::*update)(CCmdUI*) = nullptr) {
        T* self = static_cast<T*>(this);
        Entry entry;
        entry.handler = [self, handler] { (self->*handler)(); };
        if (update != nullptr) {
            entry.update = [self, update](CCmdUI* ui) { (self->*update)(ui); };
        }
        m_commandMap[id] = std::move(entry);
    }

    // For handlers that serve several ids and are told which one ran.
    template <class T>
    void OnCommandId(int id, void (T::*handler)(int), void (T::*update)(CCmdUI*) = nullptr) {
        T* self = static_cast<T*>(this);
        Entry entry;
        entry.handler = [self, handler, id] { (self->*handler)(id); };
        if (update != nullptr) {
            entry.update = [self, update](CCmdUI* ui) { (self->*update)(ui); };
        }
        m_commandMap[id] = std::move(entry);
    }

private:
    struct Entry {
        std::function<void()> handler;
        std::function<void(CCmdUI*)> update;
    };
    std::map<int, Entry> m_commandMap;
};

}  // namespace framework
