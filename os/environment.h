// Process environment variables.
#pragma once

#include <optional>
#include <string>

#include "system_error.h"

namespace Velotrax::os {

// The variable's value; empty when it is not set.
std::string getEnvironment(const std::string& name);

// Sets the variable for this process and the processes it starts. When the system refuses, the
// runtime's copy is unchanged too.
std::optional<OsFailure> setEnvironment(const std::string& name, const std::string& value);

}  // namespace Velotrax::os
