// One run of the script in a child copy of the runner.
#pragma once

#include <string>

#include "os/system_error.h"

namespace Velotrax {

class WatchState;

// Runs the script in a child process and waits for it, or, in watch mode (`watch` given), until
// the pass's change event is signalled, which kills the child. True when the child ended with
// status 0 or was killed on a change. The pass's event is used up. When the child cannot be
// started, awaited or killed, throws std::runtime_error with childFailureText.
bool runInChildProcess(WatchState* watch);

// What the user reads when the child process could not be started, awaited or killed.
std::string childFailureText(const os::OsFailure& failure);

}  // namespace Velotrax
