// Turns the body lines of a procedure into its statement tree: block
// structure, expressions, variable slots and call targets.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime.h"
#include "script_file.h"

namespace standin::engine {

// Deepest nesting of control blocks (if, for, while, ...) in one procedure;
// bounds the compiler's recursion on hostile input.
constexpr int kMaxBlockNesting = 100;

struct CompileContext {
  // Procedure callable under this name from the file, or null when none.
  std::function<const Procedure*(const std::string&)> findProcedure;
  bool ignoreInvalidLines = false;
  bool ignoreUnresolvedLines = false;
};

struct CompileResult {
  std::vector<int> invalidLines;     // body line numbers, ascending
  std::vector<int> unresolvedLines;  // body line numbers, ascending
};

// A procedure with its signature and parameter slots; the body comes later
// so that procedures can call each other (and themselves).
std::shared_ptr<Procedure> declareProcedure(const ProcedureSource& src, const std::string& file);

// Builds the body. Lines that do not parse or call unknown names become
// failing statements and are listed in the result.
CompileResult compileBody(Procedure& proc, const ProcedureSource& src, const CompileContext& ctx);

// The directories named by import lines, as written.
std::vector<std::string> importedDirectories(const ProcedureSource& src);

// "Error(s) in procedure '<name>': there is an invalid program line: <n>" and
// the like; empty when the result has no problems the context refuses.
std::string loadErrorMessage(const std::string& name, const CompileResult& result,
                             const CompileContext& ctx);

}  // namespace standin::engine
