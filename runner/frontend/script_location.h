// Turns the script as typed into program or procedure and procedure directories, and makes the
// script's directory the working directory.
#pragma once

#include <string>

#include "common/run_settings.h"

namespace Velotrax {

// Finds the script `settings.scriptArgument` names (warning when it is not found).
LocatedScript locateScript(const RunSettings& settings);

// The procedure path text the engine is handed: the procedure directories joined with ';'.
std::string procedurePathText(const LocatedScript& script);

// Makes the first procedure directory the working directory, if there is one.
void enterScriptDirectory(const LocatedScript& script, bool verbose);

}  // namespace Velotrax
