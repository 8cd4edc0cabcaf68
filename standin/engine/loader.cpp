#include "loader.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <set>

#include "HDevEngineCpp.h"
#include "compiler.h"
#include "engine_stack.h"
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

// A declared procedure whose body is still to be compiled.
struct Pending {
  std::shared_ptr<Procedure> proc;
  std::shared_ptr<const ScriptFile> file;  // keeps the source alive
  size_t index;                            // of the procedure in file
  std::shared_ptr<const Scope> scope;
};

// One load. Procedures are declared when first called and compiled one after another from a
// queue, so that a long chain of calls needs no deep recursion. Until the load succeeds, the
// external procedures it put into the cache are taken out again on failure: a load is all or
// nothing, and nothing cached ever points at a procedure that is not cached.
class LoadSession {
 public:
  LoadSession() = default;
  LoadSession(const LoadSession&) = delete;
  LoadSession& operator=(const LoadSession&) = delete;
  ~LoadSession() {
    if (committed_) return;
    EngineState& st = engineState();
    for (const auto& key : cached_) st.procedures.erase(key);
  }

  void cache(const std::string& key, std::shared_ptr<Procedure> proc) {
    engineState().procedures[key] = std::move(proc);
    cached_.push_back(key);
  }
  void schedule(Pending p) { queue_.push_back(std::move(p)); }
  // Compiles every scheduled body, including those scheduled meanwhile; throws on the first
  // procedure with load errors.
  void compileAll();
  void commit() { committed_ = true; }

