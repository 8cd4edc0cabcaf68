// The engine bridge's optional exports, as X-macros like the 50 of brimlet_export_list.h:
// X(name, result, parameter list). A runner binds each only when the bridge has it, and needs
// it only for the option that uses it, so an older bridge still serves every other run. Plain
// preprocessor text without includes, like the list of the 50.
#pragma once

// hdumpWindows: writes every open graphics window to "<directory>/<baseName>-<place>.png",
// place 1 at the bottom of the window stack, and sets *written to how many it wrote.
#define BRIMLET_OPTIONAL_EXPORTS(X)   \
  X(hdumpWindows, EngineErrorRecord*, \
    (const char* directory, const char* baseName, int32_t* written))
