// One run of the selected program or procedure through the bridge, and its result line.
#pragma once

#include <string>
#include <vector>

#include "common/run_settings.h"
#include "execution/import_scanner.h"
#include "execution/run_record.h"
#include "execution/tuple_parser.h"

namespace Velotrax {

// What a run reads: the settings, the located script and the installation the run uses.
struct RunRequest {
  const RunSettings& settings;
  const LocatedScript& script;
  std::string halconroot;
};

// Performs one run, then with --dump-windows writes the open windows, whatever the outcome; a
// failed dump fails the run. elapsedMs is -1 unless a call was executed. False when the run
// failed and the failure has been reported; engine errors other than engine exceptions
// propagate. An engine exception and the pictures written are described in `record` too, when
// one is given.
bool runScript(const RunRequest& request, const std::vector<ProcedureArgument>& arguments,
               int& elapsedMs, RunRecord* record = nullptr);

// Writes the one-line result of a run, and gives it.
std::string reportRunResult(const RunRequest& request, bool success, int elapsedMs);

// Where the report of an engine error looks for the script's procedures.
ScriptSearch scriptSearch(const RunRequest& request);

}  // namespace Velotrax
