#include "loader.h"

#include <cstdlib>
#include <functional>
#include <set>

#include "HDevEngineCpp.h"
#include "compiler.h"
#include "engine_state.h"
#include "errors.h"
#include "path_util.h"
#include "system_state.h"

namespace standin::engine {
namespace {

// Where the procedures of one file look for the names they call.
struct Scope {
  std::map<std::string, std::shared_ptr<Procedure>> locals;  // a program's own procedures
  std::shared_ptr<const ScriptFile> library;                 // siblings in a .hdpl
  std::vector<std::string> importDirs;
};

[[noreturn]] void loadFailure(const std::string& message, const std::string& procName) {
  throw HDevEngineCpp::HDevEngineException(message.c_str(), err::kLoadFailed, procName.c_str(), "",
                                           -1);
}

std::string rootProcedures() {
  const char* root = std::getenv("HALCONROOT");
  return root && *root ? joinPath(root, "procedures") : std::string();
}

std::vector<std::string> importsOf(const ScriptFile& file) {
  std::vector<std::string> dirs;
  std::string base = parentDirectory(file.path);
  for (const auto& proc : file.procedures) {
    for (const auto& dir : importedDirectories(proc)) {
      std::string abs = joinPath(base, dir);
      if (!isDirectory(abs)) {
        reportLowLevelError("import: directory '" + abs + "' not found, ignored");
        continue;
      }
      dirs.push_back(abs);
    }
  }
  return dirs;
}

const Procedure* resolve(const std::string& name, const Scope& scope);

// Cache key of an external procedure: its file and its name.
std::string cacheKey(const std::string& path, const std::string& name) {
  return path + '\n' + name;
}

const Procedure* cachedProcedure(const std::string& path, const std::string& name) {
  EngineState& st = engineState();
  auto it = st.procedures.find(cacheKey(path, name));
  return it == st.procedures.end() ? nullptr : it->second.get();
}

// Loads procedure `index` of `file` as an external procedure, once per file.
const Procedure* loadExternal(const std::shared_ptr<const ScriptFile>& file, size_t index) {
  EngineState& st = engineState();
  const ProcedureSource& src = file->procedures[index];
  if (const Procedure* cached = cachedProcedure(file->path, src.name)) return cached;
  std::string key = cacheKey(file->path, src.name);
  std::shared_ptr<Procedure> proc = declareProcedure(src, file->path);
  st.procedures[key] = proc;  // before compiling: the body may call itself
  try {
    Scope scope;
    if (lowerExtension(file->path) == ".hdpl") scope.library = file;
    scope.importDirs = importsOf(*file);
    CompileContext ctx{[&](const std::string& n) { return resolve(n, scope); },
                       st.ignoreInvalidLines, st.ignoreUnresolvedLines};
    CompileResult result = compileBody(*proc, src, ctx);
    std::string message = loadErrorMessage(src.name, result, ctx);
    if (!message.empty()) loadFailure(message, proc->reportName);
  } catch (...) {
    st.procedures.erase(key);
    throw;
  }
  return proc.get();
}

std::shared_ptr<const ScriptFile> libraryFile(const std::string& path) {
  EngineState& st = engineState();
  auto it = st.libraries.find(path);
  if (it != st.libraries.end()) return it->second;
  auto file = std::make_shared<const ScriptFile>(readScriptFile(path));
  st.libraries.emplace(path, file);
  return file;
}

const Procedure* findInLibrary(const std::string& name, const std::string& path) {
  auto file = libraryFile(path);
  for (size_t i = 0; i < file->procedures.size(); ++i)
    if (file->procedures[i].name == name) return loadExternal(file, i);
  return nullptr;
}

// Looks for `name` in one procedure path entry: a directory (name.hdvp,
// then its .hdpl files) or a procedure library file named directly.
const Procedure* findInDirectory(const std::string& name, const std::string& dir) {
  if (lowerExtension(dir) == ".hdpl" && isRegularFile(dir)) return findInLibrary(name, dir);
  std::string hdvp = joinPath(dir, name + ".hdvp");
  if (isRegularFile(hdvp)) {
    if (const Procedure* cached = cachedProcedure(hdvp, name)) return cached;
    auto file = std::make_shared<const ScriptFile>(readScriptFile(hdvp));
    for (size_t i = 0; i < file->procedures.size(); ++i)
      if (file->procedures[i].name == name) return loadExternal(file, i);
  }
  // An old-format procedure is found, then refused with a clear error.
  std::string dvp = joinPath(dir, name + ".dvp");
  if (isRegularFile(dvp)) readScriptFile(dvp);
  for (const auto& lib : filesWithExtension(dir, ".hdpl"))
    if (const Procedure* p = findInLibrary(name, lib)) return p;
  return nullptr;
}

const Procedure* resolve(const std::string& name, const Scope& scope) {
  EngineState& st = engineState();
  auto local = scope.locals.find(name);
  if (local != scope.locals.end()) return local->second.get();
  if (scope.library) {
    for (size_t i = 0; i < scope.library->procedures.size(); ++i)
      if (scope.library->procedures[i].name == name) return loadExternal(scope.library, i);
  }
  std::vector<std::string> dirs = st.procedurePath;
  dirs.insert(dirs.end(), scope.importDirs.begin(), scope.importDirs.end());
  std::string root = rootProcedures();
  if (!root.empty()) dirs.push_back(root);
  for (const auto& dir : dirs)
    if (const Procedure* p = findInDirectory(name, dir)) return p;
  return nullptr;
}

std::vector<std::shared_ptr<Procedure>> reachableFrom(const std::shared_ptr<Procedure>& entry) {
  std::vector<std::shared_ptr<Procedure>> out;
  std::set<const Procedure*> seen;
  std::function<void(Procedure*)> visit = [&](Procedure* p) {
    if (!seen.insert(p).second) return;
    out.push_back(p->shared_from_this());
    for (Procedure* c : p->callees) visit(c);
  };
  visit(entry.get());
  return out;
}

}  // namespace

LoadedScript loadProgram(const std::string& path) {
  EngineState& st = engineState();
  std::lock_guard<std::recursive_mutex> guard(st.lock);
  auto file = std::make_shared<const ScriptFile>(readScriptFile(path));
  Scope scope;
  std::vector<std::shared_ptr<Procedure>> procs;
  for (const auto& src : file->procedures) {
    procs.push_back(declareProcedure(src, path));
    scope.locals.emplace(src.name, procs.back());
  }
  procs[0]->reportName = procs[0]->name + " (" + fileName(path) + ")";
  scope.importDirs = importsOf(*file);
  CompileContext ctx{[&](const std::string& n) { return resolve(n, scope); }, st.ignoreInvalidLines,
                     st.ignoreUnresolvedLines};
  for (size_t i = 0; i < procs.size(); ++i) {
    CompileResult result = compileBody(*procs[i], file->procedures[i], ctx);
    std::string message = loadErrorMessage(procs[i]->name, result, ctx);
    if (!message.empty()) loadFailure(message, procs[i]->reportName);
  }
  LoadedScript loaded;
  loaded.entry = procs[0];
  loaded.reachable = reachableFrom(procs[0]);
  // Locals that main never calls still belong to the program.
  for (auto& p : procs)
    if (std::find(loaded.reachable.begin(), loaded.reachable.end(), p) == loaded.reachable.end())
      loaded.reachable.push_back(p);
  return loaded;
}

LoadedScript loadProcedure(const std::string& name) {
  EngineState& st = engineState();
  std::lock_guard<std::recursive_mutex> guard(st.lock);
  const Procedure* p = resolve(name, Scope{});
  if (!p)
    throw HDevEngineCpp::HDevEngineException(
        ("Procedure '" + name + "' not found on the procedure path").c_str(), err::kProcNotFound,
        name.c_str(), "", -1);
  LoadedScript loaded;
  loaded.entry = const_cast<Procedure*>(p)->shared_from_this();
  loaded.reachable = reachableFrom(loaded.entry);
  return loaded;
}

void unloadAllProcedures() {
  EngineState& st = engineState();
  std::lock_guard<std::recursive_mutex> guard(st.lock);
  st.procedures.clear();
  st.libraries.clear();
}

}  // namespace standin::engine
