// The one engine of the process: attributes, procedure path, loaded
// procedures and the installed window-operator implementation. Every
// HDevEngine instance addresses this object.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "debug_server.h"
#include "runtime.h"
#include "script_file.h"

namespace HDevEngineCpp {
class HDevOperatorImplCpp;
}

namespace standin::engine {

struct EngineState {
  // Held while a script loads or runs: one at a time. Recursive so that a
  // window-operator callback may itself use the engine.
  std::recursive_mutex lock;

  std::vector<std::string> procedurePath;
  bool ignoreInvalidLines = false;
  bool ignoreUnresolvedLines = false;
  bool jitCompiled = false;  // accepted; the tree interpreter has no compiled mode

  int64_t debugPort = 57786;
  std::string debugPassword;
  bool debugWaitForConnection = false;
  bool debuggerWaited = false;  // only the first run after StartDebugServer waits
  DebugServer debugServer;

  HDevEngineCpp::HDevOperatorImplCpp* operatorImpl = nullptr;

  // External procedures by file and name, and parsed procedure libraries by path.
  std::map<std::string, std::shared_ptr<Procedure>> procedures;
  std::map<std::string, std::shared_ptr<const ScriptFile>> libraries;
};

EngineState& engineState();

}  // namespace standin::engine
