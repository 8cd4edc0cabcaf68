#include "script_location.h"

#include <boost/algorithm/string/predicate.hpp>
#include <boost/filesystem.hpp>
#include <optional>
#include <stdexcept>
#include <vector>

#include "common/file_system.h"
#include "common/messages.h"

namespace fs = boost::filesystem;

namespace Velotrax {

namespace {

// A relative name is looked for in the working directory and at most this many directories in
// all, its parents included, so a search from deep down ends quickly.
constexpr int kSearchedDirectories = 99;

// The script as typed, split into the file to look for and a library's procedure.
struct ScriptName {
  std::string name;       // path of the file, without ":procedure"
  std::string fileName;   // its last component
  std::string procedure;  // after the last colon of a library name; empty otherwise
};

bool isSeparator(char c) {
  return c == '/' || c == fs::path::preferred_separator;
}

// The length of a drive prefix such as "C:" on platforms that have drives, else 0.
size_t driveLength(const std::string& name) {
  const std::string root = fs::path(name).root_name().string();
  return root.size() == 2 && root[1] == ':' ? 2 : 0;
}

ScriptName splitScriptName(const std::string& typed) {
  ScriptName script{typed, {}, {}};
  size_t start = driveLength(typed);
  for (size_t i = start; i < typed.size(); ++i)
    if (isSeparator(typed[i])) start = i + 1;
  // library:procedure, also without a directory, splits at the last colon.
  const size_t colon = typed.rfind(':');
  if (colon != std::string::npos && colon >= start) {
    script.procedure = typed.substr(colon + 1);
    script.name = typed.substr(0, colon);
  }
  script.fileName = script.name.substr(start);
  return script;
}

bool existsAsAnything(const fs::path& path) {
  boost::system::error_code error;
  return fs::exists(path, error);
}

// The first candidate that exists: name + suffix, in `directory` when it is given.
std::optional<std::string> firstCandidate(const std::optional<fs::path>& directory,
                                          const std::string& name,
                                          const std::vector<const char*>& suffixes,
                                          std::string& foundSuffix) {
  for (const char* suffix : suffixes) {
    const fs::path candidate = directory ? *directory / (name + suffix) : fs::path(name + suffix);
    if (existsAsAnything(candidate)) {
      foundSuffix = suffix;
      return candidate.string();
    }
  }
  return std::nullopt;
}

// A FIFO, device or socket named as the script would stall or flood whatever reads it; a
// directory or a missing file is left to the engine's own message.
void refuseUnreadableScript(const std::string& scriptFile) {
  boost::system::error_code error;
  const fs::file_status status = fs::status(scriptFile, error);
  if (!error && fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status))
    throw std::runtime_error("script " + scriptFile + " is not a regular file");
}

}  // namespace

LocatedScript locateScript(const RunSettings& settings) {
  LocatedScript located;
  const ScriptName script = splitScriptName(settings.scriptArgument);
  const fs::path typedFile(script.fileName);
  std::string extension = typedFile.extension().string();
  const std::string stem = typedFile.stem().string();

  // A typed extension is used as it is; a library needs its own; otherwise these, in order.
  std::vector<const char*> suffixes = {".hdvp", ".hdev", ".dev"};
  if (!extension.empty())
    suffixes = {""};
  else if (!script.procedure.empty())
    suffixes = {".hdpl"};

  std::string suffix;
  std::string scriptFile;
  if (fs::path(script.name).is_absolute()) {
    const auto found = firstCandidate(std::nullopt, script.name, suffixes, suffix);
    if (!found) printError("warning: could not find file " + script.name);
    scriptFile = found.value_or(script.name);
    located.procedureDirectories.push_back(fs::path(scriptFile).parent_path().string());
  } else {
    std::optional<std::string> found;
    fs::path directory = fs::current_path();
    for (int searched = 1; !found; ++searched) {
      found = firstCandidate(directory, script.name, suffixes, suffix);
      if (!settings.searchParent || searched == kSearchedDirectories ||
          !directory.has_relative_path())
        break;
      directory = directory.parent_path();
    }
    if (found) {
      scriptFile = *found;
      located.procedureDirectories.push_back(fs::path(scriptFile).parent_path().string());
    } else if (settings.searchParent) {
      printError("warning: could not find file " + script.name +
                 " in current directory or any parent directory");
    } else {
      printError("warning: could not find file " + script.name + " in current directory");
    }
  }
  refuseUnreadableScript(scriptFile);
  if (!suffix.empty()) extension = suffix;
  for (const std::string& entry : settings.proceduresPath)
    located.procedureDirectories.push_back(entry);

  if (!script.procedure.empty())
    located.procedureName = script.procedure;
  else if (boost::algorithm::iequals(extension, ".hdev") ||
           boost::algorithm::iequals(extension, ".dev"))
    located.programPath = scriptFile;
  else
    located.procedureName = stem;
  located.scriptPath = scriptFile;
  located.childScript = scriptFile.empty() || script.procedure.empty()
                            ? scriptFile
                            : scriptFile + ":" + script.procedure;
  return located;
}

std::string procedurePathText(const LocatedScript& script) {
  return joined(script.procedureDirectories, ";");
}

void enterScriptDirectory(const LocatedScript& script, bool verbose) {
  if (script.procedureDirectories.empty()) return;
  const std::string& directory = script.procedureDirectories.front();
  if (verbose) printNormal("Setting working directory to " + directory);
  fs::current_path(directory);
}

}  // namespace Velotrax
