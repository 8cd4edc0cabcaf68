#include "process_probe.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

extern char** environ;

namespace Velotrax::testing_support {

namespace {
int entries(const char* directory) {
  int count = 0;
  for (boost::filesystem::directory_iterator it(directory), end; it != end; ++it) ++count;
  return count;
}
}  // namespace

int threadCount() {
  return entries("/proc/self/task");
}

int openDescriptorCount() {
  return entries("/proc/self/fd") - 1;  // less the one listing the directory
}

long residentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

char processState(pid_t pid) {
  const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
  const size_t end = stat.rfind(')');  // the name may hold blanks and parentheses
  return end == std::string::npos || end + 2 >= stat.size() ? 0 : stat[end + 2];
}

int zombieChildren() {
  int zombies = 0;
  const pid_t self = getpid();
  for (boost::filesystem::directory_iterator it("/proc"), end; it != end; ++it) {
    const std::string name = it->path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string stat = readFile("/proc/" + name + "/stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream fields(stat.substr(close + 2));
    char state = 0;
    pid_t parent = 0;
    fields >> state >> parent;
    if (state == 'Z' && parent == self) ++zombies;
  }
  return zombies;
}

bool waitForExit(pid_t pid, int& status, int seconds) {
  if (eventually([&] { return waitpid(pid, &status, WNOHANG) != 0; }, seconds)) return true;
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return false;
}

pid_t spawnPlaying(const std::string& role, int output) {
  std::vector<std::string> variables;
  for (char** entry = environ; *entry; ++entry)
    if (std::string(*entry).rfind("VELOTRAX_", 0) != 0) variables.emplace_back(*entry);
  variables.push_back("VELOTRAX_IS_SLAVE=1");
  variables.push_back("VELOTRAX_TEST_CHILD=" + role);
  std::vector<char*> envp;
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (output >= 0) posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
  char self[] = "watch_tests";
  char* argv[] = {self, nullptr};
  pid_t child = 0;
  if (posix_spawn(&child, "/proc/self/exe", &actions, nullptr, argv, envp.data()) != 0) child = 0;
  posix_spawn_file_actions_destroy(&actions);
  return child;
}

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace Velotrax::testing_support
