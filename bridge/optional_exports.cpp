// The exports a runner binds only when present: the window dump.
#include <string>

#include "boundary.h"
#include "bridge_state.h"
#include "window_operator_impl.h"

extern "C" {

EngineErrorRecord* hdumpWindows(const char* directory, const char* baseName, int32_t* written) {
  return brimlet::guarded(__func__, [&] {
    // Before hinit no script can have opened a window.
    brimlet::HDevOperatorImplCppNative* impl = brimlet::bridgeState().operatorImpl.load();
    const int32_t count =
        impl ? impl->dumpWindows(directory ? directory : "", baseName ? baseName : "") : 0;
    if (written) *written = count;
  });
}

}  // extern "C"
