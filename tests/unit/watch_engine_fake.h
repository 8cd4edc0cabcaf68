// An engine client whose only live entries are the ones the watch loop uses.
#pragma once

#include <atomic>

#include "brimlet_exports.h"

namespace Velotrax::testing_support {

// Calls of hunloadAllProcedures since installFakeEngine().
extern std::atomic<int> unloadCalls;
// Handed out (once) by the next hunloadAllProcedures call.
extern std::atomic<EngineErrorRecord*> nextUnloadError;

// Makes the fake the process's engine client (the first time) and resets its counts.
void installFakeEngine();
// A record the fake's hclearErrorMsg releases.
EngineErrorRecord* makeErrorRecord(const char* message);

}  // namespace Velotrax::testing_support
