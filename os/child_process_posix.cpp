#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "child_process.h"
#include "event_native_posix.h"
#include "terminating_signals_posix.h"

extern char** environ;

namespace Velotrax::os {

namespace {

constexpr const char* kMarker = "VELOTRAX_IS_SLAVE=";
// The parent's process id, so the child can tell whether its parent is still the one that
// started it.
constexpr const char* kParent = "VELOTRAX_PARENT_PID";

// The running child's process group, for the signal hook; 0 when there is none.
std::atomic<pid_t> childGroup{0};

// A signal that ends the runner ends the child too: it is not in the terminal's foreground group
// and would not get the terminal's signals itself.
void killChildOnSignal() {
  const pid_t group = childGroup.load();
  if (group > 0) ::kill(-group, SIGKILL);
}

// The command line this process was started with, argument by argument.
std::vector<std::string> ownArguments() {
  std::ifstream file("/proc/self/cmdline", std::ios::binary);
  const std::string all{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  std::vector<std::string> arguments;
  for (size_t start = 0; start < all.size();) {
    const size_t end = all.find('\0', start);
    arguments.push_back(all.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return arguments;
}

bool startsWith(const char* entry, const std::string& prefix) {
  return std::strncmp(entry, prefix.c_str(), prefix.size()) == 0;
}

// This process's environment with the child marker set to "1" and this process as the parent.
std::vector<std::string> childEnvironment() {
  const std::string parent = std::string(kParent) + "=";
  std::vector<std::string> variables;
  for (char** entry = environ; *entry; ++entry)
    if (!startsWith(*entry, kMarker) && !startsWith(*entry, parent)) variables.emplace_back(*entry);
  variables.push_back(std::string(kMarker) + "1");
  variables.push_back(parent + std::to_string(getpid()));
  return variables;
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

// Where pidfd_open is refused (kernels before 5.3, seccomp filters), the end of a child is heard
// through SIGCHLD, which a handler turns into a byte in this pipe: as prompt, and polled the same
// way. Set up once, before the first such child is started. Its ends stay open while the process
// lives, as the handler may write at any moment: their owner is never destroyed.
struct ChildSignalPipe {
  UniqueFd readEnd, writeEnd;
};
std::atomic<int> childSignalWriteEnd{-1};

void onChildSignal(int) {
  const int savedErrno = errno;
  const char byte = 0;
  [[maybe_unused]] const ssize_t written = ::write(childSignalWriteEnd.load(), &byte, 1);
  errno = savedErrno;
}

bool pidfdAvailable() {
  static const bool available = [] {
    const UniqueFd own(static_cast<int>(::syscall(SYS_pidfd_open, getpid(), 0)));
    return static_cast<bool>(own);
  }();
  return available;
}

// The descriptor that becomes readable when children end, for the SIGCHLD fallback; -1 when
// none can be made.
int childSignalPipe() {
  static const int readEnd = [] {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
    // Kept for the process's life, and reachable, as the handler may write at any moment.
    static const ChildSignalPipe* const pipe =
        new ChildSignalPipe{UniqueFd(ends[0]), UniqueFd(ends[1])};
    childSignalWriteEnd.store(pipe->writeEnd.get());
    struct sigaction action {};
    action.sa_handler = onChildSignal;
    action.sa_flags = SA_RESTART | SA_NOCLDSTOP;
    sigemptyset(&action.sa_mask);
    sigaction(SIGCHLD, &action, nullptr);
    return pipe->readEnd.get();
  }();
  return readEnd;
}

// Whether the child has ended, leaving it unreaped (its group can still be killed safely).
bool hasEnded(pid_t child) {
  siginfo_t info{};
  return ::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == child;
}

void drain(int fd) {
  char bytes[64];
  while (::read(fd, bytes, sizeof bytes) > 0) {
  }
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> result;
  for (std::string& text : texts) result.push_back(text.data());
  result.push_back(nullptr);
  return result;
}

// The child's group gets SIGKILL: the child and whatever it started in its group.
bool killGroup(pid_t child) {
  return ::kill(-child, SIGKILL) == 0 || errno == ESRCH;
}

// Reaps the child; its exit status, or -1 when a signal ended it.
int reap(pid_t child) {
  int status = 0;
  pid_t reaped;
  do reaped = ::waitpid(child, &status, 0);
  while (reaped < 0 && errno == EINTR);
  return reaped == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Blocks the terminating signals while a child is started and recorded, so the signal hook
// never misses it. The child gets the mask as it was.
class SignalBlock {
 public:
  SignalBlock() {
    sigset_t block;
    sigemptyset(&block);
    for (int number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&block, number);
    pthread_sigmask(SIG_BLOCK, &block, &previous_);
  }
  ~SignalBlock() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  const sigset_t& previous() const { return previous_; }

 private:
  sigset_t previous_;
};

class SpawnAttributes {
 public:
  explicit SpawnAttributes(const sigset_t& mask) {
    posix_spawnattr_init(&attributes_);
    // Its own process group, so one kill reaches everything it starts.
    posix_spawnattr_setflags(
        &attributes_, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attributes_, 0);
    posix_spawnattr_setsigmask(&attributes_, &mask);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGTTOU);
    posix_spawnattr_setsigdefault(&attributes_, &defaults);
  }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
  const posix_spawnattr_t* get() const { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
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
    process = UniqueFd(static_cast<int>(::syscall(SYS_pidfd_open, child, 0)));
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
    reap(child);
    childGroup.store(0);
    return endedByItself.failure();
  }
  if (*endedByItself) {
    // What it left running in its group goes with it.
    killGroup(child);
    outcome = {ChildOutcome::End::exited, reap(child)};
  } else {
    change->native().consume();
    if (!killGroup(child)) {
      const OsFailure failure = lastFailure(kKillChildStep);
      childGroup.store(0);
      return failure;
    }
    reap(child);  // only once it is gone does the next run start: never two on one console
    outcome = {ChildOutcome::End::killed, 0};
  }
  childGroup.store(0);
  return outcome;
}

void followParent() {
  const char* expected = std::getenv(kParent);
  if (!expected || !*expected) return;
  // Killed with its parent, also when the parent is killed outright; and if the parent is gone
  // already (this process then belongs to another), it ends at once.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (std::to_string(getppid()) != expected) ::raise(SIGKILL);
}

}  // namespace Velotrax::os
