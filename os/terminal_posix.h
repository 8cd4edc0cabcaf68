// Terminal facts shared by the POSIX console files.
#pragma once

namespace Velotrax::os {

// Whether text for this descriptor is painted: NO_COLOR (non-empty) forbids it, CLICOLOR_FORCE
// (non-empty and not "0") forces it, otherwise only a terminal gets colour.
bool colourWanted(int fd);

}  // namespace Velotrax::os
