// Process environment variables.
#pragma once

#include <string>

namespace Velotrax::os {

// The variable's value; empty when it is not set.
std::string getEnvironment(const std::string& name);

// Sets the variable for this process and the processes it starts.
void setEnvironment(const std::string& name, const std::string& value);

}  // namespace Velotrax::os
