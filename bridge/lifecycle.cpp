// Engine start, output routing, verbosity, the default window and the shut-down wait.
#include <cstdint>
#include <string>

#include "boundary.h"
#include "bridge_state.h"

using brimlet::bridgeState;
using brimlet::guarded;
using brimlet::sendError;
using brimlet::sendNormal;
using HalconCpp::HTuple;

namespace brimlet {

BridgeState& bridgeState() {
  static BridgeState state;
  return state;
}

void sendNormal(const std::string& text) {
  if (OutputHandler handler = bridgeState().normalOutput) handler(text.c_str());
}

void sendError(const std::string& text) {
  if (OutputHandler handler = bridgeState().errorOutput) handler(text.c_str());
}

}  // namespace brimlet

namespace {

// The vision library's low-level error reports, forwarded to error output.
int lowLevelError(const char* text) {
  sendError(std::string("low level error: ") + (text ? text : ""));
  return 2;
}

}  // namespace

extern "C" {

EngineErrorRecord* hinit(int32_t) {
  return guarded(__func__, [] {
    HalconCpp::SetSystem("width", 512);
    HalconCpp::SetSystem("height", 512);
    HalconCpp::SetSystem("use_window_thread", "true");
  });
}

EngineErrorRecord* hsetVerbosity(int32_t flag) {
  if (flag == 0) {
    bridgeState().verbose = false;
    return nullptr;
  }
  bridgeState().verbose = true;
  try {
    HTuple callback("callback");
    callback.Append(HTuple(static_cast<Hlong>(reinterpret_cast<std::intptr_t>(&lowLevelError))));
    HalconCpp::SetSystem("do_low_error", callback);
  } catch (...) {
    sendError("could not set \"do_low_error\" handler");
  }
  return nullptr;
}

EngineErrorRecord* hsetStdOutHandler(OutputHandler handler) {
  bridgeState().normalOutput = handler;
  return nullptr;
}

EngineErrorRecord* hsetStdErrHandler(OutputHandler handler) {
  bridgeState().errorOutput = handler;
  return nullptr;
}

EngineErrorRecord* hsetFullscreen(int32_t flag) {
  bridgeState().fullscreen = flag != 0;
  return nullptr;
}

EngineErrorRecord* hopenDefaultWindow(void) {
  return guarded(__func__, [] {});
}

EngineErrorRecord* hprepareShutdown(void) {
  return guarded(__func__, [] {
    for (int attempt = 0;; ++attempt) {
      const Herror code = FinalizeHALCONLibrary();
      if (code != 9700) {
        if (bridgeState().verbose && code != 2)
          sendNormal("FinalizeHALCONLibrary returned with error " + std::to_string(code));
        return;
      }
      if (bridgeState().verbose ? attempt % 10 == 0 : attempt == 0)
        sendNormal(std::string("waiting for HALCON user threads to exit") +
                   (bridgeState().verbose ? " (error 9700)" : ""));
      HalconCpp::WaitSeconds(0.1);
      if (attempt + 1 >= 110) {
        sendError("aborting wait for user threads after timeout is reached (10s)");
        return;
      }
    }
  });
}

}  // extern "C"
