#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>

#include "deadline.h"

namespace Velotrax::testing_support {

void killChildren() {
  const std::unique_ptr<DIR, int (*)(DIR*)> processes(opendir("/proc"), closedir);
  if (!processes) return;
  const pid_t self = getpid();
  while (const dirent* entry = readdir(processes.get())) {
    const std::string name = entry->d_name;
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream file("/proc/" + name + "/stat");
    const std::string stat{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const size_t close = stat.rfind(')');  // the name may hold blanks and parentheses
    if (close == std::string::npos) continue;
    std::istringstream fields(stat.substr(close + 2));
    char state = 0;
    pid_t parent = 0, group = 0;
    fields >> state >> parent >> group;
    if (parent != self) continue;
    const auto child = static_cast<pid_t>(std::atol(name.c_str()));
    if (group == child) ::kill(-child, SIGKILL);  // and what it started in its group
    ::kill(child, SIGKILL);
  }
}

}  // namespace Velotrax::testing_support
