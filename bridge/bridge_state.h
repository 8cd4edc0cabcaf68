// The bridge's process-wide state: output handlers and flags, set by the runner at start-up.
#pragma once

#include <string>

#include "brimlet_exports.h"

namespace brimlet {

struct BridgeState {
  OutputHandler normalOutput = nullptr;
  OutputHandler errorOutput = nullptr;
  bool verbose = false;
  bool fullscreen = false;
};

BridgeState& bridgeState();

// Hands one message to normal or error output; dropped when that handler is null.
void sendNormal(const std::string& text);
void sendError(const std::string& text);

}  // namespace brimlet
