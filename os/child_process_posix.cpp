#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "child_process.h"
#include "event_native_posix.h"
#include "spawn_posix.h"
#include "terminating_signals_posix.h"

namespace Velotrax::os {

namespace {

// The running child's process group, for the signal hook; 0 when there is none.
std::atomic<pid_t> childGroup{0};

// A signal that ends the runner ends the child too: it is not in the terminal's foreground group
// and would not get the terminal's signals itself.
void killChildOnSignal() {
  const pid_t group = childGroup.load();
  if (group > 0) ::kill(-group, SIGKILL);
}

// The terminal whose foreground job this process is, or -1: the child takes that place while it
// runs, so it may read the terminal, and write to it under "stty tostop", without being stopped.
int foregroundTerminal() {
  for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
    if (isatty(fd) == 1 && tcgetpgrp(fd) == getpgrp()) return fd;
  return -1;
}

// While the child is the terminal's foreground job, this process is a background one: SIGTTOU is
// ignored so its own messages (a watcher's) are still written, and so it can take the terminal
// back. The child is started with SIGTTOU as it was.
class TerminalHandOver {
 public:
  explicit TerminalHandOver(int terminal) : terminal_(terminal) {
    if (terminal_ < 0) return;
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGTTOU, &ignore, &previous_);
  }
  ~TerminalHandOver() {
    if (terminal_ < 0) return;
    tcsetpgrp(terminal_, getpgrp());
    sigaction(SIGTTOU, &previous_, nullptr);
  }
  TerminalHandOver(const TerminalHandOver&) = delete;
  TerminalHandOver& operator=(const TerminalHandOver&) = delete;

 private:
  int terminal_;
  struct sigaction previous_ {};
};

// The terminal's foreground job from its start, before it can touch the terminal: the child
// takes the terminal for its new group itself (with its signals still blocked, so it is not
// stopped for asking as a background job).
class SpawnActions {
 public:
  explicit SpawnActions(int terminal) {
    posix_spawn_file_actions_init(&actions_);
    if (terminal >= 0) posix_spawn_file_actions_addtcsetpgrp_np(&actions_, terminal);
  }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
  const posix_spawn_file_actions_t* get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

OsResult<pid_t> startChild(int terminal) {
  std::vector<std::string> arguments = ownArguments();
  if (arguments.empty()) return OsFailure{kStartChildStep, ENOENT, "no command line to repeat"};
  std::vector<std::string> variables = childEnvironment();
  std::vector<char*> argv = pointers(arguments), envp = pointers(variables);

  SignalBlock blocked;
  SpawnAttributes attributes(blocked.previous());
  SpawnActions actions(terminal);
  pid_t child = 0;
  if (const int error = posix_spawn(&child, "/proc/self/exe", actions.get(), attributes.get(),
                                    argv.data(), envp.data()))
    return OsFailure{kStartChildStep, error, errorText(error)};
  childGroup.store(child);
  return child;
}

// Waits until the child ends (true) or `change` is signalled (false).
OsResult<bool> waitForEndOrChange(pid_t child, Event* change) {
  UniqueFd process;
  int ended = -1;
  if (pidfdAvailable()) {
    // Readable when the child ends, before it is reaped.
    process = UniqueFd(openPidfd(child));
    ended = process.get();
  } else {
    ended = childSignalPipe();
  }
  if (ended < 0) return lastFailure(pidfdAvailable() ? "pidfd_open" : "pipe2");
  pollfd ready[2] = {{ended, POLLIN, 0}, {change ? change->native().fd.get() : -1, POLLIN, 0}};
  for (;;) {
    // A signal from before the wait is caught by this look.
    if (!process && hasEnded(child)) return true;
    int result;
    do result = ::poll(ready, change ? 2 : 1, -1);
    while (result < 0 && errno == EINTR);
    if (result < 0) return lastFailure("poll");
    if (ready[0].revents & POLLIN) {
      if (process) return true;
      drain(ended);  // some child ended: the loop looks whether it was this one
    }
    if (change && (ready[1].revents & POLLIN)) return false;
  }
}

}  // namespace

const char* const kStartChildStep = "posix_spawn";
const char* const kKillChildStep = "kill";

OsResult<ChildOutcome> runSelfAsChild(Event* change) {
  runOnTerminatingSignal(killChildOnSignal);
  if (!pidfdAvailable()) childSignalPipe();  // the handler is in place before the child starts
  const int terminal = foregroundTerminal();
  const TerminalHandOver handOver(terminal);
  const OsResult<pid_t> started = startChild(terminal);
  if (!started) return started.failure();
  const pid_t child = *started;

  ChildOutcome outcome;
  const OsResult<bool> endedByItself = waitForEndOrChange(child, change);
  if (!endedByItself) {
    killGroup(child);
    reapStatus(child);
    childGroup.store(0);
    return endedByItself.failure();
  }
  if (*endedByItself) {
    // What it left running in its group goes with it.
    killGroup(child);
    const int status = reapStatus(child);
    outcome = {ChildOutcome::End::exited, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
  } else {
    change->native().consume();
    if (!killGroup(child)) {
      const OsFailure failure = lastFailure(kKillChildStep);
      childGroup.store(0);
      return failure;
    }
    reapStatus(child);  // only once it is gone does the next run start: never two on one console
    outcome = {ChildOutcome::End::killed, 0};
  }
  childGroup.store(0);
  return outcome;
}

void followParent() {
  const char* expected = std::getenv(kParentVariable);
  if (!expected || !*expected) return;
  // Killed with its parent, also when the parent is killed outright; and if the parent is gone
  // already (this process then belongs to another), it ends at once.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (std::to_string(getppid()) != expected) ::raise(SIGKILL);
}

}  // namespace Velotrax::os
