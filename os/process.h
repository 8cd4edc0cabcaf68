// Process-wide operations.
#pragma once

namespace Velotrax::os {

// Flushes standard output and standard error, so redirected output is never lost, then ends the
// process at once: no static destructors or exit handlers run. Standard output that could not
// be written, then or earlier, turns the status into 1.
[[noreturn]] void exitNow(int status);

}  // namespace Velotrax::os
