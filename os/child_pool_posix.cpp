#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <map>

#include "child_pool.h"
#include "spawn_posix.h"
#include "unique_fd_posix.h"

namespace Velotrax::os {

namespace {

constexpr std::array kSignals{SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// The signal handler's end of the pool's interrupt pipe; -1 while there is no pool.
std::atomic<int> interruptWriteEnd{-1};

void onInterrupt(int number) {
  const int savedErrno = errno;
  const auto byte = static_cast<unsigned char>(number);
  [[maybe_unused]] const ssize_t written = ::write(interruptWriteEnd.load(), &byte, 1);
  errno = savedErrno;
}

class FileActions {
 public:
  explicit FileActions(const std::string& outputPath) {
    posix_spawn_file_actions_init(&actions_);
    posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions_, STDOUT_FILENO, STDERR_FILENO);
  }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  const posix_spawn_file_actions_t* get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

class PosixChildPool : public ChildPool {
 public:
  PosixChildPool() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
      interruptRead_.reset(ends[0]);
      interruptWrite_.reset(ends[1]);
      interruptWriteEnd.store(ends[1]);
    }
    for (size_t i = 0; i < kSignals.size(); ++i) {
      struct sigaction action {};
      action.sa_handler = onInterrupt;
      sigemptyset(&action.sa_mask);
      action.sa_flags = SA_RESTART;
      sigaction(kSignals[i], nullptr, &previous_[i]);
      // A signal the runner was started ignoring stays ignored.
      if (previous_[i].sa_handler != SIG_IGN) sigaction(kSignals[i], &action, nullptr);
    }
    if (!pidfdAvailable()) childSignalPipe();
  }

  ~PosixChildPool() override {
    while (!children_.empty()) kill(children_.begin()->first);
    for (size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &previous_[i], nullptr);
    interruptWriteEnd.store(-1);
  }

  // Each child holds a descriptor while it runs; the usual limit is 1024 per process.
  size_t capacity() const override { return 256; }

  OsResult<int> start(const Variables& variables, const std::string& outputPath) override {
    std::vector<std::string> arguments = ownArguments();
    if (arguments.empty()) return OsFailure{"posix_spawn", ENOENT, "no command line to repeat"};
    std::vector<std::string> environment = childEnvironment(variables);
    std::vector<char*> argv = pointers(arguments), envp = pointers(environment);

    const SignalBlock blocked;
    const SpawnAttributes attributes(blocked.previous());
    const FileActions actions(outputPath);
    pid_t pid = 0;
    if (const int error = posix_spawn(&pid, "/proc/self/exe", actions.get(), attributes.get(),
                                      argv.data(), envp.data()))
      return OsFailure{"posix_spawn", error, errorText(error)};
    Child child{pid, UniqueFd(pidfdAvailable() ? openPidfd(pid) : -1)};
    if (pidfdAvailable() && !child.ended) {
      // A child whose end could not be heard would never be seen again.
      const OsFailure failure = lastFailure("pidfd_open");
      killGroup(pid);
      reapStatus(pid);
      return failure;
    }
    const int number = next_++;
    children_.emplace(number, std::move(child));
    return number;
  }

  OsResult<PoolWait> wait(int timeoutMs) override {
    for (;;) {
      std::vector<pollfd> ready{{interruptRead_.get(), POLLIN, 0}};
      std::vector<int> numbers;
      if (pidfdAvailable()) {
        for (const auto& [number, child] : children_) {
          ready.push_back({child.ended.get(), POLLIN, 0});
          numbers.push_back(number);
        }
      } else {
        ready.push_back({childSignalPipe(), POLLIN, 0});
        // A child that ended before the wait began is seen here.
        for (const auto& [number, child] : children_)
          if (hasEnded(child.pid)) return ended(number);
      }
      int result;
      do result = ::poll(ready.data(), ready.size(), timeoutMs);
      while (result < 0 && errno == EINTR);
      if (result < 0) return lastFailure("poll");
      if (result == 0) return PoolWait{};
      if (ready[0].revents & POLLIN) {
        unsigned char number = 0;
        if (::read(interruptRead_.get(), &number, 1) == 1)
          return PoolWait{PoolWait::Kind::interrupted, -1, false, 0, number};
      }
      if (!pidfdAvailable()) {
        drain(ready[1].fd);  // the loop looks which child it was
        continue;
      }
      for (size_t i = 1; i < ready.size(); ++i)
        if (ready[i].revents & (POLLIN | POLLHUP)) return ended(numbers[i - 1]);
    }
  }

  void kill(int number) override {
    const auto found = children_.find(number);
    if (found == children_.end()) return;
    killGroup(found->second.pid);
    reapStatus(found->second.pid);
    children_.erase(found);
  }

 private:
  struct Child {
    pid_t pid;
    UniqueFd ended;  // its pidfd, where there are pidfds
  };

  // Reaps an ended child; what it left running in its group goes with it.
  PoolWait ended(int number) {
    const pid_t pid = children_.at(number).pid;
    killGroup(pid);
    const int status = reapStatus(pid);
    children_.erase(number);
    PoolWait wait{PoolWait::Kind::ended, number, WIFEXITED(status), 0, 0};
    wait.status = WIFEXITED(status)     ? WEXITSTATUS(status)
                  : WIFSIGNALED(status) ? WTERMSIG(status)
                                        : -1;
    return wait;
  }

  UniqueFd interruptRead_, interruptWrite_;
  std::array<struct sigaction, kSignals.size()> previous_{};
  std::map<int, Child> children_;
  int next_ = 0;
};

}  // namespace

std::unique_ptr<ChildPool> ChildPool::create() {
  return std::make_unique<PosixChildPool>();
}

}  // namespace Velotrax::os
