// The watch tests' entry. Started with VELOTRAX_IS_SLAVE=1 it is the child of a child-process
// test instead, playing the part VELOTRAX_TEST_CHILD names.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "common/messages.h"
#include "os/child_process.h"
#include "os/console_input_posix.h"
#include "os/unique_fd_posix.h"

extern char** environ;

namespace {

// exit:<status>         ends at once with that status
// describe:<file>       writes its arguments, one a line, then its marker variables, and ends
// linger:<file>         starts a grandchild, writes "<pid> <grandchild pid>" to <file>.pids,
//                       then appends a line to <file> every millisecond until killed
// nest:<file>           runs linger:<file> as its own child, the way the runner does
// nopidfd:<role>       refuses itself pidfd_open (as old kernels and seccomp filters do), runs
//                       <role> as its child the way the runner does, and ends with the child's
//                       status, or 100 when it was not waited for
// keywait:<terminal>    opens the terminal, starts a key wait, writes "ready" to standard output
//                       and waits to be ended by a signal
int playChild(int argc, char** argv) {
  const char* part = std::getenv("VELOTRAX_TEST_CHILD");
  const std::string role = part ? part : "";
  const size_t colon = role.find(':');
  const std::string name = role.substr(0, colon), value = role.substr(colon + 1);
  if (name == "exit") return std::atoi(value.c_str());
  if (name == "describe") {
    std::ofstream out(value);
    for (int i = 0; i < argc; ++i) out << argv[i] << "\n";
    for (char** entry = environ; *entry; ++entry)
      if (std::string(*entry).rfind("VELOTRAX_IS_SLAVE=", 0) == 0) out << *entry << "\n";
    return 0;
  }
  if (name == "linger") {
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      for (;;) pause();
    }
    std::ofstream(value + ".pids") << getpid() << " " << grandchild << "\n";
    std::ofstream ticks(value);
    for (;;) {
      ticks << "tick" << std::endl;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  if (name == "nest") {
    setenv("VELOTRAX_TEST_CHILD", ("linger:" + value).c_str(), 1);
    return Velotrax::os::runSelfAsChild(nullptr) ? 0 : 100;
  }
  if (name == "nopidfd") {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_pidfd_open, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{sizeof filter / sizeof filter[0], filter};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0)
      return 98;
    setenv("VELOTRAX_TEST_CHILD", value.c_str(), 1);
    const auto outcome = Velotrax::os::runSelfAsChild(nullptr);
    return outcome && outcome->end == Velotrax::os::ChildOutcome::End::exited ? outcome->exitCode
                                                                              : 100;
  }
  if (name == "keywait") {
    const Velotrax::os::UniqueFd terminal(open(value.c_str(), O_RDWR | O_NOCTTY));
    auto keys = Velotrax::os::consoleInputFor(terminal.get());
    keys->beginKeyWait();
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) pause();
  }
  return 99;
}

}  // namespace

int main(int argc, char** argv) {
  const char* marker = std::getenv("VELOTRAX_IS_SLAVE");
  if (marker && std::string(marker) == "1") return playChild(argc, argv);
  Velotrax::enableConsoleMode();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
