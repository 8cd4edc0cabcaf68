// The bridge's process-wide state: output handlers, flags and the window-operator
// implementation, and the two outputs every message of the bridge goes to.
#pragma once

#include <atomic>
#include <string>

#include "brimlet_exports.h"

namespace brimlet {

class HDevOperatorImplCppNative;

// Set by the runner at start-up and read from any engine thread afterwards, without a lock;
// atomic so that a late change is still well defined.
struct BridgeState {
  std::atomic<OutputHandler> normalOutput{nullptr};
  std::atomic<OutputHandler> errorOutput{nullptr};
  std::atomic<bool> verbose{false};
  std::atomic<bool> fullscreen{false};
  std::atomic<HDevOperatorImplCppNative*> operatorImpl{nullptr};
};

BridgeState& bridgeState();

// Hands one message to normal or error output; dropped when that handler is null.
void sendNormal(const char* text) noexcept;
void sendNormal(const std::string& text) noexcept;
void sendError(const char* text) noexcept;
void sendError(const std::string& text) noexcept;

}  // namespace brimlet
