// The option step: command line to RunSettings, plus the usage and version texts.
#pragma once

#include <string>
#include <string_view>

#include "common/run_settings.h"

namespace Velotrax {

// The name and version --version prints; the version is the build's project version.
extern const std::string_view kBanner;

enum class OptionResult {
  proceed = 0,   // go on with the run
  finished = 1,  // help or version shown: the program ends successfully
  failed = 2,    // option error, or no script: the program ends with an error
};

// Parses the command line into settings, switches to console mode and writes usage, version and
// path warnings. Option errors are written, never thrown.
OptionResult parseOptions(int argc, const char* const argv[], RunSettings& settings);

// The usage text, with the listing of the visible options.
std::string usageText();

// Asks the user for a script in the open-file dialog; empty when cancelled.
std::string openScriptDialog();

}  // namespace Velotrax
