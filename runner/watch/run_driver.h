// The run driver: one run, or watch mode's repeated passes; in this process or, with
// --separate, in child processes.
#pragma once

#include <vector>

#include "execution/script_run.h"
#include "execution/tuple_parser.h"

namespace Velotrax {

// True when the run succeeded, or when watch mode ended normally.
bool runDriver(const RunRequest& request, const std::vector<ProcedureArgument>& arguments);

}  // namespace Velotrax
