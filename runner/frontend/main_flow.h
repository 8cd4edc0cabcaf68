// The runner's main flow: options, banner, set-up and run, mapped to exit status 0 or 1.
#pragma once

namespace Velotrax {

// Runs the whole runner once and returns its exit status.
int mainBody(int argc, const char* const argv[]);

// Runs the main body, shows the end-of-run notice and ends the process with the exit status.
[[noreturn]] void runEntry(int argc, const char* const argv[]);

}  // namespace Velotrax
