#include "child_run.h"

#include "os/child_process.h"
#include "watch_state.h"

namespace Velotrax {

bool runInChildProcess(WatchState* watch) {
  const os::ChildOutcome outcome = os::runSelfAsChild(watch ? watch->event() : nullptr);
  if (watch) watch->closeEvent();
  switch (outcome.end) {
    case os::ChildOutcome::End::exited:
      return outcome.exitCode == 0;
    case os::ChildOutcome::End::killed:
      return true;
    case os::ChildOutcome::End::waitFailed:
      break;
  }
  return false;
}

}  // namespace Velotrax
