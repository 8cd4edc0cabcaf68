// Engine start, output routing, verbosity, the default window and the shut-down wait.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "boundary.h"
#include "bridge_state.h"
#include "window_operator_impl.h"

using brimlet::bridgeState;
using brimlet::guarded;
using brimlet::HDevOperatorImplCppNative;
using brimlet::sendError;
using brimlet::sendNormal;
using HalconCpp::HTuple;

namespace {

// The vision library's low-level error reports, forwarded to error output.
int lowLevelError(const char* text) noexcept {
  try {
    sendError(std::string("low level error: ") + (text ? text : ""));
  } catch (...) {
    // Out of memory: the report is lost, the library carries on.
  }
  return H_MSG_TRUE;
}

constexpr int kUserThreadsRunning = 9700;
// Attempts of the shut-down wait, 0.1 s apart. The timeout line says 10 s; the wait is 11 s.
constexpr int kShutdownAttempts = 110;

}  // namespace

extern "C" {

EngineErrorRecord* hinit(int32_t) {
  return guarded(__func__, [] {
    HalconCpp::SetSystem("width", 512);
    HalconCpp::SetSystem("height", 512);
    HalconCpp::SetSystem("use_window_thread", "true");
    // One implementation per process, handed to the engine, which keeps it until the end; a
    // repeated hinit hands over the same one, so the open windows stay known.
    HDevOperatorImplCppNative* impl = bridgeState().operatorImpl.load();
    if (!impl) {
      impl = new HDevOperatorImplCppNative;
      bridgeState().operatorImpl.store(impl);
    }
    HDevEngineCpp::HDevEngine().SetHDevOperatorImpl(impl, true);
  });
}

EngineErrorRecord* hsetVerbosity(int32_t flag) {
  if (flag == 0) {
    bridgeState().verbose.store(false);
    return nullptr;
  }
  bridgeState().verbose.store(true);
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
  bridgeState().normalOutput.store(handler);
  return nullptr;
}

EngineErrorRecord* hsetStdErrHandler(OutputHandler handler) {
  bridgeState().errorOutput.store(handler);
  return nullptr;
}

EngineErrorRecord* hsetFullscreen(int32_t flag) {
  bridgeState().fullscreen.store(flag != 0);
  return nullptr;
}

EngineErrorRecord* hopenDefaultWindow(void) {
  return guarded(__func__, [] {
    HDevOperatorImplCppNative* impl = bridgeState().operatorImpl.load();
    if (!impl) throw std::logic_error("hinit was not called");
    HTuple window;
    int status = impl->OnOpenWindow(HTuple(0), HTuple(0), HTuple(640), HTuple(480), HTuple("black"),
                                    &window);
    if (status != H_MSG_TRUE)
      sendError("Opened default window failed: error " + std::to_string(status));
    status = impl->OnSetPart(HTuple(0), HTuple(0), HTuple(479), HTuple(639));
    if (status != H_MSG_TRUE)
      sendError("Opened default window failed: error " + std::to_string(status));
    if (bridgeState().verbose.load())
      sendNormal(std::string("Opened default window with ID ") + window.ToString().Text());
  });
}

EngineErrorRecord* hprepareShutdown(void) {
  return guarded(__func__, [] {
    for (int attempt = 0;;) {
      const Herror code = FinalizeHALCONLibrary();
      const bool verbose = bridgeState().verbose.load();
      if (code != kUserThreadsRunning) {
        if (verbose && code != H_MSG_TRUE)
          sendNormal("FinalizeHALCONLibrary returned with error " + std::to_string(code));
        return;
      }
      if (verbose ? attempt % 10 == 0 : attempt == 0)
        sendNormal(verbose ? "waiting for HALCON user threads to exit (error 9700)"
                           : "waiting for HALCON user threads to exit");
      ++attempt;
      HalconCpp::WaitSeconds(0.1);
      if (attempt >= kShutdownAttempts) {
        sendError("aborting wait for user threads after timeout is reached (10s)");
        return;
      }
    }
  });
}

}  // extern "C"
