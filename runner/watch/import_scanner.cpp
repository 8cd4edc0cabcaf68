// Placeholder until the import scanner is built.
#include "import_scanner.h"

#include <stdexcept>

namespace Velotrax {

std::vector<std::string> scanScriptImports(const std::string&) {
  throw std::logic_error("the import scanner is not built yet");
}
std::vector<std::string> findProcedureLines(const std::string&, const std::string&) {
  throw std::logic_error("the import scanner is not built yet");
}

}  // namespace Velotrax
