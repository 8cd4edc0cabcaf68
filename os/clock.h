// The monotonic high-resolution clock that run times are measured on.
#pragma once

#include <cstdint>

namespace Velotrax::os {

// Nanoseconds since an arbitrary fixed point; never goes backwards.
int64_t monotonicNanoseconds();

}  // namespace Velotrax::os
