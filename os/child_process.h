// Runs a copy of this program as a child process, for one run of the script.
#pragma once

#include "system_error.h"

namespace Velotrax::os {

class Event;

struct ChildOutcome {
  // waitFailed: the end was not seen (Windows only; POSIX reports that as a failure).
  enum class End { exited, killed, waitFailed };
  End end = End::waitFailed;
  int exitCode = -1;  // meaningful for End::exited
};

// The calls a failure of runSelfAsChild names as its step when the child could not be started
// (posix_spawn, CreateProcess) or killed (kill, TerminateProcess). Any other step is a wait for
// the child that failed; the child is gone then too.
extern const char* const kStartChildStep;
extern const char* const kKillChildStep;

// Starts this program's own executable with the same command line and environment plus
// VELOTRAX_IS_SLAVE=1, on the same console (as its foreground job, where there are jobs) and in
// the same directory, and waits until it ends
// or `change` (when given) is signalled. On a change the child is killed together with whatever
// it started, and the call returns only when the child has ended.
OsResult<ChildOutcome> runSelfAsChild(Event* change);

// In the child: makes sure it does not outlive the runner that started it, even when that one is
// killed outright. Where the system does that for the child's whole job already, nothing to do.
void followParent();

}  // namespace Velotrax::os
