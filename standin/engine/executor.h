// Runs a loaded script's entry procedure under the engine lock.
#pragma once

#include <vector>

#include "loader.h"

namespace standin::engine {

struct CallData {
  std::vector<Value> ctrlIn, ctrlOut;
  std::vector<Object> iconicIn, iconicOut;
};

// Executes script.entry with the inputs of data and stores its outputs there.
// Every failure leaves as HDevEngineException.
void executeScript(const LoadedScript& script, CallData& data);

}  // namespace standin::engine
