// Loads programs and external procedures and resolves the procedures they
// call: program-local procedures, then the procedure path, then imported
// directories, then the installation's procedures directory.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "runtime.h"

namespace standin::engine {

// A loaded script plus every procedure it can reach, kept alive together so
// that UnloadAllProcedures never pulls code out from under it.
struct LoadedScript {
  std::shared_ptr<Procedure> entry;
  std::vector<std::shared_ptr<Procedure>> reachable;
};

// Loads a program file; its main procedure becomes the entry.
// Throws HDevEngineException on any load error.
LoadedScript loadProgram(const std::string& path);

// Finds and loads the external procedure of that name.
LoadedScript loadProcedure(const std::string& name);

// Drops every cached external procedure and procedure library.
void unloadAllProcedures();

}  // namespace standin::engine
