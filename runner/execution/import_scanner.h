// Reads HDevelop script files line by line: the directories a script imports, followed
// transitively, and the body lines of a named procedure.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace Velotrax {

// Where the engine looks for procedures besides the script itself, and whether files that
// cannot be read are remarked on.
struct ScriptSearch {
  std::vector<std::string> procedureDirectories;
  std::string halconroot;  // its procedures come last
  bool verbose = false;
};

// Absolute canonical import directories of the script, each once, in the order found.
std::vector<std::string> scanScriptImports(const ScriptSearch& search,
                                           const std::string& scriptPath);

// Body lines of the procedure, comment lines included, numbered from 1 in file order.
std::vector<std::string> findProcedureLines(const ScriptSearch& search,
                                            const std::string& scriptPath,
                                            const std::string& procedureName);

// The steps both are built from.

// The undecoded body lines of the named procedure, or of every procedure when the name is
// empty. Line ends are "\n" or "\r\n"; an unreadable file has no lines (remarked on when
// `verbose`).
std::vector<std::string> readBodyLines(std::istream& script, const std::string& procedureName);
std::vector<std::string> readBodyLines(const std::string& file, const std::string& procedureName,
                                       bool verbose);

// The decoded body lines of `file` into `lines`; the canonical directories its import lines
// name, where something exists, are appended to `imports`.
void readProcedureFile(const std::string& file, const std::string& procedureName,
                       std::vector<std::string>& lines, std::vector<std::string>& imports,
                       bool verbose);

// Looks for the procedure in a directory (the candidate file names first, then its libraries in
// the order of their names, then subdirectories) or in a library or program file.
void searchForProcedure(const std::string& path, const std::string& procedureName,
                        const std::vector<std::string>& candidates, std::vector<std::string>& lines,
                        std::vector<std::string>& imports, bool verbose);

// Both questions at once: the procedure's lines (when a name is given) and the imports. Imports
// are read from the script and from every procedure file directly in each search root; the name
// is looked for in the script file itself, then in the roots in the engine's resolution order.
void scanScript(const ScriptSearch& search, const std::string& scriptPath,
                const std::string& procedureName, std::vector<std::string>& lines,
                std::vector<std::string>& importDirectories);

}  // namespace Velotrax
