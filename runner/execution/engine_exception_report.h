// The report of an engine exception: the script, the engine's one-line report, and the lines of
// the failing procedure around the failing line.
#pragma once

#include <string>

#include "execution/import_scanner.h"
#include "halcon/hde_exception.h"

namespace Velotrax {

// Writes the report as one error message, and gives its text. Throws when the failing line
// number does not fit or the procedure's file cannot be read; the caller then drops the report.
std::string reportEngineException(const HDEException& exception, const ScriptSearch& search,
                                  const std::string& scriptPath);

}  // namespace Velotrax
