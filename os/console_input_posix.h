// Console input on any descriptor, for tests that drive it through a pseudo-terminal.
#pragma once

#include <memory>

#include "console_input.h"

namespace Velotrax::os {

// Keys from `fd` when it is a terminal; otherwise an input that never has a key.
std::unique_ptr<ConsoleInput> consoleInputFor(int fd);

}  // namespace Velotrax::os
