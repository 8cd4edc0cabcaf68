#include "script_catalogue.h"

#include <algorithm>
#include <boost/algorithm/string/case_conv.hpp>
#include <boost/filesystem/operations.hpp>
#include <istream>
#include <sstream>
#include <stdexcept>

#include "os/file_io.h"
#include "run_record.h"

namespace Velotrax {

namespace {

namespace fs = boost::filesystem;

enum class Kind { none, program, procedure, library };

Kind kindOf(const fs::path& file) {
  const std::string extension = boost::algorithm::to_lower_copy(file.extension().string());
  if (extension == ".hdev") return Kind::program;
  if (extension == ".hdvp") return Kind::procedure;
  if (extension == ".hdpl") return Kind::library;
  return Kind::none;
}

std::string trimmed(const std::string& line) {
  const size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

// The procedures of the file; none when it cannot be read.
std::vector<ProcedureEntry> proceduresOf(const std::string& file) {
  const os::OsResult<std::string> text = os::readRegularFile(file);
  if (!text) return {};
  std::istringstream script(*text);
  return listProcedures(script);
}

void addFile(const fs::path& file, bool checkonly, const std::string& startDirectory,
             std::vector<BatchScript>& scripts) {
  const Kind kind = kindOf(file);
  if (kind == Kind::none) return;
  const std::string path = file.lexically_normal().string();
  const std::string name = scriptClassName(path, startDirectory);
  if (kind == Kind::program) {
    scripts.push_back({path, "", name});
    return;
  }
  const std::vector<ProcedureEntry> procedures = proceduresOf(path);
  if (kind == Kind::procedure) {
    // One that cannot be read is run all the same: the run says what is wrong with it.
    if (checkonly || procedures.empty() || !procedures.front().takesInput)
      scripts.push_back({path, "", name});
    return;
  }
  for (const ProcedureEntry& procedure : procedures)
    if (checkonly || !procedure.takesInput)
      scripts.push_back({path, procedure.name, name + ":" + procedure.name});
}

}  // namespace

std::string BatchScript::procedureName() const {
  if (!procedure.empty()) return procedure;
  const fs::path path(file);
  return kindOf(path) == Kind::procedure ? path.stem().string() : "main";
}

std::vector<ProcedureEntry> listProcedures(std::istream& script) {
  static const std::string kOpen = "<procedure name=\"";
  std::vector<ProcedureEntry> procedures;
  bool inInterface = false;
  for (std::string line; std::getline(script, line);) {
    const std::string text = trimmed(line);
    if (text.compare(0, kOpen.size(), kOpen) == 0) {
      const size_t end = text.find('"', kOpen.size());
      if (end == std::string::npos) continue;
      procedures.push_back({text.substr(kOpen.size(), end - kOpen.size()), false});
      inInterface = false;
    } else if (!procedures.empty() && text == "<interface>") {
      inInterface = true;
    } else if (text == "</interface>") {
      inInterface = false;
    } else if (inInterface && (text == "<io>" || text == "<ic>")) {
      procedures.back().takesInput = true;
    }
  }
  return procedures;
}

std::vector<BatchScript> collectScripts(const std::vector<std::string>& paths, bool checkonly,
                                        const std::string& startDirectory) {
  std::vector<BatchScript> scripts;
  for (const std::string& entry : paths) {
    boost::system::error_code error;
    const fs::file_status status = fs::status(entry, error);
    if (fs::is_regular_file(status)) {
      addFile(entry, checkonly, startDirectory, scripts);
      continue;
    }
    if (!fs::is_directory(status))
      throw std::runtime_error("no such script or directory: " + entry);
    fs::recursive_directory_iterator file(entry, fs::directory_options::skip_permission_denied,
                                          error);
    for (; !error && file != fs::recursive_directory_iterator(); file.increment(error))
      if (fs::is_regular_file(file->status()))
        addFile(file->path(), checkonly, startDirectory, scripts);
    if (error) throw std::runtime_error("could not search " + entry + ": " + error.message());
  }
  std::sort(scripts.begin(), scripts.end(),
            [](const BatchScript& a, const BatchScript& b) { return a.name < b.name; });
  scripts.erase(std::unique(scripts.begin(), scripts.end(),
                            [](const BatchScript& a, const BatchScript& b) {
                              return a.childScript() == b.childScript();
                            }),
                scripts.end());
  return scripts;
}

}  // namespace Velotrax
