// One run of the selected program or procedure through the bridge, and its result line.
#pragma once

#include <vector>

#include "execution/tuple_parser.h"

namespace Velotrax {

// Performs one run. elapsedMs is -1 unless a call was executed. False when the run failed and
// the failure has been reported; engine errors other than engine exceptions propagate.
bool runScript(const std::vector<ProcedureArgument>& arguments, int& elapsedMs);

// Writes the one-line result of a run.
void reportRunResult(bool success, int elapsedMs);

}  // namespace Velotrax
