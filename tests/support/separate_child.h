// The child of separate mode in the watch benchmark and endurance runs: it writes its process
// id to the file `readyVariable` names, then runs until it is killed.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <fstream>

[[noreturn]] inline void playSeparateModeChild(const char* readyVariable) {
  std::ofstream(std::getenv(readyVariable)) << getpid();
  for (;;) pause();
}