 private:
  std::vector<std::string> cached_;
  std::deque<Pending> queue_;
  bool committed_ = false;
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

const Procedure* resolve(const std::string& name, const Scope& scope, LoadSession& session);

void LoadSession::compileAll() {
  EngineState& st = engineState();
  while (!queue_.empty()) {
    Pending p = std::move(queue_.front());
    queue_.pop_front();
    CompileContext ctx{[&](const std::string& n) { return resolve(n, *p.scope, *this); },
                       st.ignoreInvalidLines, st.ignoreUnresolvedLines};
    const ProcedureSource& src = p.file->procedures[p.index];
    CompileResult result = compileBody(*p.proc, src, ctx);
    std::string message = loadErrorMessage(src.name, result, ctx);
    if (!message.empty()) loadFailure(message, p.proc->reportName);
  }
}

// Cache key of an external procedure: its file and its name.
std::string cacheKey(const std::string& path, const std::string& name) {
  return path + '\n' + name;
}

const Procedure* cachedProcedure(const std::string& path, const std::string& name) {
  EngineState& st = engineState();
  auto it = st.procedures.find(cacheKey(path, name));
  return it == st.procedures.end() ? nullptr : it->second.get();
}

// Procedure `index` of `file` as an external procedure, declared once per file; its body is
// compiled later by the session.
const Procedure* loadExternal(const std::shared_ptr<const ScriptFile>& file, size_t index,
                              LoadSession& session) {
  const ProcedureSource& src = file->procedures[index];
  if (const Procedure* cached = cachedProcedure(file->path, src.name)) return cached;
  std::shared_ptr<Procedure> proc = declareProcedure(src, file->path);
  auto scope = std::make_shared<Scope>();
  if (lowerExtension(file->path) == ".hdpl") scope->library = file;
  scope->importDirs = importsOf(*file);
  session.cache(cacheKey(file->path, src.name), proc);
  session.schedule(Pending{proc, file, index, std::move(scope)});
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

const Procedure* findInLibrary(const std::string& name, const std::string& path,
                               LoadSession& session) {
  auto file = libraryFile(path);
  for (size_t i = 0; i < file->procedures.size(); ++i)
    if (file->procedures[i].name == name) return loadExternal(file, i, session);
  return nullptr;
}

// Looks for `name` in one procedure path entry: a directory (name.hdvp,
// then its .hdpl files) or a procedure library file named directly.
const Procedure* findInDirectory(const std::string& name, const std::string& dir,
                                 LoadSession& session) {
  if (lowerExtension(dir) == ".hdpl" && isRegularFile(dir))
    return findInLibrary(name, dir, session);
  std::string hdvp = joinPath(dir, name + ".hdvp");
  if (isRegularFile(hdvp)) {
    if (const Procedure* cached = cachedProcedure(hdvp, name)) return cached;
    auto file = std::make_shared<const ScriptFile>(readScriptFile(hdvp));
    for (size_t i = 0; i < file->procedures.size(); ++i)
      if (file->procedures[i].name == name) return loadExternal(file, i, session);
  }
  // An old-format procedure is found, then refused with a clear error.
  std::string dvp = joinPath(dir, name + ".dvp");
  if (isRegularFile(dvp)) readScriptFile(dvp);
  for (const auto& lib : filesWithExtension(dir, ".hdpl"))
    if (const Procedure* p = findInLibrary(name, lib, session)) return p;
  return nullptr;
}

const Procedure* resolve(const std::string& name, const Scope& scope, LoadSession& session) {
  EngineState& st = engineState();
  auto local = scope.locals.find(name);
  if (local != scope.locals.end()) return local->second.get();
  if (scope.library) {
    for (size_t i = 0; i < scope.library->procedures.size(); ++i)
      if (scope.library->procedures[i].name == name) return loadExternal(scope.library, i, session);
  }
  std::vector<std::string> dirs = st.procedurePath;
  dirs.insert(dirs.end(), scope.importDirs.begin(), scope.importDirs.end());
  std::string root = rootProcedures();
  if (!root.empty()) dirs.push_back(root);
  for (const auto& dir : dirs)
    if (const Procedure* p = findInDirectory(name, dir, session)) return p;
  return nullptr;
}

// Every procedure the entry can reach through calls, the entry first; walked without
// recursion, however long the chains.
std::vector<std::shared_ptr<Procedure>> reachableFrom(const std::shared_ptr<Procedure>& entry) {
  std::vector<std::shared_ptr<Procedure>> out{entry};
  std::set<const Procedure*> seen{entry.get()};
  for (size_t i = 0; i < out.size(); ++i) {
    for (Procedure* callee : out[i]->callees)
      if (seen.insert(callee).second) out.push_back(callee->shared_from_this());
  }
  return out;
}

LoadedScript loadProgramHere(const std::string& path) {
  auto file = std::make_shared<const ScriptFile>(readScriptFile(path));
  auto scope = std::make_shared<Scope>();
  std::vector<std::shared_ptr<Procedure>> procs;
  for (const auto& src : file->procedures) {
    procs.push_back(declareProcedure(src, path));
    scope->locals.emplace(src.name, procs.back());
  }
  procs[0]->reportName = procs[0]->name + " (" + fileName(path) + ")";
  scope->importDirs = importsOf(*file);
  LoadSession session;
  for (size_t i = 0; i < procs.size(); ++i) session.schedule(Pending{procs[i], file, i, scope});
  session.compileAll();
  session.commit();
  LoadedScript loaded;
  loaded.entry = procs[0];
  loaded.reachable = reachableFrom(procs[0]);
  // Locals that main never calls still belong to the program.
  for (auto& p : procs)
    if (std::find(loaded.reachable.begin(), loaded.reachable.end(), p) == loaded.reachable.end())
      loaded.reachable.push_back(p);
  return loaded;
}

LoadedScript loadProcedureHere(const std::string& name) {
  LoadSession session;
  const Procedure* p = resolve(name, Scope{}, session);
  if (!p)
    throw HDevEngineCpp::HDevEngineException(
        ("Procedure '" + name + "' not found on the procedure path").c_str(), err::kProcNotFound,
        name.c_str(), "", -1);
  session.compileAll();
  session.commit();
  LoadedScript loaded;
  loaded.entry = const_cast<Procedure*>(p)->shared_from_this();
  loaded.reachable = reachableFrom(loaded.entry);
  return loaded;
}

}  // namespace

LoadedScript loadProgram(const std::string& path) {
  LoadedScript loaded;
  onEngineStack([&] {
    std::lock_guard<std::recursive_mutex> guard(engineState().lock);
    loaded = loadProgramHere(path);
  });
  return loaded;
}

LoadedScript loadProcedure(const std::string& name) {
  LoadedScript loaded;
  onEngineStack([&] {
    std::lock_guard<std::recursive_mutex> guard(engineState().lock);
    loaded = loadProcedureHere(name);
  });
  return loaded;
}

void unloadAllProcedures() {
  EngineState& st = engineState();
  std::lock_guard<std::recursive_mutex> guard(st.lock);
  st.procedures.clear();
  st.libraries.clear();
}

}  // namespace standin::engine
