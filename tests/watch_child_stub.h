// The child of separate mode in the watch benchmark and endurance runs: it writes its process
// id to the file `readyVariable` names, then runs until it is killed. And an engine whose
// procedures unload without error, for loops that run no script.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "halcon/engine_client.h"

[[noreturn]] inline void playSeparateModeChild(const char* readyVariable) {
  std::ofstream(std::getenv(readyVariable)) << getpid();
  for (;;) pause();
}

inline EngineErrorRecord* unloadNothing() {
  return nullptr;
}
