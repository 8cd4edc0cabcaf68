#include "import_scanner.h"

#include <algorithm>
#include <boost/algorithm/string/predicate.hpp>
#include <boost/filesystem.hpp>
#include <set>
#include <sstream>

#include "common/file_system.h"
#include "common/messages.h"
#include "os/file_io.h"
#include "script_lines.h"

namespace fs = boost::filesystem;

namespace Velotrax {

namespace {

bool hasExtension(const fs::path& path, const char* extension) {
  return boost::algorithm::iequals(path.extension().string(), extension);
}

// A path that does not exist is the same object as nothing, so this never throws.
bool sameObject(const fs::path& a, const fs::path& b) {
  boost::system::error_code error;
  return fs::equivalent(a, b, error);
}

bool containsObject(const std::vector<std::string>& paths, const fs::path& path) {
  return std::any_of(paths.begin(), paths.end(),
                     [&](const std::string& entry) { return sameObject(entry, path); });
}

// What tells directories apart: the canonical path where there is one.
std::string identity(const fs::path& directory) {
  boost::system::error_code error;
  const fs::path canonical = fs::canonical(directory, error);
  return (error ? directory : canonical).string();
}

// The candidate file names of a procedure and its base name.
struct ProcedureFiles {
  std::vector<std::string> candidates;
  std::string baseName;
};

ProcedureFiles procedureFiles(const std::string& procedureName) {
  const fs::path name(procedureName);
  if (name.has_extension()) return {{procedureName}, name.stem().string()};
  return {{procedureName + ".hdvp"}, procedureName};
}

// The entries of a directory with one of the extensions, in the order of their names (the
// order in which the engine tries a directory's libraries). An unreadable directory has none.
// Entries that are not regular files stay in, so that reading them names them in a remark.
std::vector<fs::path> filesWithExtension(const fs::path& directory,
                                         std::initializer_list<const char*> extensions) {
  std::vector<fs::path> files;
  boost::system::error_code unreadable;
  for (fs::directory_iterator it(directory, unreadable), end; !unreadable && it != end;
       it.increment(unreadable)) {
    const fs::path& entry = it->path();
    for (const char* extension : extensions) {
      if (hasExtension(entry, extension) && !isDirectory(entry)) {
        files.push_back(entry);
        break;
      }
    }
  }
  std::sort(files.begin(), files.end(),
            [](const fs::path& a, const fs::path& b) { return a.string() < b.string(); });
  return files;
}

// Directory search without recursion, so a deep tree cannot exhaust the stack. In each
// directory, as the engine looks: the candidate file names, then every library in the order of
// their names; then its subdirectories. A directory reached a second time (through links) is
// passed over: the first visit found nothing there, and a cycle would otherwise never end.
void searchDirectory(const fs::path& root, const std::string& procedureName,
                     const std::vector<std::string>& candidates, std::vector<std::string>& lines,
                     std::vector<std::string>& imports, bool verbose) {
  std::vector<fs::directory_iterator> listings;
  std::set<std::string> visited{identity(root)};
  // Reads the directory's own files; true when one of them holds the procedure.
  auto enter = [&](const fs::path& directory) {
    for (const std::string& candidate : candidates) {
      if (isRegularFile(directory / candidate)) {
        readProcedureFile((directory / candidate).string(), procedureName, lines, imports, verbose);
        if (!lines.empty()) return true;
      }
    }
    for (const fs::path& library : filesWithExtension(directory, {".hdpl"})) {
      readProcedureFile(library.string(), procedureName, lines, imports, verbose);
      if (!lines.empty()) return true;
    }
    boost::system::error_code unreadable;
    fs::directory_iterator listing(directory, unreadable);
    if (!unreadable) listings.push_back(std::move(listing));
    return false;
  };
  lines.clear();
  if (enter(root)) return;
  while (!listings.empty()) {
    fs::directory_iterator& listing = listings.back();
    if (listing == fs::directory_iterator()) {  // nothing found in this directory
      listings.pop_back();
      continue;
    }
    const fs::path entry = listing->path();
    boost::system::error_code unreadable;
    listing.increment(unreadable);
    if (unreadable) listings.pop_back();
    if (!isDirectory(entry) || !visited.insert(identity(entry)).second) continue;
    if (enter(entry)) return;
  }
  lines.clear();
}

// Appends the imports of every procedure file directly in `root`, or of `root` itself when it
// is a program or a library.
void readImportsOf(const fs::path& root, std::vector<std::string>& imports, bool verbose) {
  std::vector<std::string> ignored;
  if (!isDirectory(root)) {
    if (hasExtension(root, ".hdpl") || hasExtension(root, ".hdev"))
      readProcedureFile(root.string(), "", ignored, imports, verbose);
    return;
  }
  for (const fs::path& file : filesWithExtension(root, {".hdvp", ".hdpl"}))
    readProcedureFile(file.string(), "", ignored, imports, verbose);
}

}  // namespace

std::vector<std::string> readBodyLines(std::istream& script, const std::string& procedureName) {
  std::vector<std::string> lines;
  bool inProcedure = false;
  bool inBody = false;
  std::string line;
  while (std::getline(script, line)) {
    if (!script.eof() && !line.empty() && line.back() == '\r') line.pop_back();
    const bool start = procedureName.empty() ? scriptlines::isAnyProcedureStart(line)
                                             : scriptlines::isProcedureStart(line, procedureName);
    if (start) {
      inProcedure = true;
    } else if (inProcedure) {
      if (scriptlines::isBodyStart(line)) {
        inBody = true;
      } else if (scriptlines::isBodyEnd(line)) {
        if (!procedureName.empty()) break;
        inBody = false;
      } else if (inBody) {
        if (const auto text = scriptlines::bodyLineText(line)) lines.emplace_back(*text);
      }
    }
  }
  return lines;
}

std::vector<std::string> readBodyLines(const std::string& file, const std::string& procedureName,
                                       bool verbose) {
  // A FIFO, device or huge file met on the way is passed over rather than waited for or read.
  const os::OsResult<std::string> read = os::readRegularFile(file);
  if (!read) {
    if (!os::isMissingFile(read.failure()) && verbose)
      printError("remark: file \"" + file + "\" cannot be read (" + read.failure().text +
                 "). Ignored.");
    return {};
  }
  // "\r\n" is read as a line end on every platform.
  std::istringstream script(*read);
  return readBodyLines(script, procedureName);
}

void readProcedureFile(const std::string& file, const std::string& procedureName,
                       std::vector<std::string>& lines, std::vector<std::string>& imports,
                       bool verbose) {
  std::vector<std::string> collected;
  const fs::path directory = fs::path(file).parent_path();
  for (const std::string& raw : readBodyLines(file, procedureName, verbose)) {
    std::string decoded = scriptlines::decodeEntities(raw);
    if (const auto imported = scriptlines::importedPath(decoded)) {
      // A path that cannot even be examined (too long, say) is treated as missing.
      const fs::path path = fs::absolute(fs::path(std::string(*imported)), directory);
      boost::system::error_code unexaminable;
      if (fs::exists(path, unexaminable))
        imports.push_back(fs::canonical(path).string());
      else if (verbose)
        printError("remark: import directory \"" + path.string() + "\" not found. Ignored.");
    }
    collected.push_back(std::move(decoded));
  }
  lines = std::move(collected);
}

void searchForProcedure(const std::string& path, const std::string& procedureName,
                        const std::vector<std::string>& candidates, std::vector<std::string>& lines,
                        std::vector<std::string>& imports, bool verbose) {
  if (isDirectory(path))
    return searchDirectory(path, procedureName, candidates, lines, imports, verbose);
  if (hasExtension(path, ".hdpl") || hasExtension(path, ".hdev"))
    readProcedureFile(path, procedureName, lines, imports, verbose);
  else
    lines.clear();
}

void scanScript(const ScriptSearch& search, const std::string& scriptPath,
                const std::string& procedureName, std::vector<std::string>& lines,
                std::vector<std::string>& importDirectories) {
  const ProcedureFiles files = procedureFiles(procedureName);

  // In the order the engine resolves a name: the program or the library named on the command
  // line itself, the script's directory, the procedure path as given; the installation's
  // procedures come last, after the imported directories.
  std::vector<std::string> roots;
  if (hasExtension(scriptPath, ".hdev") || hasExtension(scriptPath, ".hdpl"))
    roots.push_back(scriptPath);
  roots.push_back(fs::path(scriptPath).parent_path().string());
  roots.insert(roots.end(), search.procedureDirectories.begin(), search.procedureDirectories.end());
  const std::string installation = search.halconroot + "/procedures";
  roots.push_back(installation);
  // Of roots that are one object, the first stays: the engine finds nothing new in the others.
  std::vector<std::string> distinct;
  for (const std::string& root : roots) {
    const bool earlier = std::any_of(distinct.begin(), distinct.end(), [&](const std::string& r) {
      return r == root || sameObject(r, root);
    });
    if (!earlier) distinct.push_back(root);
  }
  roots = std::move(distinct);
  const bool installationLast = roots.back() == installation;

  // Imports are searched in turn, so they are followed transitively, each object once.
  size_t importedCount = 0;
  for (size_t i = 0; i < roots.size(); ++i) {
    std::vector<std::string> imports;
    readImportsOf(fs::path(roots[i]), imports, search.verbose);  // roots grows below
    for (const std::string& imported : imports) {
      if (containsObject(roots, imported)) continue;
      roots.push_back(imported);
      importDirectories.push_back(imported);
      ++importedCount;
    }
  }
  if (installationLast) {
    const auto imported = roots.end() - static_cast<std::ptrdiff_t>(importedCount);
    std::rotate(imported - 1, imported, roots.end());
  }

  lines.clear();
  if (procedureName.empty()) return;
  for (const std::string& root : roots) {
    std::vector<std::string> ignored;
    searchForProcedure(root, files.baseName, files.candidates, lines, ignored, search.verbose);
    if (!lines.empty()) return;
  }
}

std::vector<std::string> scanScriptImports(const ScriptSearch& search,
                                           const std::string& scriptPath) {
  std::vector<std::string> lines;
  std::vector<std::string> imports;
  scanScript(search, scriptPath, "", lines, imports);
  return imports;
}

std::vector<std::string> findProcedureLines(const ScriptSearch& search,
                                            const std::string& scriptPath,
                                            const std::string& procedureName) {
  std::vector<std::string> lines;
  std::vector<std::string> imports;
  scanScript(search, scriptPath, procedureName, lines, imports);
  return lines;
}

}  // namespace Velotrax
