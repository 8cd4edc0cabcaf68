// The contents of an HDevelop script file (.hdev, .hdvp, .hdpl) as read
// from its XML: procedures with their interface and body lines.
#pragma once

#include <string>
#include <vector>

namespace standin::engine {

struct ParamSource {
  std::string name;
  int dimension = 0;
};

struct LineSource {
  std::string text;
  bool comment = false;
};

struct ProcedureSource {
  std::string name;
  std::vector<ParamSource> iconicIn, iconicOut, ctrlIn, ctrlOut;
  std::vector<LineSource> lines;  // body lines in file order, numbered from 1
};

struct ScriptFile {
  std::string path;
  std::vector<ProcedureSource> procedures;
};

// Reads and checks the XML of a script file. Throws HDevEngineException:
// 5200 when the file cannot be read, 21018 for the old plain-text formats,
// 21019 for malformed XML or a file without procedures.
ScriptFile readScriptFile(const std::string& path);

// Parses script XML already in memory; `path` only names it in errors.
ScriptFile parseScriptText(const std::string& text, const std::string& path);

}  // namespace standin::engine
