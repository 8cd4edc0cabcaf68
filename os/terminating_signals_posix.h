// Clean-up that must happen even when a signal ends the process.
#pragma once

namespace Velotrax::os {

// Runs `hook` when SIGINT, SIGTERM, SIGHUP or SIGQUIT arrives, before the process ends with that
// signal's default action. The hook must be async-signal-safe. Signals the process was started
// ignoring stay ignored. Registering the same hook again has no effect.
void runOnTerminatingSignal(void (*hook)());

}  // namespace Velotrax::os
