// Runs a copy of this program as a child process, for one run of the script.
#pragma once

namespace Velotrax::os {

class Event;

struct ChildOutcome {
  enum class End { exited, killed, waitFailed };
  End end = End::waitFailed;
  int exitCode = -1;  // meaningful for End::exited
};

// Starts this program's own executable with the same command line and environment plus
// VELOTRAX_IS_SLAVE=1, on the same console (as its foreground job, where there are jobs) and in
// the same directory, and waits until it ends
// or `change` (when given) is signalled. On a change the child is killed together with whatever
// it started, and the call returns only when the child has ended. Failures to start or to kill
// are std::runtime_error.
ChildOutcome runSelfAsChild(Event* change);

// In the child: makes sure it does not outlive the runner that started it, even when that one is
// killed outright. Where the system does that for the child's whole job already, nothing to do.
void followParent();

}  // namespace Velotrax::os
