// Chooses the HALCON installation and prepares the process for it: environment variables,
// messages about what is missing, and the DLL search directory.
#pragma once

#include <optional>
#include <string>

#include "common/run_settings.h"

namespace Velotrax {

// Runs once, after the options and before the bridge is loaded. Returns the installation root
// the run uses; nothing when the run must end.
std::optional<std::string> prepareHalconEnvironment(const RunSettings& settings);

}  // namespace Velotrax
