#include "bridge_state.h"

namespace brimlet {

BridgeState& bridgeState() {
  static BridgeState state;
  return state;
}

void sendNormal(const char* text) noexcept {
  if (OutputHandler handler = bridgeState().normalOutput.load()) handler(text);
}

void sendNormal(const std::string& text) noexcept {
  sendNormal(text.c_str());
}

void sendError(const char* text) noexcept {
  if (OutputHandler handler = bridgeState().errorOutput.load()) handler(text);
}

void sendError(const std::string& text) noexcept {
  sendError(text.c_str());
}

}  // namespace brimlet
