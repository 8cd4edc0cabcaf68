#include "spawn_posix.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "unique_fd_posix.h"

extern char** environ;

namespace Velotrax::os {

namespace {

constexpr const char* kMarker = "VELOTRAX_IS_SLAVE";

bool namesVariable(const char* entry, const std::string& name) {
  return std::strncmp(entry, name.c_str(), name.size()) == 0 && entry[name.size()] == '=';
}

// Where pidfd_open is refused, a SIGCHLD handler turns each end into a byte in this pipe. Its
// ends stay open while the process lives, as the handler may write at any moment: their owner
// is never destroyed.
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

}  // namespace

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

std::vector<std::string> childEnvironment(
    const std::vector<std::pair<std::string, std::string>>& extra) {
  std::vector<std::pair<std::string, std::string>> set = {
      {kMarker, "1"}, {kParentVariable, std::to_string(getpid())}};
  set.insert(set.end(), extra.begin(), extra.end());
  std::vector<std::string> variables;
  for (char** entry = environ; *entry; ++entry) {
    bool replaced = false;
    for (const auto& [name, value] : set) replaced = replaced || namesVariable(*entry, name);
    if (!replaced) variables.emplace_back(*entry);
  }
  for (const auto& [name, value] : set) variables.push_back(name + "=" + value);
  return variables;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> result;
  for (std::string& text : texts) result.push_back(text.data());
  result.push_back(nullptr);
  return result;
}

bool pidfdAvailable() {
  static const bool available = [] {
    const UniqueFd own(openPidfd(getpid()));
    return static_cast<bool>(own);
  }();
  return available;
}

int openPidfd(pid_t child) {
  return static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
}

int childSignalPipe() {
  static const int readEnd = [] {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
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

void drain(int fd) {
  char bytes[64];
  while (::read(fd, bytes, sizeof bytes) > 0) {
  }
}

bool hasEnded(pid_t child) {
  siginfo_t info{};
  return ::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == child;
}

bool killGroup(pid_t child) {
  return ::kill(-child, SIGKILL) == 0 || errno == ESRCH;
}

int reapStatus(pid_t child) {
  int status = 0;
  pid_t reaped;
  do reaped = ::waitpid(child, &status, 0);
  while (reaped < 0 && errno == EINTR);
  return reaped == child ? status : -1;
}

SignalBlock::SignalBlock() {
  sigset_t block;
  sigemptyset(&block);
  for (int number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&block, number);
  pthread_sigmask(SIG_BLOCK, &block, &previous_);
}

SignalBlock::~SignalBlock() {
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

SpawnAttributes::SpawnAttributes(const sigset_t& mask) {
  posix_spawnattr_init(&attributes_);
  // Its own process group, so one kill reaches everything it starts.
  posix_spawnattr_setflags(&attributes_,
                           POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  posix_spawnattr_setpgroup(&attributes_, 0);
  posix_spawnattr_setsigmask(&attributes_, &mask);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGTTOU);
  posix_spawnattr_setsigdefault(&attributes_, &defaults);
}

SpawnAttributes::~SpawnAttributes() {
  posix_spawnattr_destroy(&attributes_);
}

}  // namespace Velotrax::os
