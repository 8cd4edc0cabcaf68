// Starting and configuring the engine through the bridge. Every failing call throws
// HDEException at once.
#pragma once

#include <string>

namespace Velotrax {

// Engine start: hinit, verbosity, fullscreen, output handlers, the default window.
void startEngine();

// Hands the engine the procedure path text in one call.
void setProcedurePath(const std::string& procedurePath);

// The debugger settings, then the script-handling attributes.
void applyEngineAttributes();

}  // namespace Velotrax
