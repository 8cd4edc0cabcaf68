// Process environment variables.
#pragma once

#include <string>

namespace Velotrax::os {

// The variable's value; empty when it is not set.
std::string getEnvironment(const std::string& name);

// Sets the variable for this process and the processes it starts. False when the system refuses;
// `error` (when given) then receives the system's message and the runtime's copy is unchanged.
bool setEnvironment(const std::string& name, const std::string& value,
                    std::string* error = nullptr);

}  // namespace Velotrax::os
