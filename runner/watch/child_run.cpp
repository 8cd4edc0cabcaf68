#include "child_run.h"

#include <stdexcept>
#include <string>

#include "os/child_process.h"
#include "watch_state.h"

namespace Velotrax {

bool runInChildProcess(WatchState* watch) {
  const os::OsResult<os::ChildOutcome> outcome =
      os::runSelfAsChild(watch ? watch->event() : nullptr);
  if (!outcome) throw std::runtime_error(childFailureText(outcome.failure()));
  if (watch) watch->closeEvent();
  switch (outcome->end) {
    case os::ChildOutcome::End::exited:
      return outcome->exitCode == 0;
    case os::ChildOutcome::End::killed:
      return true;
    case os::ChildOutcome::End::waitFailed:
      break;
  }
  return false;
}

std::string childFailureText(const os::OsFailure& failure) {
  if (failure.step == os::kStartChildStep)
    return "could not launch Velotrax slave process using " + failure.step + "().";
  if (failure.step == os::kKillChildStep)
    return "could not terminate Velotrax slave process using " + failure.step + "().";
  return "could not wait for Velotrax slave process.";
}

}  // namespace Velotrax
