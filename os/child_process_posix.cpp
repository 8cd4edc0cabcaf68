#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "child_process.h"
#include "event_native_posix.h"
#include "terminating_signals_posix.h"

extern char** environ;

namespace Velotrax::os {

namespace {

constexpr const char* kMarker = "VELOTRAX_IS_SLAVE=";

// The running child's process group, for the signal hook; 0 when there is none.
std::atomic<pid_t> childGroup{0};

// A signal that ends the runner ends the child too: it is not in the terminal's foreground group
// and would not get the terminal's signals itself.
void killChildOnSignal() {
  const pid_t group = childGroup.load();
  if (group > 0) ::kill(-group, SIGKILL);
}

std::runtime_error launchError() {
  return std::runtime_error("could not launch Velotrax slave process using posix_spawn().");
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

// This process's environment with the child marker set to "1".
std::vector<std::string> childEnvironment() {
  std::vector<std::string> variables;
  for (char** entry = environ; *entry; ++entry)
    if (std::strncmp(*entry, kMarker, std::strlen(kMarker)) != 0) variables.emplace_back(*entry);
  variables.push_back(std::string(kMarker) + "1");
  return variables;
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
    posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
    posix_spawnattr_setpgroup(&attributes_, 0);
    posix_spawnattr_setsigmask(&attributes_, &mask);
  }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
  const posix_spawnattr_t* get() const { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
};

pid_t startChild() {
  std::vector<std::string> arguments = ownArguments();
  if (arguments.empty()) throw launchError();
  std::vector<std::string> variables = childEnvironment();
  std::vector<char*> argv = pointers(arguments), envp = pointers(variables);

  SignalBlock blocked;
  SpawnAttributes attributes(blocked.previous());
  pid_t child = 0;
  if (posix_spawn(&child, "/proc/self/exe", nullptr, attributes.get(), argv.data(), envp.data()))
    throw launchError();
  childGroup.store(child);
  return child;
}

}  // namespace

ChildOutcome runSelfAsChild(Event* change) {
  runOnTerminatingSignal(killChildOnSignal);
  const pid_t child = startChild();
  // The pidfd becomes readable when the child ends (before it is reaped), so the wait takes the
  // child and the change event together.
  const UniqueFd process(static_cast<int>(::syscall(SYS_pidfd_open, child, 0)));

  ChildOutcome outcome;
  pollfd ready[2] = {{process.get(), POLLIN, 0},
                     {change ? change->native().fd.get() : -1, POLLIN, 0}};
  int result = -1;
  if (process) {
    do result = ::poll(ready, change ? 2 : 1, -1);
    while (result < 0 && errno == EINTR);
  }
  if (result > 0 && (ready[0].revents & POLLIN)) {
    // Ended by itself: what it left running in its group goes with it.
    killGroup(child);
    outcome = {ChildOutcome::End::exited, reap(child)};
  } else if (result > 0 && change && (ready[1].revents & POLLIN)) {
    change->native().consume();
    if (!killGroup(child)) {
      childGroup.store(0);
      throw std::runtime_error("could not terminate Velotrax slave process using kill().");
    }
    reap(child);  // only once it is gone does the next run start: never two on one console
    outcome = {ChildOutcome::End::killed, 0};
  } else {
    killGroup(child);
    reap(child);
  }
  childGroup.store(0);
  return outcome;
}

}  // namespace Velotrax::os
