// What a shell command writes to standard output; empty when it cannot be started.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

inline std::string commandOutput(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string output;
  if (!pipe) return output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
    output.append(buffer, n);
  return output;
}
