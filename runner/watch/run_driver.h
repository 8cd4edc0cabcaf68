// The run driver: one run, or watch mode's repeated passes.
#pragma once

#include <vector>

#include "execution/tuple_parser.h"

namespace Velotrax {

// True when the run (or watch mode) succeeded.
bool runDriver(const std::vector<ProcedureArgument>& arguments);

}  // namespace Velotrax
