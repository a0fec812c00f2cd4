#pragma once

#include "wizard/UpdateServer.h"

namespace ambrin::wizard {

// Asks the update server's probe page; 1 only when the answer's body is "invalid mode",
// 0 for anything else (no name, no connection, another answer). Blocks for at most a few
// seconds; safe from any thread.
int probeUpdateServer(const UpdateServer& server);

}  // namespace ambrin::wizard
