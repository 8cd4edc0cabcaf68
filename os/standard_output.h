// Standard output that cannot be written is a failure of the program, not a silent loss.
#pragma once

#include <string_view>

#include "system_error.h"

namespace Velotrax::os {

// Receives the first refusal of standard output, when it happens: the program says so in its
// own words. Its text is the runtime library's (strerror); its code is 0 when the library gave
// none. Until one is given, refusals are kept quiet (and still fail the process).
using StandardOutputRefusal = void (*)(const OsFailure& failure);
void onStandardOutputRefused(StandardOutputRefusal report);

// Writes the text to standard output and hands it to the system at once. False when the
// system refused it, now or at any earlier write or flush of this process.
bool writeStandardOutput(std::string_view text);

// Hands what standard output holds to the system. False as above. The first refusal is
// reported at once; a reader that went away (a broken pipe) ends the process quietly with
// status 1, as the pipe's signal does where it is not ignored.
bool flushStandardOutput();

// Keeps the standard descriptors that the program was started without occupied by a
// descriptor that refuses writes, so that no file opened later takes their number and
// receives the program's output, and writing to them still fails.
void holdStandardDescriptors();

}  // namespace Velotrax::os
