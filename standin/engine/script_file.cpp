// Script file reading shared by every XML back end: file access and the
// checks for the old plain-text formats.
#include "script_file.h"
#include "HDevEngineCpp.h"
#include "errors.h"
#include "os/file_io.h"
#include "path_util.h"

namespace standin::engine {

ScriptFile readScriptFile(const std::string& path) {
  std::string ext = lowerExtension(path);
  if (ext == ".dev" || ext == ".dvp")
    throw HDevEngineCpp::HDevEngineException(
        ("The file format of '" + path +
         "' is not supported: only the XML formats .hdev, .hdvp and .hdpl can be loaded")
            .c_str(),
        err::kFormatUnsupported, "", "", -1);
  const Velotrax::os::OsResult<std::string> file = Velotrax::os::readRegularFile(path);
  if (!file)
    throw HDevEngineCpp::HDevEngineException(
        ("Cannot open file '" + path + "': " + file.failure().text).c_str(), err::kFileNotFound, "",
        "", -1);
  return parseScriptText(*file, path);
}

}  // namespace standin::engine
