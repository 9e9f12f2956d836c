#include "framework/command_target.h"

namespace framework {

bool CCmdTarget::OnCmdMsg(int id, CCmdUI* ui) {
    const auto it = m_commandMap.find(id);
    if (it == m_commandMap.end()) {
        return false;
    }
    if (ui != nullptr) {
        ui->Enable(true);
        if (it->second.update) {
            it->second.update(ui);
        }
    } else {
        it->second.handler();
    }
    return true;
}

}  // namespace framework
