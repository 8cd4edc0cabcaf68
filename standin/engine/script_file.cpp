// Script file reading shared by every XML back end: file access and the
// checks for the old plain-text formats.
#include <fstream>
#include <sstream>

#include "HDevEngineCpp.h"
#include "errors.h"
#include "path_util.h"
#include "script_file.h"

namespace standin::engine {

ScriptFile readScriptFile(const std::string& path) {
  std::string ext = lowerExtension(path);
  if (ext == ".dev" || ext == ".dvp")
    throw HDevEngineCpp::HDevEngineException(
        ("The file format of '" + path +
         "' is not supported: only the XML formats .hdev, .hdvp and .hdpl can be loaded")
            .c_str(),
        err::kFormatUnsupported, "", "", -1);
  std::ifstream in(path, std::ios::binary);
  if (!in || isDirectory(path))
    throw HDevEngineCpp::HDevEngineException(("Cannot open file '" + path + "'").c_str(),
                                             err::kFileNotFound, "", "", -1);
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return parseScriptText(buffer.str(), path);
}

}  // namespace standin::engine
