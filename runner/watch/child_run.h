// One run of the script in a child copy of the runner.
#pragma once

namespace Velotrax {

class WatchState;

// Runs the script in a child process and waits for it, or, in watch mode (`watch` given), until
// the pass's change event is signalled, which kills the child. True when the child ended with
// status 0 or was killed on a change. The pass's event is used up. When the child cannot be
// started, awaited or killed, throws std::runtime_error saying so.
bool runInChildProcess(WatchState* watch);

}  // namespace Velotrax
