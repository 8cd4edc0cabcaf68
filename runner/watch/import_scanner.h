// Reads HDevelop script files line by line: the directories a script imports, followed
// transitively, and the body lines of a named procedure.
#pragma once

#include <string>
#include <vector>

namespace Velotrax {

// Absolute canonical import directories of the script, each once, in the order found.
std::vector<std::string> scanScriptImports(const std::string& scriptPath);

// Body lines of the procedure, comment lines included, numbered from 1 in file order.
std::vector<std::string> findProcedureLines(const std::string& scriptPath,
                                            const std::string& procedureName);

}  // namespace Velotrax
