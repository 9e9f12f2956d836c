#include "framework/command_router.h"

namespace framework {

namespace {
CCmdTarget* FindTarget(const CommandRoute& route, CCmdUI& ui) {
    for (CCmdTarget* target : route) {
        if (target != nullptr && target->OnCmdMsg(ui.GetID(), &ui)) {
            return target;
        }
    }
    return nullptr;
}
}  // namespace

bool RouteUpdate(const CommandRoute& route, CCmdUI& ui) {
    if (FindTarget(route, ui) != nullptr) {
        return true;
    }
    ui.Enable(false);
    return false;
}

bool RouteCommand(const CommandRoute& route, int id) {
    CCmdUI ui(id);
    CCmdTarget* target = FindTarget(route, ui);
    if (target == nullptr || !ui.IsEnabled()) {
        return false;
    }
    return target->OnCmdMsg(id, nullptr);
}

}  // namespace framework
