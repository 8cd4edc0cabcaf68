// Chooses the HALCON installation and prepares the process for it: environment variables,
// messages about what is missing, and the DLL search directory.
#pragma once

namespace Velotrax {

// Runs once, after the options and before the bridge is loaded. False when the run must end.
bool prepareHalconEnvironment();

}  // namespace Velotrax
