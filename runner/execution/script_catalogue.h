// The scripts a batch runs: every program and procedure under the given paths, in a stable order.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace Velotrax {

struct BatchScript {
  std::string file;       // absolute
  std::string procedure;  // a library's procedure; empty for a program or external procedure
  std::string name;       // relative to the start directory, with ":procedure" for a library

  // What a child is to run: the file, with ":procedure" for a library.
  std::string childScript() const { return procedure.empty() ? file : file + ":" + procedure; }
  // The procedure it runs: a library's, an external procedure's own (its file's name), or
  // "main" for a program.
  std::string procedureName() const;
};

// A procedure of a script file, and whether it takes inputs (iconic or control), which a batch
// cannot give it.
struct ProcedureEntry {
  std::string name;
  bool takesInput = false;
};

// The procedures of a script file, in file order.
std::vector<ProcedureEntry> listProcedures(std::istream& script);

// Every script under the paths (a path may be a script itself), each once, sorted by name:
// programs (.hdev); external procedures (.hdvp) and the procedures of libraries (.hdpl) when
// `checkonly`, or when they take no input. Directories are searched recursively without
// following links to directories. A path that does not exist throws std::runtime_error.
std::vector<BatchScript> collectScripts(const std::vector<std::string>& paths, bool checkonly,
                                        const std::string& startDirectory);

}  // namespace Velotrax
