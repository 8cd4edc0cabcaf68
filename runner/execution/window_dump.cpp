#include "window_dump.h"

#include <algorithm>
#include <boost/filesystem/operations.hpp>
#include <boost/filesystem/path.hpp>
#include <stdexcept>

#include "common/file_system.h"
#include "halcon/engine_client.h"
#include "os/module.h"

namespace fs = boost::filesystem;

namespace Velotrax {

namespace {

constexpr const char* kProgramProcedure = "main";

std::string bridgePath(const EngineClient& engine) {
  if (engine.module) {
    const os::OsResult<std::string> path = engine.module->path();
    if (path && !path->empty()) return *path;
  }
  return "in use";
}

const EngineClient& dumpingClient() {
  const EngineClient& engine = engineClient();
  if (!engine.hdumpWindows)
    throw std::runtime_error("the bridge " + bridgePath(engine) +
                             " cannot dump windows: it has no hdumpWindows entry");
  return engine;
}

}  // namespace

void prepareWindowDump(const RunSettings& settings) {
  if (settings.dumpWindows.empty() || settings.queryMode) return;
  dumpingClient();
  const fs::path directory(settings.dumpWindows);
  boost::system::error_code error;
  if (fs::exists(fs::symlink_status(directory, error)) && !isDirectory(directory))
    throw std::runtime_error("cannot dump windows to " + settings.dumpWindows +
                             ": it is not a directory");
  if (!isDirectory(directory) && !fs::create_directories(directory, error) && error)
    throw std::runtime_error("cannot create the directory " + settings.dumpWindows +
                             " for the window dumps: " + error.message());
}

std::string windowDumpBaseName(const RunSettings& settings, const LocatedScript& script) {
  const fs::path file(script.scriptPath.empty() ? settings.scriptArgument : script.scriptPath);
  fs::path name = file.filename();
  if (!settings.startDirectory.empty()) {
    const fs::path relative = file.lexically_relative(settings.startDirectory);
    if (!relative.empty() && *relative.begin() != "..") name = relative;
  }
  std::string base = name.string();
  std::replace_if(
      base.begin(), base.end(), [](char c) { return c == '/' || c == '\\' || c == ':'; }, '_');
  return base + "-" +
         (script.procedureName.empty() ? std::string(kProgramProcedure) : script.procedureName);
}

std::vector<std::string> dumpWindows(const RunRequest& request) {
  const EngineClient& engine = dumpingClient();
  const std::string& directory = request.settings.dumpWindows;
  const std::string base = windowDumpBaseName(request.settings, request.script);
  int32_t written = 0;
  throwIfFailed(engine.hdumpWindows(directory.c_str(), base.c_str(), &written));
  std::vector<std::string> paths;
  for (int32_t place = 1; place <= written; ++place)
    paths.push_back((fs::path(directory) / (base + "-" + std::to_string(place) + ".png")).string());
  return paths;
}

}  // namespace Velotrax
