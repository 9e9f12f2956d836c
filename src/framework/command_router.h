// The route of a command: the targets it is offered to, in order (active view, document,
// frame, application). The first target that knows the id decides; the others never see it.
#pragma once

#include <vector>

#include "framework/command_target.h"

namespace framework {

// Null entries are skipped, so a route can name a target that doesn't exist yet.
using CommandRoute = std::vector<CCmdTarget*>;

// Fills ui from the first target that knows its id. False when none does: the command is then
// unavailable and ui is left disabled.
bool RouteUpdate(const CommandRoute& route, CCmdUI& ui);

// Runs the command on the first target that knows it, but only when its update rule still
// enables it: a key or a button can fire after the state shown to the user went stale.
// True when a handler ran.
bool RouteCommand(const CommandRoute& route, int id);

}  // namespace framework
