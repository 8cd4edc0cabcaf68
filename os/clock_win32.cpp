#include <windows.h>

#include "clock.h"

namespace Velotrax::os {

int64_t monotonicNanoseconds() {
  static const int64_t frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return int64_t{f.QuadPart};
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  // Whole seconds and the remainder apart: counter * 10^9 alone overflows after minutes of
  // uptime at a 10 MHz frequency.
  const int64_t ticks = counter.QuadPart;
  return ticks / frequency * 1000000000 + ticks % frequency * 1000000000 / frequency;
}

}  // namespace Velotrax::os
