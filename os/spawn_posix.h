// The steps every start of a copy of this program shares on POSIX: its command line and
// environment, its own process group, and hearing and reaping its end.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

namespace Velotrax::os {

// The variable that names the runner that started a child, so the child can tell whether its
// parent is still the one that started it.
constexpr const char* kParentVariable = "VELOTRAX_PARENT_PID";

// The command line this process was started with, argument by argument.
std::vector<std::string> ownArguments();

// This process's environment with the child marker set to "1", this process as the parent, and
// `extra` (name, value) set.
std::vector<std::string> childEnvironment(
    const std::vector<std::pair<std::string, std::string>>& extra = {});

// Pointers into the texts, ended by a null pointer, as exec wants them.
std::vector<char*> pointers(std::vector<std::string>& texts);

// Whether pidfd_open works here; where it is refused (kernels before 5.3, seccomp filters),
// the end of a child is heard through childSignalPipe instead.
bool pidfdAvailable();

// A descriptor readable when the child ends, before it is reaped; invalid (-1) on failure.
int openPidfd(pid_t child);

// The descriptor that becomes readable when some child ends (a SIGCHLD handler writes to it),
// for the fallback; -1 when none can be made. Drain it after each wake.
int childSignalPipe();
void drain(int fd);

// Whether the child has ended, leaving it unreaped (its group can still be killed safely).
bool hasEnded(pid_t child);

// The child's group gets SIGKILL: the child and whatever it started in its group.
bool killGroup(pid_t child);

// Reaps the child; its wait status.
int reapStatus(pid_t child);

// Blocks the terminating signals while a child is started and recorded, so a signal hook never
// misses it. The child gets the mask as it was.
class SignalBlock {
 public:
  SignalBlock();
  ~SignalBlock();
  SignalBlock(const SignalBlock&) = delete;
  SignalBlock& operator=(const SignalBlock&) = delete;
  const sigset_t& previous() const { return previous_; }

 private:
  sigset_t previous_;
};

// A child in a process group of its own, with `mask` as its signal mask and SIGTTOU as default.
class SpawnAttributes {
 public:
  explicit SpawnAttributes(const sigset_t& mask);
  ~SpawnAttributes();
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  const posix_spawnattr_t* get() const { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
};

}  // namespace Velotrax::os
